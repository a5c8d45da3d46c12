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

namespace {

constexpr int KALDOR_DATA_BUTTON = 0;
constexpr int MAGTEK_DATA_BUTTON = 1;
constexpr int KEYBOARD_BUTTON = 2;

}  // namespace

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

  // The USB HID formats by the reader's line and firmware.
  const QList<QAbstractButton*> hid = bindings_->ButtonsOf(Setting("hid-format"));
  QGroupBox* hidBox = qobject_cast<QGroupBox*>(bindings_->WidgetsOf(Setting("hid-format"))[0]);
  const InterfaceType line = state_.Line();
  const bool newFirmware = TakesEveryHidFormat(state_.FirmwareNumber());
  if (line == InterfaceType::Rs232 || line == InterfaceType::Ps2Keyboard || line == InterfaceType::UsbRs232) {
    hidBox->setEnabled(false);
    for (QAbstractButton* button : hid) button->setEnabled(false);
  } else if (IsHidInterface(line) && newFirmware) {
    hid[KALDOR_DATA_BUTTON]->setEnabled(true);
    hid[MAGTEK_DATA_BUTTON]->setEnabled(true);
  } else if (line == InterfaceType::UsbHid) {
    hid[KEYBOARD_BUTTON]->setEnabled(false);
  } else if (line == InterfaceType::UsbHidKb) {
    hid[KALDOR_DATA_BUTTON]->setEnabled(false);
    hid[MAGTEK_DATA_BUTTON]->setEnabled(false);
  }

  EnableOptionsOf(settings_.dataFormat);
  // The emulated formats belong to the serial line.
  if (settings_.interfaceType != InterfaceType::Rs232) {
    const QList<QAbstractButton*> formats = bindings_->ButtonsOf(Setting("data-format"));
    formats[1]->setEnabled(false);
    formats[2]->setEnabled(false);
    uicBox_->setEnabled(false);
    magTekBox_->setEnabled(false);
  }
}

void OutputFormatPage::EnableOptionsOf(Byte dataFormat) {
  uicBox_->setEnabled(dataFormat == DATA_FORMAT_UIC);
  magTekBox_->setEnabled(dataFormat == DATA_FORMAT_MAGTEK);
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
  if (settings_.hidFormat != hidFormatBefore && IsHidInterface(state_.Line())) {
    settings_.interfaceSwitchPending = true;
  }
  optionsShadow_ = settings_.formatOptions;
  // Every button shows what the record now holds, the USB HID format included.
  bindings_->Refresh();
  shownDataFormat_ = DATA_FORMAT_KALDOR;
  EnableOptionsOf(DATA_FORMAT_KALDOR);
}

}  // namespace tessaron
