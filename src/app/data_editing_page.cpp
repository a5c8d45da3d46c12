#include "app/data_editing_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/help_files.h"
#include "controls/keyboard_access.h"
#include "core/data_edit_model.h"
#include "app/ui_services.h"
#include "dataedit/added_field_editor.h"
#include "dataedit/field_lists.h"
#include "dataedit/formula_editor_of_kind.h"

namespace tessaron {

namespace {

constexpr int ENABLE = 0;
constexpr int DISABLE = 1;
constexpr int UNMATCHED = 1;

const char* const BUTTON_CAPTIONS[] = {"Help",           "New Field", "Add Formula",
                                       "Edit Formula",   "Delete Formula", "Clear All",
                                       "Default",        "OK"};

// A group box of radio buttons with ids 0, 1, ... in caption order.
QGroupBox* RadioBox(QWidget* page, const char* caption, const QList<QString>& options,
                    QButtonGroup** group, QList<QWidget*>* widgets) {
  auto* box = new QGroupBox(QString::fromLatin1(caption), page);
  auto* layout = new QVBoxLayout(box);
  *group = new QButtonGroup(box);
  *widgets << box;
  for (int id = 0; id < options.size(); ++id) {
    auto* button = new QRadioButton(options[id], box);
    (*group)->addButton(button, id);
    layout->addWidget(button);
    *widgets << button;
  }
  TabToCheckedButton(*group);
  return box;
}

}  // namespace

DataEditingPage::DataEditingPage(ReaderSettings& settings, UiServices& ui, bool embedded,
                                 QWidget* parent)
    : SettingsPage(ui, parent, embedded ? Kind::ChildWindow : Kind::Window),
      settings_(settings),
      embedded_(embedded),
      formulas_(new QListWidget(this)) {
  setObjectName(QStringLiteral("dataEditingPage"));
  QList<QWidget*> always;  // "Data Edit" and its two buttons stay usable
  QGroupBox* dataEdit = RadioBox(this, "Data Edit", {QStringLiteral("Enable"), QStringLiteral("Disable")},
                                 &enable_, &always);
  QGroupBox* output = RadioBox(this, "Output Method",
                               {QStringLiteral("Matched"), QStringLiteral("Unmatched")}, &output_,
                               &controlSet_);
  QList<QString> kinds;
  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    kinds << QString::fromLatin1(CardKindRadioCaption(kind));
  }
  QGroupBox* format = RadioBox(this, "Data Format", kinds, &format_, &controlSet_);

  auto* trackBox = new QGroupBox(QStringLiteral("Track Selection"), this);
  auto* trackLayout = new QVBoxLayout(trackBox);
  controlSet_ << trackBox;
  for (int track = 1; track <= TRACK_COUNT; ++track) {
    auto* box = new QCheckBox(QStringLiteral("Track%1").arg(track), trackBox);
    tracks_[static_cast<std::size_t>(track - 1)] = box;
    trackLayout->addWidget(box);
    controlSet_ << box;
  }
  auto* formulaLabel = new QLabel(QStringLiteral("Formula:"), this);
  formulas_->setObjectName(QStringLiteral("formulaList"));
  LabelControl(formulaLabel, formulas_);
  controlSet_ << formulaLabel << formulas_;

  auto* buttonColumn = new QVBoxLayout;
  for (const char* caption : BUTTON_CAPTIONS) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setAutoDefault(false);
    buttons_ << button;
    buttonColumn->addWidget(button);
  }
  buttonColumn->addStretch(1);
  for (const char* caption : {"New Field", "Add Formula", "Edit Formula", "Delete Formula",
                              "Clear All", "Default"}) {
    controlSet_ << Button(caption);
  }
  // "OK" belongs to the page as a window of its own.
  Button("OK")->setVisible(!embedded);
  Button("OK")->setEnabled(!embedded);
  Button("OK")->setDefault(!embedded);

  connect(enable_, &QButtonGroup::idClicked, this, &DataEditingPage::EnableClicked);
  connect(output_, &QButtonGroup::idClicked, this, [this](int method) {
    settings_.dataEditMode = method == UNMATCHED ? DATA_EDIT_UNMATCHED : DATA_EDIT_MATCHED;
  });
  connect(format_, &QButtonGroup::idClicked, this, &DataEditingPage::ApplyTrackRule);
  connect(Button("Help"), &QPushButton::clicked, this,
          [this] { OpenHelpTopic(HELP_CONTEXT_DATA_EDITING, ui_, this); });
  connect(Button("New Field"), &QPushButton::clicked, this, [this] {
    // The formula list shows no added field: nothing to fill again.
    AddedFieldEditor editor(this, ui_, settings_, nullptr);
    editor.exec();
  });
  connect(Button("Add Formula"), &QPushButton::clicked, this,
          [this] { EditFormula(format_->checkedId()); });
  // Both act on the selected line only; without one nothing happens.
  connect(Button("Edit Formula"), &QPushButton::clicked, this, [this] {
    const int row = SelectedRow(formulas_);
    if (row >= 0) EditFormula(formulas_->item(row)->data(Qt::UserRole).toInt());
  });
  connect(Button("Delete Formula"), &QPushButton::clicked, this, [this] {
    const int row = SelectedRow(formulas_);
    if (row < 0) return;
    const int kind = formulas_->item(row)->data(Qt::UserRole).toInt();
    settings_.formulas.at(static_cast<std::size_t>(kind)).clear();
    FillFormulaList();
  });
  connect(Button("Clear All"), &QPushButton::clicked, this, [this] {
    for (ByteString& formula : settings_.formulas) formula.clear();
    formulas_->clear();
  });
  connect(Button("Default"), &QPushButton::clicked, this, &DataEditingPage::DefaultClicked);
  connect(Button("OK"), &QPushButton::clicked, this, &DataEditingPage::accept);

  auto* choices = new QGridLayout;
  choices->addWidget(dataEdit, 0, 0);
  choices->addWidget(output, 0, 1);
  choices->addWidget(format, 1, 0);
  choices->addWidget(trackBox, 1, 1);
  auto* left = new QVBoxLayout;
  left->addLayout(choices);
  left->addWidget(formulaLabel);
  left->addWidget(formulas_, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttonColumn);

  Refresh();
}

