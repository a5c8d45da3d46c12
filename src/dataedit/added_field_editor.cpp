#include "dataedit/added_field_editor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/escape_name_edit.h"
#include "controls/keyboard_access.h"
#include "controls/refusal_box.h"
#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"
#include "dataedit/field_lists.h"

namespace tessaron {

AddedFieldEditor::AddedFieldEditor(QWidget* parent, RefusalSink& refusals,
                                   ReaderSettings& settings, const ByteString* callingFormula)
    : BaseDialog(parent),
      refusals_(refusals),
      settings_(settings),
      callingFormula_(callingFormula != nullptr ? std::optional<ByteString>(*callingFormula)
                                                : std::nullopt),
      working_(settings.addedFields),
      edit_(new EscapeNameEdit(refusals, this)),
      chooser_(new QComboBox(this)),
      list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("New Field"));
  setModal(true);
  edit_->SetLimit(MAX_ADDED_FIELD_BYTES);
  FillNamedByteChooser(chooser_);
  InsertFromChooser(chooser_, edit_);
  list_->setObjectName(QStringLiteral("addedFieldList"));
  FitListHeight(list_, MAX_ADDED_FIELDS);
  FillList();

  auto* add = new QPushButton(QStringLiteral("Add"), this);
  auto* remove = new QPushButton(QStringLiteral("Delete"), this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* button : {add, remove, ok, cancel}) button->setAutoDefault(false);
  connect(add, &QPushButton::clicked, this, &AddedFieldEditor::Add);
  connect(remove, &QPushButton::clicked, this, &AddedFieldEditor::Delete);
  connect(ok, &QPushButton::clicked, this, &AddedFieldEditor::accept);
  connect(cancel, &QPushButton::clicked, this, &AddedFieldEditor::reject);

  auto* editLabel = new QLabel(QStringLiteral("Input New Field"), this);
  auto* chooserLabel = new QLabel(QStringLiteral("Non-Printable Char"), this);
  auto* listLabel = new QLabel(QStringLiteral("Added Fields List: "), this);
  LabelControl(editLabel, edit_);
  LabelControl(chooserLabel, chooser_, editLabel->text());
  LabelControl(listLabel, list_);
  auto* input = new QGridLayout;
  input->addWidget(editLabel, 0, 0);
  input->addWidget(edit_, 0, 1);
  input->addWidget(add, 0, 2);
  input->addWidget(chooserLabel, 1, 0);
  input->addWidget(chooser_, 1, 1);
  input->addWidget(remove, 1, 2);
  input->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(input);
  layout->addWidget(listLabel);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  // Row by row, each field before its button.
  PlaceLastInTabOrder(this, {edit_, add, chooser_, remove, list_, ok, cancel});
}

AddedFieldEditor::~AddedFieldEditor() = default;

void AddedFieldEditor::Add() {
  // One more field would break the rule on their count: refused as the checker words it here.
  DataEditSettings candidate = settings_;
  candidate.addedFields = working_;
  candidate.addedFields.emplace_back();
  if (const auto problem = FirstProblemOf(candidate, DataEditRule::AddedFieldCount)) {
    refusals_.Refuse(this, QMessageBox::NoIcon,
                     QString::fromStdString(LimitText(ADDED_FIELDS_LIMIT_TEXT, problem->allowed)));
    return;
  }
  if (edit_->Bytes().empty()) {
    refusals_.Refuse(this, QMessageBox::NoIcon, QString::fromLatin1(EMPTY_ADDED_FIELD_TEXT));
    return;
  }
  working_.push_back(edit_->Bytes());
  edit_->Clear();
  FillList();
}

void AddedFieldEditor::Delete() {
  const int row = SelectedRow(list_);
  if (row < 0 || row >= static_cast<int>(working_.size())) return;
  if (AddedFieldInUse(settings_, callingFormula_ ? &*callingFormula_ : nullptr, row)) {
    refusals_.Refuse(this, QMessageBox::NoIcon, QString::fromLatin1(ADDED_FIELD_USED_TEXT));
    return;
  }
  working_.erase(working_.begin() + row);
  FillList();
}

void AddedFieldEditor::accept() {
  settings_.addedFields = working_;
  BaseDialog::accept();
}

void AddedFieldEditor::FillList() {
  FillAddedFieldLines(list_, working_);
  FitListWidth(list_);
}

}  // namespace tessaron
