#include "dataedit/custom_field_editor.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/digits_edit.h"
#include "controls/keyboard_access.h"
#include "controls/refusal_box.h"
#include "dataedit/field_lists.h"

namespace tessaron {

namespace {

const char* const RULE_CAPTIONS[CUSTOM_FIELD_RULE_COUNT] = {"Before String", "Between String",
                                                           "After String", "Among String"};

std::string Latin1Of(const QLineEdit* edit) {
  return edit != nullptr ? edit->text().toLatin1().toStdString() : std::string();
}

}  // namespace

CustomFieldEditor::CustomFieldEditor(QWidget* parent, RefusalSink& refusals,
                                     ReaderSettings& settings, const ByteString& callingFormula)
    : BaseDialog(parent),
      refusals_(refusals),
      settings_(settings),
      callingFormula_(callingFormula),
      working_(settings.customFields),
      track_(new QComboBox(this)),
      letter_(new QComboBox(this)),
      rules_(new QButtonGroup(this)),
      list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Customized Fields"));
  setModal(true);
  for (int track = 1; track <= TRACK_COUNT; ++track) track_->addItem(QStringLiteral("Track %1").arg(track));
  track_->setCurrentIndex(0);
  for (char c = 'a'; c <= 'z'; ++c) letter_->addItem(QString(QChar::fromLatin1(c)));
  letter_->setEnabled(false);
  list_->setObjectName(QStringLiteral("customFieldList"));
  FitListHeight(list_, MAX_CUSTOM_FIELDS);

  auto* trackLabel = new QLabel(QStringLiteral("Track No."), this);
  auto* letterLabel = new QLabel(QStringLiteral("New Field No."), this);
  LabelControl(trackLabel, track_);
  LabelControl(letterLabel, letter_);
  auto* head = new QHBoxLayout;
  head->addWidget(trackLabel);
  head->addWidget(track_);
  head->addSpacing(fontMetrics().averageCharWidth() * 4);
  head->addWidget(letterLabel);
  head->addWidget(letter_);
  head->addStretch(1);

  // One grid for every rule, so that their edits stand in columns.
  auto* rules = new QGridLayout;
  int row = 0;
  for (int rule = 0; rule < CUSTOM_FIELD_RULE_COUNT; ++rule) {
    auto* button = new QRadioButton(QString::fromLatin1(RULE_CAPTIONS[rule]), this);
    rules_->addButton(button, rule);
    rules->addWidget(button, row, 0, Qt::AlignTop);
    row = MakeRuleInputs(static_cast<CustomFieldRule>(rule), rules, row);
    EnableRule(static_cast<CustomFieldRule>(rule), false);
  }
  rules->setColumnStretch(5, 1);
  TabToCheckedButton(rules_);
  connect(rules_, &QButtonGroup::idClicked, this,
          [this](int rule) { ChooseRule(static_cast<CustomFieldRule>(rule)); });

  auto* add = new QPushButton(QStringLiteral("Add"), this);
  auto* remove = new QPushButton(QStringLiteral("Delete"), this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* button : {add, remove, ok, cancel}) button->setAutoDefault(false);
  connect(add, &QPushButton::clicked, this, &CustomFieldEditor::Add);
  connect(remove, &QPushButton::clicked, this, &CustomFieldEditor::Delete);
  connect(ok, &QPushButton::clicked, this, &CustomFieldEditor::accept);
  connect(cancel, &QPushButton::clicked, this, &CustomFieldEditor::reject);
  auto* side = new QVBoxLayout;
  side->addWidget(add);
  side->addWidget(remove);
  side->addStretch(1);
  side->addWidget(ok);
  side->addWidget(cancel);
  auto* fields = new QHBoxLayout;
  fields->addWidget(list_, 1);
  fields->addLayout(side);

