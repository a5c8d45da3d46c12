#include "app/page_bindings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtGlobal>
#include <string_view>

#include "app/ui_services.h"
#include "controls/digits_edit.h"
#include "controls/escape_name_edit.h"
#include "controls/keyboard_access.h"
#include "core/escape_names.h"

namespace tessaron {

namespace {

QString Caption(const char* text) { return QString::fromLatin1(text); }

}  // namespace

PageBindings::PageBindings(QWidget* page, const PageTable& table, ReaderSettings& settings,
                           UiServices& ui, std::function<void()> refresh)
    : QObject(page),
      page_(page),
      table_(table),
      settings_(settings),
      ui_(ui),
      refresh_(std::move(refresh)) {
  page->installEventFilter(this);
}

PageBindings::~PageBindings() = default;

const PageControl& PageBindings::Setting(const char* name) const {
  for (const PageControl& control : table_.controls) {
    if (control.name != nullptr && std::string_view(control.name) == name) return control;
  }
  qFatal("The page \"%s\" shows a setting that its table does not have: \"%s\"",
         PageCaption(table_.page), name);
}

PageBindings::Binding& PageBindings::Add(const PageControl& control) {
  bindings_.push_back(Binding{&control, {}, nullptr, nullptr, {}});
  return bindings_.back();
}

const PageBindings::Binding* PageBindings::Find(const PageControl& control) const {
  for (const Binding& binding : bindings_) {
    if (binding.control == &control) return &binding;
  }
  return nullptr;
}

QGroupBox* PageBindings::AddChoice(const PageControl& control, int columns) {
  auto* box = new QGroupBox(Caption(control.caption), page_);
  auto* layout = new QGridLayout(box);
  auto* group = new QButtonGroup(box);
  group->setExclusive(true);
  const int rows = (static_cast<int>(control.options.size()) + columns - 1) / columns;
  for (std::size_t i = 0; i < control.options.size(); ++i) {
    auto* button = new QRadioButton(Caption(control.options[i].caption), box);
    group->addButton(button, static_cast<int>(i));
    const int index = static_cast<int>(i);
    layout->addWidget(button, index % rows, index / rows);
  }
  TabToCheckedButton(group);
  Binding& binding = Add(control);
  binding.group = group;
  binding.widgets << box;
  for (QAbstractButton* button : group->buttons()) binding.widgets << button;
  binding.load = [this, group, &control] {
    const int selected = SelectedOption(control, settings_);
    if (selected >= 0) {
      group->button(selected)->setChecked(true);
    } else if (QAbstractButton* checked = group->checkedButton()) {
      // No button stands for the stored value: none is shown chosen.
      group->setExclusive(false);
      checked->setChecked(false);
      group->setExclusive(true);
    }
  };
  connect(group, &QButtonGroup::idClicked, this, [this, &control](int option) {
    if (!loading_) SelectOption(control, option, settings_);
  });
  return box;
}

QCheckBox* PageBindings::AddCheck(const PageControl& control) {
  auto* box = new QCheckBox(Caption(control.caption), page_);
  Binding& binding = Add(control);
  binding.field = box;
  binding.widgets << box;
  binding.load = [this, box, &control] { box->setChecked(IsChecked(control, settings_)); };
  connect(box, &QCheckBox::clicked, this, [this, &control](bool checked) {
    if (!loading_) SetChecked(control, checked, settings_);
  });
  return box;
}

QLineEdit* PageBindings::AddNumber(const PageControl& control) {
  QLineEdit* field = MakeDigitsEdit(page_, static_cast<int>(control.limit));
  Binding& binding = Add(control);
  binding.field = field;
  binding.widgets << field;
  binding.load = [this, field, &control] {
    editStart_[&control] = NumberOf(control, settings_);
    field->setText(QString::number(editStart_[&control]));
  };
  connect(field, &QLineEdit::textChanged, this, [this, &control] {
    if (!loading_) NumberEdited(control);
  });
  connect(field, &QLineEdit::editingFinished, this,
          [this, &control] { editStart_[&control] = NumberOf(control, settings_); });
  return field;
}

void PageBindings::NumberEdited(const PageControl& changed) {
  // The page's whole data exchange: every number field must hold an integer that fits its
  // range before the changed one is written. A field being emptied is still being typed.
  for (const Binding& binding : bindings_) {
    if (binding.control->kind != ControlKind::Number) continue;
    const QString text = static_cast<QLineEdit*>(binding.field)->text();
    if (text.isEmpty()) return;
    bool ok = false;
    const long number = text.toLong(&ok);
    const PageControl& control = *binding.control;
    const bool inRange =
        control.maximum == 0 || (number >= control.minimum && number <= control.maximum);
    if (!ok || !inRange) {
      ui_.ShowMessageBox(page_, QMessageBox::Warning, QString(),
                         ok ? RangePrompt(control.minimum, control.maximum)
                            : Caption(NUMBER_PROMPT_TEXT),
                         QMessageBox::Ok, QMessageBox::Ok);
      // The number from before the typing goes back into the record and the field.
      const auto start = editStart_.find(&control);
      if (start != editStart_.end()) SetNumber(control, start->second, settings_);
      Load(binding);
      return;
    }
  }
  const Binding* binding = Find(changed);
  if (binding == nullptr) return;
  const long typed = static_cast<QLineEdit*>(binding->field)->text().toLong();
  SetNumber(changed, typed, settings_);
  if (NumberOf(changed, settings_) != typed) Load(*binding);
}

void PageBindings::Load(const Binding& binding) {
  const bool loading = loading_;
  loading_ = true;
  if (binding.load) binding.load();
  loading_ = loading;
}

EscapeNameEdit* PageBindings::AddBytes(const PageControl& control, QComboBox** chooserOut) {
  auto* field = new EscapeNameEdit(ui_, page_);
  field->SetLimit(static_cast<int>(control.limit));
  if (control.limit == 1) {
    // One byte shows as at most one name ("\num_enter").
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("\\num_enter__")));
  }
  auto* chooser = new QComboBox(page_);
  FillNamedByteChooser(chooser);
  NameControl(chooser, QStringLiteral("Non-Printable Char"), Caption(control.caption));
  Binding& binding = Add(control);
  binding.field = field;
  binding.widgets << field << chooser;
  binding.load = [this, field, chooser, &control] {
    chooser->setCurrentIndex(-1);
    if (control.kind == ControlKind::Bytes) {
      field->SetBytes(ControlString(control, settings_));
    } else {
      const Byte value = ControlByte(control, settings_);
      // A one-character setting of 0 is an empty field.
      field->SetBytes(value == 0 ? ByteString() : ByteString{value});
    }
  };
  connect(field, &EscapeNameEdit::bytesEdited, this, [this, field, &control] {
    if (loading_) return;
    if (control.kind == ControlKind::Bytes) {
      ControlString(control, settings_) = field->Bytes();
    } else {
      ControlByte(control, settings_) = field->FirstByte();
    }
  });
  InsertFromChooser(chooser, field);
  if (chooserOut != nullptr) *chooserOut = chooser;
  return field;
}

