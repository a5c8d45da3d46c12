#include "dataedit/custom_card_formula_editor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/digits_edit.h"
#include "controls/keyboard_access.h"
#include "controls/refusal_box.h"
#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"
#include "core/settings_stream_walker.h"
#include "dataedit/custom_field_editor.h"
#include "dataedit/field_lists.h"

namespace tessaron {

CustomCardFormulaEditor::CustomCardFormulaEditor(QWidget* parent, RefusalSink& refusals,
                                                 ReaderSettings& settings)
    : FormulaEditor(parent, refusals, settings, CARD_KIND_CUSTOM, QStringLiteral("Clear Sequence"),
                    QStringLiteral("New Added Fields=>>")),
      limitGroup_(false, settings.lengthLimits),
      matchGroup_(true, settings.matchStrings),
      customList_(new QListWidget(this)),
      newCustomButton_(new QPushButton(QStringLiteral("<= New Custom Field"), this)) {
  newCustomButton_->setAutoDefault(false);
  customList_->setObjectName(QStringLiteral("customFieldList"));
  FitListHeight(customList_, MAX_CUSTOM_FIELDS);
  // A line carries the field's own entry, track bits included.
  AppendOnDoubleClick(customList_, -1);
  FillCustomFieldList();
  connect(newCustomButton_, &QPushButton::clicked, this, &CustomCardFormulaEditor::NewCustomField);

  QGroupBox* limits = MakeSlotGroup(limitGroup_, QStringLiteral("Length Limit"),
                                    QStringLiteral("Min"), QStringLiteral("Max"));
  QGroupBox* matches = MakeSlotGroup(matchGroup_, QStringLiteral("Match String"),
                                     QStringLiteral("Offset"), QStringLiteral("String:"));

  auto* customLabel = new QLabel(QStringLiteral("Customized Fields:"), this);
  auto* addedLabel = new QLabel(QStringLiteral("Added Fields:"), this);
  LabelControl(customLabel, customList_);
  LabelControl(addedLabel, AddedFieldList());
  auto* fields = new QGridLayout;
  fields->addWidget(customLabel, 0, 0);
  fields->addWidget(addedLabel, 0, 2);
  fields->addWidget(customList_, 1, 0);
  auto* middle = new QVBoxLayout;
  middle->addWidget(newCustomButton_);
  middle->addWidget(NewAddedFieldsButton());
  middle->addStretch(1);
  fields->addLayout(middle, 1, 1);
  fields->addWidget(AddedFieldList(), 1, 2);
  fields->setColumnStretch(0, 3);
  fields->setColumnStretch(2, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(limits);
  layout->addWidget(matches);
  layout->addLayout(fields, 1);
  layout->addWidget(new QLabel(
      QStringLiteral(
          "Double click to select one field.(each includs TrackNo. and FieldNo. Such as \"1a\")"),
      this));
  layout->addLayout(SequenceRow());
  layout->addLayout(OkCancelRow());
  const SlotControls& limit = limitGroup_.controls;
  const SlotControls& match = matchGroup_.controls;
  FinishTabOrder({limit.track, limit.first, limit.second, limit.clearAll, match.track, match.first,
                  match.second, match.clearAll, customList_, newCustomButton_,
                  NewAddedFieldsButton(), AddedFieldList()});
}

CustomCardFormulaEditor::~CustomCardFormulaEditor() = default;

CustomCardFormulaEditor::SlotGroup::SlotGroup(bool isMatchString,
                                              const std::array<ByteString, TRACK_COUNT>& given)
    : matchString(isMatchString) {
  for (std::size_t track = 0; track < given.size(); ++track) {
    const ByteString& slot = given[track];
    // A first record whose length cannot be told takes the whole slot.
    std::size_t first = FieldRuleLength(slot.data(), slot.size());
    if (first == 0 || first > slot.size()) first = slot.size();
    records[track].assign(slot.begin(), slot.begin() + static_cast<std::ptrdiff_t>(first));
    rest[track].assign(slot.begin() + static_cast<std::ptrdiff_t>(first), slot.end());
  }
}

std::array<ByteString, TRACK_COUNT> CustomCardFormulaEditor::SlotGroup::Slots() const {
  std::array<ByteString, TRACK_COUNT> whole = records;
  for (std::size_t track = 0; track < whole.size(); ++track) {
    whole[track].insert(whole[track].end(), rest[track].begin(), rest[track].end());
  }
  return whole;
}

QGroupBox* CustomCardFormulaEditor::MakeSlotGroup(SlotGroup& group, const QString& caption,
                                                  const QString& firstLabel,
                                                  const QString& secondLabel) {
  auto* box = new QGroupBox(caption, this);
  SlotControls& controls = group.controls;
  controls.track = new QComboBox(box);
  for (int track = 1; track <= TRACK_COUNT; ++track) {
    controls.track->addItem(QStringLiteral("Track %1").arg(track));
  }
  controls.track->setCurrentIndex(-1);
  controls.first = MakeDigitsEdit(box, 3);
  controls.second = group.matchString ? MakeFieldStringEdit(box) : MakeDigitsEdit(box, 3);
  controls.clearAll = new QPushButton(QStringLiteral("ClearAll"), box);
  controls.clearAll->setAutoDefault(false);

  // The same captions stand in both groups: each control is named with its group's too.
  auto* row = new QHBoxLayout(box);
  const auto labelled = [&](const QString& text, QWidget* control) {
    auto* label = new QLabel(text, box);
    LabelControl(label, control, caption);
    row->addWidget(label);
  };
  labelled(QStringLiteral("Track No."), controls.track);
  row->addWidget(controls.track);
  labelled(firstLabel, controls.first);
  row->addWidget(controls.first);
  labelled(secondLabel, controls.second);
  row->addWidget(controls.second, group.matchString ? 1 : 0);
  if (!group.matchString) row->addStretch(1);
  row->addWidget(controls.clearAll);

  connect(controls.track, &QComboBox::activated, this, [this, &group] { ShowSlot(group); });
  for (QLineEdit* edit : {controls.first, controls.second}) {
    connect(edit, &QLineEdit::textEdited, this, [this, &group] { SlotEdited(group); });
  }
  connect(controls.clearAll, &QPushButton::clicked, this, [this, &group] { ClearAllSlots(group); });
  return box;
}

void CustomCardFormulaEditor::ShowSlot(SlotGroup& group) {
  const int track = group.controls.track->currentIndex();
  if (track < 0) return;
  const ByteString& slot = group.records[static_cast<std::size_t>(track)];
  group.firstText.clear();
  group.secondText.clear();
  if (slot.size() >= 4) {
    group.firstText = QString::number(slot[2]);
    group.secondText = group.matchString
                           ? QString::fromLatin1(reinterpret_cast<const char*>(slot.data()) + 4,
                                                 static_cast<qsizetype>(slot.size() - 4))
                           : QString::number(slot[3]);
  }
  group.controls.first->setText(group.firstText);
  group.controls.second->setText(group.secondText);
}

bool CustomCardFormulaEditor::MakeSlot(const SlotGroup& group, int track, ByteString* slot) {
  const std::optional<Byte> first = RecordNumber(group.controls.first->text().toStdString());
  if (!first) {
    refusals_.Refuse(this, QMessageBox::Warning, RangePrompt(0, MAX_RECORD_NUMBER));
    return false;
  }
  if (group.matchString) {
    const std::optional<ByteString> text = FieldStringBytes(this, refusals_, group.controls.second->text());
    if (!text) return false;
    *slot = MatchStringRecord(track, *first, *text);
    return true;
  }
  const std::optional<Byte> second = RecordNumber(group.controls.second->text().toStdString());
  if (!second) {
    refusals_.Refuse(this, QMessageBox::Warning, RangePrompt(0, MAX_RECORD_NUMBER));
    return false;
  }
  *slot = LengthLimitRecord(track, *first, *second);
  return true;
}

void CustomCardFormulaEditor::SlotEdited(SlotGroup& group) {
  const int index = group.controls.track->currentIndex();
  if (index < 0) return;
  ByteString& slot = group.records[static_cast<std::size_t>(index)];
  // One empty edit leaves the track without a record.
  if (group.controls.first->text().isEmpty() || group.controls.second->text().isEmpty()) {
    slot.clear();
  } else {
    ByteString made;
    if (!MakeSlot(group, index + 1, &made)) {
      // The slot keeps its record; the edits show what it was made from.
      group.controls.first->setText(group.firstText);
      group.controls.second->setText(group.secondText);
      return;
    }
    slot = made;
  }
  group.firstText = group.controls.first->text();
  group.secondText = group.controls.second->text();
}

void CustomCardFormulaEditor::ClearAllSlots(SlotGroup& group) {
  for (ByteString& slot : group.records) slot.clear();
  for (ByteString& slot : group.rest) slot.clear();
  group.controls.first->clear();
  group.controls.second->clear();
  group.firstText.clear();
  group.secondText.clear();
  group.controls.track->setCurrentIndex(-1);
}

void CustomCardFormulaEditor::NewCustomField() {
  CustomFieldEditor editor(this, refusals_, settings, working_);
  if (editor.exec() == QDialog::Accepted) FillCustomFieldList();
}

void CustomCardFormulaEditor::FillCustomFieldList() {
  FillCustomFieldLines(customList_, settings.customFields);
  FitListWidth(customList_);
}

void CustomCardFormulaEditor::accept() {
  ReaderSettings working;
  working.lengthLimits = limitGroup_.Slots();
  if (const auto problem = FirstProblemOf(working, DataEditRule::LengthLimitOrder)) {
    limitGroup_.controls.track->setCurrentIndex(problem->where);
    ShowSlot(limitGroup_);
    refusals_.Refuse(this, QMessageBox::Warning,
                     QStringLiteral("Track %1: Min %2 is above Max %3. Please make Min no larger than Max.")
                         .arg(problem->where + 1)
                         .arg(problem->found)
                         .arg(problem->allowed));
    return;
  }
  FormulaEditor::accept();
}

void CustomCardFormulaEditor::StoreWorkingState() {
  FormulaEditor::StoreWorkingState();
  settings.lengthLimits = limitGroup_.Slots();
  settings.matchStrings = matchGroup_.Slots();
}

}  // namespace tessaron
