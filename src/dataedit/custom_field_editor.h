#pragma once
// "Customized Fields": the fields the reader cuts out of a track by a string rule, for the
// Custom formula. The editor works on a copy of the list and stores it when closed with OK.
// Letters follow the positions in the list; a field that the Custom formula refers to, or
// one before such a field, cannot be deleted, because deleting renumbers the later ones.

#include <QList>
#include <array>

#include "controls/base_dialog.h"
#include "core/byte_string.h"
#include "core/data_edit_rules.h"
#include "core/reader_settings.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;

namespace tessaron {

class RefusalSink;

class CustomFieldEditor : public BaseDialog {
  Q_OBJECT

 public:
  // callingFormula: the working formula of the Custom formula editor (it cannot change
  // while this editor runs; a copy is kept). Refusals go to refusals.
  CustomFieldEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                    const ByteString& callingFormula);
  ~CustomFieldEditor() override;

  const ByteStringList& WorkingList() const { return working_; }

  // The edits of one rule, those a rule does not have nullptr, and every control of its
  // group (labels and edits), enabled together.
  struct RuleInputs {
    QList<QWidget*> group;
    QLineEdit* times1 = nullptr;
    QLineEdit* string1 = nullptr;
    QLineEdit* times2 = nullptr;
    QLineEdit* string2 = nullptr;
    QLineEdit* offset = nullptr;
    QLineEdit* length = nullptr;
  };
  const RuleInputs& Inputs(CustomFieldRule rule) const {
    return inputs_[static_cast<std::size_t>(rule)];
  }
  QAbstractButton* RuleButton(CustomFieldRule rule) const;
  QComboBox* TrackChooser() const { return track_; }
  QComboBox* NewFieldLetter() const { return letter_; }
  QListWidget* FieldList() const { return list_; }

  // Chooses a rule: its edits usable, the others greyed out, keeping what they hold.
  void ChooseRule(CustomFieldRule rule);
  // "Add": a field of the chosen rule and track from the rule's edits.
  void Add();
  // "Delete": the selected field, unless the Custom formula still needs it.
  void Delete();

 public slots:
  // "OK": the working list becomes the record's.
  void accept() override;

 private:
  // The rule's group on the rows of grid from row on; returns the row after it.
  int MakeRuleInputs(CustomFieldRule rule, QGridLayout* grid, int row);
  void EnableRule(CustomFieldRule rule, bool enabled);
  void FillList();

  RefusalSink& refusals_;
  ReaderSettings& settings_;
  const ByteString callingFormula_;
  ByteStringList working_;
  QComboBox* track_;
  QComboBox* letter_;
  QButtonGroup* rules_;
  std::array<RuleInputs, CUSTOM_FIELD_RULE_COUNT> inputs_;
  CustomFieldRule chosen_ = CustomFieldRule::Before;
  QListWidget* list_;
};

}  // namespace tessaron
