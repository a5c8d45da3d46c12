#include "dataedit/formula_editor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/dialog_units.h"
#include "controls/keyboard_access.h"
#include "controls/refusal_box.h"
#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"
#include "dataedit/added_field_editor.h"
#include "dataedit/field_lists.h"

namespace tessaron {

namespace {

QString Latin1(const char* text) { return QString::fromLatin1(text); }
QString Latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

QPushButton* MakeButton(const char* caption, QWidget* parent) {
  auto* button = new QPushButton(Latin1(caption), parent);
  button->setAutoDefault(false);
  return button;
}

const char* const TRACK_GROUP_CAPTIONS[TRACK_COUNT] = {"Track1 Fields", "Track2 Fields",
                                                       "Track3 Fields"};
constexpr const char* TRACK_FIELD_HINT = "(each field including TrackNo. and FieldNo. Such as \"1a\")";

}  // namespace

FormulaEditor::FormulaEditor(QWidget* parent, RefusalSink& refusals, ReaderSettings& settings,
                             int kind, const QString& clearCaption,
                             const QString& newAddedCaption)
    : BaseDialog(parent),
      refusals_(refusals),
      settings(settings),
      working_(settings.formulas.at(static_cast<std::size_t>(kind))),
      kind_(kind),
      addedList_(new QListWidget(this)),
      sequenceBox_(new QPlainTextEdit(this)),
      clearButton_(new QPushButton(clearCaption, this)),
      newAddedButton_(new QPushButton(newAddedCaption, this)),
      okButton_(MakeButton("OK", this)),
      cancelButton_(MakeButton("Cancel", this)) {
  setWindowTitle(Latin1(CardKindEditorTitle(kind)));
  setModal(true);
  for (QPushButton* button : {clearButton_, newAddedButton_}) button->setAutoDefault(false);
  sequenceBox_->setReadOnly(true);
  ReadableByKeys(sequenceBox_);
  sequenceBox_->setObjectName(QStringLiteral("sequenceBox"));
  // A few lines of sequence; a long one wraps.
  sequenceBox_->setFixedHeight(DialogUnits(font()).Y(32));
  addedList_->setObjectName(QStringLiteral("addedFieldList"));
  // Room for every added field there can be.
  FitListHeight(addedList_, MAX_ADDED_FIELDS);
  AppendOnDoubleClick(addedList_, 0);
  FillAddedFieldList();
  connect(clearButton_, &QPushButton::clicked, this, &FormulaEditor::ClearSequence);
  connect(newAddedButton_, &QPushButton::clicked, this, &FormulaEditor::NewAddedFields);
  connect(okButton_, &QPushButton::clicked, this, &FormulaEditor::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &FormulaEditor::reject);
  ShowSequence();
}

FormulaEditor::~FormulaEditor() = default;

QString FormulaEditor::SequenceText() const { return sequenceBox_->toPlainText(); }

QListWidget* FormulaEditor::TrackList(int track) const {
  if (track < 1 || track > TRACK_COUNT) return nullptr;
  return trackLists_[static_cast<std::size_t>(track - 1)];
}

void FormulaEditor::AppendEntry(int track, int index) {
  const AppendCheck check = CheckAppend(settings, kind_, working_);
  if (check != AppendCheck::Ok) {
    refusals_.Refuse(this, QMessageBox::NoIcon, Latin1(AppendRefusalText(check)));
    return;
  }
  working_.push_back(FieldRef(track, index));
  ShowSequence();
}

void FormulaEditor::ClearSequence() {
  working_.clear();
  ShowSequence();
}

void FormulaEditor::NewAddedFields() {
  AddedFieldEditor editor(this, refusals_, settings, &working_);
  if (editor.exec() == QDialog::Accepted) FillAddedFieldList();
}

void FormulaEditor::accept() {
  StoreWorkingState();
  BaseDialog::accept();
}

void FormulaEditor::StoreWorkingState() {
  settings.formulas.at(static_cast<std::size_t>(kind_)) = working_;
}

void FormulaEditor::ShowSequence() {
  sequenceBox_->setPlainText(Latin1(FormulaText(working_, kind_)));
}

void FormulaEditor::AppendOnDoubleClick(QListWidget* list, int track) {
  ActivateByKeys(list);
  connect(list, &QListWidget::itemDoubleClicked, this, [this, track](QListWidgetItem* item) {
    if (item == nullptr) return;
    const int data = item->data(FIELD_ITEM_ROLE).toInt();
    // A line of custom fields carries the whole entry, track bits included.
    if (track < 0) {
      AppendEntry(FieldTrack(static_cast<Byte>(data)), FieldIndex(static_cast<Byte>(data)));
    } else {
      AppendEntry(track, data);
    }
  });
}

void FormulaEditor::FinishTabOrder(const QList<QWidget*>& top) {
  PlaceLastInTabOrder(this, top + QList<QWidget*>{sequenceBox_, clearButton_, okButton_, cancelButton_});
}

void FormulaEditor::FillAddedFieldList() {
  FillAddedFieldLines(addedList_, settings.addedFields);
  FitListWidth(addedList_);
}

QGroupBox* FormulaEditor::MakeTrackGroup(int track, bool enabled) {
  auto* group = new QGroupBox(Latin1(TRACK_GROUP_CAPTIONS[track - 1]), this);
  auto* list = new QListWidget(group);
  list->setObjectName(QStringLiteral("track%1List").arg(track));
  NameControl(list, group->title());
  const std::vector<const char*>& catalogue = FieldCatalogue(kind_, track);
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    auto* item = new QListWidgetItem(Latin1(catalogue[i]), list);
    item->setData(FIELD_ITEM_ROLE, static_cast<int>(i));
  }
  FitListWidth(list);
  FitListHeight(list, std::min(static_cast<int>(catalogue.size()), 12));
  AppendOnDoubleClick(list, track);
  trackLists_[static_cast<std::size_t>(track - 1)] = list;
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(list);
  group->setEnabled(enabled);
  return group;
}

