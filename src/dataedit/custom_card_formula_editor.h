#pragma once
// The formula editor of customized cards: no fixed track fields, but the custom fields the
// user defines, and the length limit and match string that tell the reader which cards are
// customized ones. Limits and match strings are edited on working copies too, stored by OK.

#include <array>

#include "dataedit/formula_editor.h"

class QComboBox;
class QLineEdit;

namespace tessaron {

class CustomCardFormulaEditor : public FormulaEditor {
  Q_OBJECT

 public:
  CustomCardFormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings);
  ~CustomCardFormulaEditor() override;

  // The working slots as OK stores them.
  std::array<ByteString, TRACK_COUNT> WorkingLengthLimits() const { return limitGroup_.Slots(); }
  std::array<ByteString, TRACK_COUNT> WorkingMatchStrings() const { return matchGroup_.Slots(); }

  // "<= New Custom Field": the custom field editor on the record and the working formula;
  // the custom field list is filled again when it ends with OK.
  void NewCustomField();

  // The controls of the "Length Limit" and "Match String" groups: the track chooser, the
  // two edits (Min and Max; Offset and String) and "ClearAll".
  struct SlotControls {
    QComboBox* track;
    QLineEdit* first;
    QLineEdit* second;
    QPushButton* clearAll;
  };
  const SlotControls& LengthLimitControls() const { return limitGroup_.controls; }
  const SlotControls& MatchStringControls() const { return matchGroup_.controls; }
  QListWidget* CustomFieldList() const { return customList_; }
  QPushButton* NewCustomFieldButton() const { return newCustomButton_; }

 public slots:
  // OK refuses a length limit whose Min is above its Max (the rule the command line writes
  // by), shows that track's limit and stays open; else it stores as every editor does.
  void accept() override;

 protected:
  void StoreWorkingState() override;

 private:
  // One of the two groups, the working slots it edits, and the texts of its edits that the
  // slot was last made from (an edit that cannot make a slot goes back to them). A slot may
  // hold more than one record (a file or a reader may give that): the edits show and change
  // the first, and the others are kept byte for byte behind it.
  struct SlotGroup {
    SlotGroup(bool isMatchString, const std::array<ByteString, TRACK_COUNT>& given);
    std::array<ByteString, TRACK_COUNT> Slots() const;

    bool matchString;
    std::array<ByteString, TRACK_COUNT> records;  // the first record of each slot
    std::array<ByteString, TRACK_COUNT> rest;     // what follows it in the slot
    SlotControls controls{};
    QString firstText;
    QString secondText;
  };
  QGroupBox* MakeSlotGroup(SlotGroup& group, const QString& caption, const QString& firstLabel,
                           const QString& secondLabel);
  // Shows the slot of the chosen track in the edits.
  void ShowSlot(SlotGroup& group);
  void SlotEdited(SlotGroup& group);
  void ClearAllSlots(SlotGroup& group);
  // The slot of the chosen track made from the edits; false when the edits hold a number or
  // string that does not fit (after saying so).
  bool MakeSlot(const SlotGroup& group, int track, ByteString* slot);
  void FillCustomFieldList();

  SlotGroup limitGroup_;
  SlotGroup matchGroup_;
  QListWidget* customList_;
  QPushButton* newCustomButton_;
};

}  // namespace tessaron
