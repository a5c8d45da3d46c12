#pragma once
// "New Field": the added fields, constant byte strings that formulas send as track 0. The
// editor works on a copy of the list and stores it when closed with OK. A field that a
// formula refers to, or one before such a field, cannot be deleted: deleting moves every
// later field up one letter.

#include <optional>

#include "controls/base_dialog.h"
#include "core/byte_string.h"
#include "core/reader_settings.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace tessaron {

class EscapeNameEdit;
class RefusalSink;

class AddedFieldEditor : public BaseDialog {
  Q_OBJECT

 public:
  // callingFormula: the working formula of the formula editor that opened this one, or
  // nullptr when the data editing page did (a copy is kept). Refusals go to refusals.
  AddedFieldEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                   const ByteString* callingFormula);
  ~AddedFieldEditor() override;

  const ByteStringList& WorkingList() const { return working_; }

  // "Add": the edit's bytes as a new field, unless the list is full or the edit empty.
  void Add();
  // "Delete": the selected field, unless a formula still needs it.
  void Delete();

  EscapeNameEdit* FieldEdit() const { return edit_; }
  QComboBox* NamedByteChooser() const { return chooser_; }
  QListWidget* FieldList() const { return list_; }

 public slots:
  // "OK": the working list becomes the record's.
  void accept() override;

 private:
  void FillList();

  RefusalSink& refusals_;
  ReaderSettings& settings_;
  const std::optional<ByteString> callingFormula_;
  ByteStringList working_;
  EscapeNameEdit* edit_;
  QComboBox* chooser_;
  QListWidget* list_;
};

}  // namespace tessaron