QLayout* FormulaEditor::SequenceRow() {
  auto* column = new QVBoxLayout;
  auto* label = new QLabel(QStringLiteral("Sent Sequence:"), this);
  LabelControl(label, sequenceBox_);
  column->addWidget(label);
  auto* row = new QHBoxLayout;
  row->addWidget(sequenceBox_, 1);
  row->addWidget(clearButton_, 0, Qt::AlignTop);
  column->addLayout(row);
  return column;
}

QLayout* FormulaEditor::OkCancelRow() {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(okButton_);
  row->addWidget(cancelButton_);
  return row;
}

CreditCardFormulaEditor::CreditCardFormulaEditor(QWidget* parent, RefusalSink& refusals,
                                                 ReaderSettings& settings, TrackStates tracks)
    : FormulaEditor(parent, refusals, settings, CARD_KIND_CREDIT_CARD, QStringLiteral("Clear Seq."),
                    QStringLiteral("New Added Fields")) {
  auto* lists = new QHBoxLayout;
  lists->addWidget(MakeTrackGroup(1, tracks[0]));
  lists->addWidget(MakeTrackGroup(2, tracks[1]));
  auto* added = new QGridLayout;
  auto* addedLabel = new QLabel(QStringLiteral("Added Fields List: (as Track 0)"), this);
  LabelControl(addedLabel, AddedFieldList());
  added->addWidget(addedLabel, 0, 0);
  added->addWidget(AddedFieldList(), 1, 0);
  added->addWidget(NewAddedFieldsButton(), 1, 1, Qt::AlignTop);
  added->setColumnStretch(0, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Credit Card Fields for Track1 and Track2 :"), this));
  layout->addLayout(lists, 1);
  layout->addWidget(
      new QLabel(QStringLiteral("Double click at the above list(s) to select one field."), this));
  layout->addWidget(new QLabel(Latin1(TRACK_FIELD_HINT), this));
  layout->addLayout(added);
  layout->addLayout(SequenceRow());
  layout->addLayout(OkCancelRow());
  FinishTabOrder({TrackList(1), TrackList(2), AddedFieldList(), NewAddedFieldsButton()});
}

namespace {

// DMV and AAMVA: three track lists, the added fields beside their two-line label.
void LayOutThreeTracks(QWidget* editor, const QString& heading, const QString& addedLabel,
                       const std::array<QGroupBox*, TRACK_COUNT>& groups, QListWidget* addedList,
                       QPushButton* newAddedButton, QLayout* sequenceRow, QLayout* okCancelRow) {
  auto* lists = new QHBoxLayout;
  for (QGroupBox* group : groups) lists->addWidget(group);
  auto* hints = new QVBoxLayout;
  hints->addWidget(new QLabel(QStringLiteral("Double click to select a field."), editor));
  hints->addWidget(new QLabel(Latin1(TRACK_FIELD_HINT), editor));
  auto* added = new QHBoxLayout;
  auto* label = new QLabel(addedLabel, editor);
  LabelControl(label, addedList);
  added->addWidget(label, 0, Qt::AlignTop);
  added->addWidget(addedList, 1);
  added->addWidget(newAddedButton, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout(editor);
  layout->addWidget(new QLabel(heading, editor));
  layout->addLayout(lists, 1);
  layout->addLayout(hints);
  layout->addLayout(added);
  layout->addLayout(sequenceRow);
  layout->addLayout(okCancelRow);
}

}  // namespace

DmvFormulaEditor::DmvFormulaEditor(QWidget* parent, RefusalSink& refusals,
                                   ReaderSettings& settings, TrackStates tracks)
    : FormulaEditor(parent, refusals, settings, CARD_KIND_DMV, QStringLiteral("Clear Seq."),
                    QStringLiteral("New Added Fields")) {
  LayOutThreeTracks(this, QStringLiteral("DMV Fields for Track1, Track2 and Track3:"),
                    QStringLiteral("Added Fields:\n\n(as track0)"),
                    {MakeTrackGroup(1, tracks[0]), MakeTrackGroup(2, tracks[1]),
                     MakeTrackGroup(3, tracks[2])},
                    AddedFieldList(), NewAddedFieldsButton(), SequenceRow(), OkCancelRow());
  FinishTabOrder({TrackList(1), TrackList(2), TrackList(3), AddedFieldList(), NewAddedFieldsButton()});
}

AamvaFormulaEditor::AamvaFormulaEditor(QWidget* parent, RefusalSink& refusals,
                                       ReaderSettings& settings, TrackStates tracks)
    : FormulaEditor(parent, refusals, settings, CARD_KIND_AAMVA, QStringLiteral("Clear Seq."),
                    QStringLiteral("New Added Fields")) {
  LayOutThreeTracks(this, QStringLiteral("AAMVA Fields for Track1, Track2 and Track3:"),
                    QStringLiteral("Added Fields:\n(as track0)"),
                    {MakeTrackGroup(1, tracks[0]), MakeTrackGroup(2, tracks[1]),
                     MakeTrackGroup(3, tracks[2])},
                    AddedFieldList(), NewAddedFieldsButton(), SequenceRow(), OkCancelRow());
  FinishTabOrder({TrackList(1), TrackList(2), TrackList(3), AddedFieldList(), NewAddedFieldsButton()});
}

}  // namespace tessaron
