#include "app/output_format_page.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_files.h"
#include "app/reader_state.h"
#include "core/command_frame.h"
#include "flows/reader_flows.h"

namespace tessaron {

OutputFormatPage::OutputFormatPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsPage(ui, parent),
      state_(state),
      settings_(state.Settings()),
      bindings_(new PageBindings(this, OutputFormatTable(), settings_, ui, [this] { Refresh(); })),
      uicBox_(nullptr),
      magTekBox_(new QGroupBox(QStringLiteral("MagTek Options"), this)),
      defaultPageButton_(MakeDefaultPageButton()),
      helpButton_(MakeHelpButton(HELP_CONTEXT_OUTPUT_FORMAT)) {
  setObjectName(QStringLiteral("outputFormatPage"));
  QGroupBox* dataFormat = bindings_->AddChoice(Setting("data-format"));
  QGroupBox* hidFormat = bindings_->AddChoice(Setting("hid-format"));
  uicBox_ = bindings_->AddChoice(Setting("uic-lrc"));
  auto* magTekLayout = new QGridLayout(magTekBox_);
  int row = 0;
  for (const PageControl& control : Table().controls) {
    if (control.group == nullptr) continue;
    // A pair without a box of its own: its two buttons side by side in the shared box.
    QGroupBox* pair = bindings_->AddChoice(control, 2);
    pair->setTitle(QString());
    pair->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0; padding: 0; }"));
    pair->layout()->setContentsMargins(0, 0, 0, 0);
    pair->setParent(magTekBox_);
    magTekLayout->addWidget(pair, row++, 0);
  }
  connect(bindings_->ButtonsOf(Setting("data-format"))[0]->group(), &QButtonGroup::idClicked,
          this, &OutputFormatPage::DataFormatClicked);
  for (const PageControl& control : Table().controls) {
    if (control.kind != ControlKind::BitChoice) continue;
    // The shadow follows every option as it is clicked.
    connect(bindings_->ButtonsOf(control)[0]->group(), &QButtonGroup::idClicked, this,
            [this] { optionsShadow_ = settings_.formatOptions; });
  }
  connect(defaultPageButton_, &QPushButton::clicked, this, &OutputFormatPage::DefaultPage);

  auto* left = new QVBoxLayout;
  left->addWidget(dataFormat);
  left->addWidget(hidFormat);
  left->addWidget(uicBox_);
  left->addStretch(1);
  auto* content = new QHBoxLayout;
  content->addLayout(left, 1);
  content->addWidget(magTekBox_, 1, Qt::AlignTop);
  LayOutPage(content, defaultPageButton_, helpButton_);
  Refresh();
}

OutputFormatPage::~OutputFormatPage() = default;

void OutputFormatPage::Refresh() {
  optionsShadow_ = settings_.formatOptions;
  bindings_->Refresh();
  shownDataFormat_ = settings_.dataFormat;

  // The USB HID formats by the line of the reader's port and its firmware.
  const PageControl& hidFormat = Setting("hid-format");
  const InterfaceType port = state_.Line();
  if (!AppliesOn(hidFormat, port)) {
    for (QWidget* widget : bindings_->WidgetsOf(hidFormat)) widget->setEnabled(false);
  } else {
    const QList<QAbstractButton*> buttons = bindings_->ButtonsOf(hidFormat);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
      buttons[i]->setEnabled(OptionAppliesOn(hidFormat, hidFormat.options[static_cast<std::size_t>(i)],
                                             port, state_.FirmwareNumber()));
    }
  }

  // The emulated formats by the line the record was read over.
  const PageControl& dataFormat = Setting("data-format");
  const QList<QAbstractButton*> formats = bindings_->ButtonsOf(dataFormat);
  for (qsizetype i = 0; i < formats.size(); ++i) {
    const ControlOption& option = dataFormat.options[static_cast<std::size_t>(i)];
    if (!OptionAppliesOn(dataFormat, option, settings_.interfaceType, 0)) {
      formats[i]->setEnabled(false);
    }
  }
  EnableOptionsOf(settings_.dataFormat);
}

void OutputFormatPage::EnableOptionsOf(Byte dataFormat) {
  // A box of options is usable while its format is chosen and its settings apply on the
  // record's line.
  const auto usable = [this, dataFormat](const char* setting, Byte format) {
    return dataFormat == format && AppliesOn(Setting(setting), settings_.interfaceType);
  };
  uicBox_->setEnabled(usable("uic-lrc", DATA_FORMAT_UIC));
  magTekBox_->setEnabled(usable("magtek-buffer", DATA_FORMAT_MAGTEK));
}

void OutputFormatPage::DataFormatClicked(int) {
  // The choice is in the record already; a click on the format already shown changes nothing.
  if (settings_.dataFormat == shownDataFormat_) return;
  shownDataFormat_ = settings_.dataFormat;
  EnableOptionsOf(settings_.dataFormat);
}

void OutputFormatPage::DefaultPage() {
  const Byte hidFormatBefore = settings_.hidFormat;
  settings_.ResetFormatDefaults();
  // A USB HID format that changes back to the factory value switches the interface of a USB
  // HID reader as a click on it would: the next write handles the switch. Any other reader
  // has no other interface to go to, whatever format its record held.
  if (SwitchesInterface(state_.Line(), hidFormatBefore, settings_.hidFormat)) {
    settings_.interfaceSwitchPending = true;
  }
  optionsShadow_ = settings_.formatOptions;
  // Every button shows what the record now holds, the USB HID format included.
  bindings_->Refresh();
  shownDataFormat_ = DATA_FORMAT_KALDOR;
  EnableOptionsOf(DATA_FORMAT_KALDOR);
}

}  // namespace tessaron