QLabel* PageBindings::Label(const PageControl& control) {
  auto* label = new QLabel(Caption(control.caption), page_);
  for (Binding& binding : bindings_) {
    if (binding.control != &control) continue;
    binding.widgets << label;
    LabelControl(label, binding.field);
  }
  return label;
}

void PageBindings::Refresh() {
  for (const Binding& binding : bindings_) Load(binding);
}

bool PageBindings::eventFilter(QObject* watched, QEvent* event) {
  // A page hidden behind another tab or in a hidden sheet may show the past: whatever
  // changed the record meanwhile (another page's "Default Page", a file, the reader), the
  // page shows the record as it is now. A window merely restored shows what it showed.
  if (watched == page_ && event->type() == QEvent::Show && !event->spontaneous()) {
    if (refresh_) refresh_();
  }
  return QObject::eventFilter(watched, event);
}

QList<QWidget*> PageBindings::WidgetsOf(const PageControl& control) const {
  const Binding* binding = Find(control);
  return binding != nullptr ? binding->widgets : QList<QWidget*>{};
}

QList<QAbstractButton*> PageBindings::ButtonsOf(const PageControl& control) const {
  QList<QAbstractButton*> buttons;
  const Binding* binding = Find(control);
  if (binding == nullptr || binding->group == nullptr) return buttons;
  for (int option = 0; option < static_cast<int>(control.options.size()); ++option) {
    buttons << binding->group->button(option);
  }
  return buttons;
}

QWidget* PageBindings::FieldOf(const PageControl& control) const {
  const Binding* binding = Find(control);
  return binding != nullptr ? binding->field : nullptr;
}

}  // namespace tessaron