  auto* listLabel = new QLabel(QStringLiteral("Customized Fields:"), this);
  LabelControl(listLabel, list_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addLayout(rules);
  layout->addWidget(listLabel);
  layout->addLayout(fields, 1);
  // The list was made first, but it is read after the rules.
  PlaceLastInTabOrder(this, {list_, add, remove, ok, cancel});

  rules_->button(static_cast<int>(CustomFieldRule::Before))->setChecked(true);
  ChooseRule(CustomFieldRule::Before);
  FillList();
}

CustomFieldEditor::~CustomFieldEditor() = default;

int CustomFieldEditor::MakeRuleInputs(CustomFieldRule rule, QGridLayout* grid, int row) {
  RuleInputs& inputs = inputs_[static_cast<std::size_t>(rule)];
  auto add = [&](QWidget* widget, int column) {
    grid->addWidget(widget, row, column);
    inputs.group << widget;
  };
  auto label = [&](const char* text, int column) {
    add(new QLabel(QString::fromLatin1(text), this), column);
  };
  // The captions repeat from rule to rule: each edit is named with its rule (and number).
  const auto labelled = [&](const char* text, QLineEdit* edit, const char* number, int column) {
    auto* caption = new QLabel(QString::fromLatin1(text), this);
    QString context = QString::fromLatin1(RULE_CAPTIONS[static_cast<int>(rule)]);
    if (number != nullptr) context += QLatin1Char(' ') + QString::fromLatin1(number);
    LabelControl(caption, edit, context);
    add(caption, column);
  };
  // Columns: the rule's button, "1:" or "2:", "Times" or "Offset", its edit, "String" or
  // "Length", its edit.
  const bool two = rule == CustomFieldRule::Between || rule == CustomFieldRule::Among;
  auto timesAndString = [&](const char* number, QLineEdit** times, QLineEdit** text) {
    if (number != nullptr) label(number, 1);
    *times = MakeDigitsEdit(this, 3);
    *text = MakeFieldStringEdit(this);
    labelled("Times", *times, number, 2);
    add(*times, 3);
    labelled("String", *text, number, 4);
    add(*text, 5);
    ++row;
  };
  timesAndString(two ? "1:" : nullptr, &inputs.times1, &inputs.string1);
  if (two) timesAndString("2:", &inputs.times2, &inputs.string2);
  if (rule == CustomFieldRule::After || rule == CustomFieldRule::Among) {
    inputs.offset = MakeDigitsEdit(this, 3);
    inputs.length = MakeDigitsEdit(this, 3);
    labelled("Offset", inputs.offset, nullptr, 2);
    add(inputs.offset, 3);
    labelled("Length", inputs.length, nullptr, 4);
    add(inputs.length, 5);
    ++row;
  }
  return row;
}

void CustomFieldEditor::EnableRule(CustomFieldRule rule, bool enabled) {
  for (QWidget* widget : inputs_[static_cast<std::size_t>(rule)].group) widget->setEnabled(enabled);
}

QAbstractButton* CustomFieldEditor::RuleButton(CustomFieldRule rule) const {
  return rules_->button(static_cast<int>(rule));
}

void CustomFieldEditor::ChooseRule(CustomFieldRule rule) {
  EnableRule(chosen_, false);
  chosen_ = rule;
  RuleButton(rule)->setChecked(true);
  EnableRule(rule, true);
}

void CustomFieldEditor::Add() {
  // The rules of the record are asked of the list with one more field, before the field's
  // edits are read: the place of a field not built yet counts.
  DataEditSettings candidate = settings_;
  candidate.customFields = working_;
  candidate.customFields.emplace_back();
  if (const auto problem = FirstProblemOf(candidate, DataEditRule::CustomFieldCount)) {
    refusals_.Refuse(this, QMessageBox::NoIcon,
                     QString::fromStdString(LimitText(CUSTOM_FIELDS_LIMIT_TEXT, problem->allowed)));
    return;
  }
  const RuleInputs& inputs = Inputs(chosen_);
  CustomFieldInput input;
  input.rule = chosen_;
  input.track = track_->currentIndex() + 1;
  input.times1 = Latin1Of(inputs.times1);
  input.string1 = Latin1Of(inputs.string1);
  input.times2 = Latin1Of(inputs.times2);
  input.string2 = Latin1Of(inputs.string2);
  input.offset = Latin1Of(inputs.offset);
  input.length = Latin1Of(inputs.length);
  ByteString record;
  switch (BuildCustomField(input, static_cast<int>(working_.size()), &record)) {
    case CustomFieldCheck::EmptyInput:
      refusals_.Refuse(this, QMessageBox::NoIcon, QString::fromLatin1(EMPTY_CUSTOM_INPUT_TEXT));
      return;
    case CustomFieldCheck::NumberTooLarge:
      refusals_.Refuse(this, QMessageBox::Warning, RangePrompt(0, MAX_RECORD_NUMBER));
      return;
    case CustomFieldCheck::StringTooLong:
      refusals_.Refuse(this, QMessageBox::Warning, QString::fromStdString(
                            LimitText(FIELD_STRING_LIMIT_TEXT, MAX_FIELD_STRING_BYTES)));
      return;
    case CustomFieldCheck::Ok:
      break;
  }
  working_.push_back(record);
  FillList();
}

void CustomFieldEditor::Delete() {
  const int row = SelectedRow(list_);
  if (row < 0 || row >= static_cast<int>(working_.size())) return;
  const ByteString& field = working_[static_cast<std::size_t>(row)];
  const int letter = field.size() > 1 ? FieldIndex(field[1]) : row;
  if (CustomFieldInUse(settings_, callingFormula_, letter)) {
    refusals_.Refuse(this, QMessageBox::NoIcon, QString::fromLatin1(CUSTOM_FIELD_USED_TEXT));
    return;
  }
  working_.erase(working_.begin() + row);
  RenumberCustomFields(working_);
  FillList();
}

void CustomFieldEditor::accept() {
  settings_.customFields = working_;
  BaseDialog::accept();
}

void CustomFieldEditor::FillList() {
  FillCustomFieldLines(list_, working_);
  FitListWidth(list_);
  // The letter the next field gets.
  letter_->setCurrentIndex(working_.size() < static_cast<std::size_t>(letter_->count())
                               ? static_cast<int>(working_.size())
                               : -1);
}

}  // namespace tessaron