DataEditingPage::~DataEditingPage() = default;

QPushButton* DataEditingPage::Button(const char* caption) const {
  for (QPushButton* button : buttons_) {
    if (button->text() == QLatin1String(caption)) return button;
  }
  return nullptr;
}

void DataEditingPage::accept() {
  // In a sheet, Enter does nothing.
  if (embedded_) return;
  SettingsPage::accept();
}

void DataEditingPage::Refresh() {
  const bool enabled = (settings_.dataEditMode & 0x01) != 0;
  enable_->button(enabled ? ENABLE : DISABLE)->setChecked(true);
  output_->button((settings_.dataEditMode & 0x02) != 0 ? UNMATCHED : 0)->setChecked(true);
  format_->button(CARD_KIND_CREDIT_CARD)->setChecked(true);
  tracks_[0]->setChecked(true);
  tracks_[1]->setChecked(true);
  tracks_[2]->setChecked(false);
  SetControlSetEnabled(enabled);
  ApplyTrackRule();
  FillFormulaList();
}

void DataEditingPage::SetControlSetEnabled(bool enabled) {
  for (QWidget* control : controlSet_) control->setEnabled(enabled);
}

void DataEditingPage::ApplyTrackRule() {
  // Only which boxes can be used changes; their marks stay and still reach the editors.
  std::array<bool, TRACK_COUNT> usable{false, false, false};
  if (enable_->checkedId() == ENABLE) {
    switch (format_->checkedId()) {
      case CARD_KIND_CREDIT_CARD:
        usable = {true, true, false};
        break;
      case CARD_KIND_DMV:
      case CARD_KIND_AAMVA:
        usable = {true, true, true};
        break;
      default:
        break;
    }
  }
  for (std::size_t i = 0; i < tracks_.size(); ++i) tracks_[i]->setEnabled(usable[i]);
}

void DataEditingPage::FillFormulaList() {
  formulas_->clear();
  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    const std::string text = FormulaText(settings_.formulas[static_cast<std::size_t>(kind)], kind);
    if (text.empty()) continue;
    auto* item = new QListWidgetItem(
        QString::fromLatin1(CardKindListPrefix(kind)) + QString::fromLatin1(text.c_str()), formulas_);
    item->setData(Qt::UserRole, kind);
  }
}

TrackStates DataEditingPage::CheckedTracks() const {
  return {tracks_[0]->isChecked(), tracks_[1]->isChecked(), tracks_[2]->isChecked()};
}

void DataEditingPage::EditFormula(int kind) {
  std::unique_ptr<FormulaEditor> editor =
      MakeFormulaEditor(kind, this, ui_, settings_, CheckedTracks());
  if (editor != nullptr && editor->exec() == QDialog::Accepted) FillFormulaList();
}

void DataEditingPage::EnableClicked(int choice) {
  if (choice == DISABLE) {
    settings_.dataEditMode = DATA_EDIT_DISABLED;
    SetControlSetEnabled(false);
    return;
  }
  settings_.dataEditMode = output_->checkedId() == UNMATCHED ? DATA_EDIT_UNMATCHED : DATA_EDIT_MATCHED;
  SetControlSetEnabled(true);
  ApplyTrackRule();
}

void DataEditingPage::DefaultClicked() {
  settings_.ResetDataEdit();
  Refresh();
}

}  // namespace tessaron
