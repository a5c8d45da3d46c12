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
#include "app/main_window.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "core/command_frame.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

constexpr int KALDOR_DATA_BUTTON = 0;
constexpr int MAGTEK_DATA_BUTTON = 1;
constexpr int KEYBOARD_BUTTON = 2;

}  // namespace

OutputFormatPage::OutputFormatPage(MainWindow& mainWindow, QWidget* parent)
    : AdvancedSettingsPage(mainWindow, parent),
      settings_(mainWindow.Settings()),
      bindings_(new PageBindings(this, settings_)),
      uicBox_(nullptr),
      magTekBox_(new QGroupBox(QStringLiteral("MagTek Options"), this)),
      defaultPageButton_(MakeDefaultPageButton()),
      helpButton_(MakeHelpButton(HELP_CONTEXT_OUTPUT_FORMAT)) {
  setObjectName(QStringLiteral("outputFormatPage"));
  QGroupBox* dataFormat = bindings_->AddChoice(Control("Data Format"));
  QGroupBox* hidFormat = bindings_->AddChoice(Control("USB HID Format"));
  uicBox_ = bindings_->AddChoice(Control("UIC LRC Option"));
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
  connect(bindings_->ButtonsOf(Control("Data Format"))[0]->group(), &QButtonGroup::idClicked,
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

  // The firmware decides which USB HID formats the reader takes: read once, on HID lines.
  ReaderPort* port = mainWindow_.Port();
  if (port != nullptr && IsHidInterface(port->GetInterfaceType())) {
    WaitCursor waitCursor;
    WindowFlowContext flow(this);
    firmwareVersionNumber_ = ReadFirmwareNumber(mainWindow_.Link(), flow);
  }
  Refresh();
}

OutputFormatPage::~OutputFormatPage() = default;

const PageControl& OutputFormatPage::Control(const char* caption) const {
  const PageControl* control = FindControl(Table(), caption);
  Q_ASSERT(control != nullptr);
  return *control;
}

InterfaceType OutputFormatPage::Line() const {
  const ReaderPort* port = mainWindow_.Port();
  return port != nullptr ? port->GetInterfaceType() : InterfaceType::Unknown;
}

void OutputFormatPage::Refresh() {
  optionsShadow_ = settings_.formatOptions;
  bindings_->Refresh();
  shownDataFormat_ = settings_.dataFormat;

  // The USB HID formats by the reader's line and firmware.
  const QList<QAbstractButton*> hid = bindings_->ButtonsOf(Control("USB HID Format"));
  QGroupBox* hidBox = qobject_cast<QGroupBox*>(bindings_->WidgetsOf(Control("USB HID Format"))[0]);
  const InterfaceType line = Line();
  const bool newFirmware = TakesEveryHidFormat(firmwareVersionNumber_);
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
    const QList<QAbstractButton*> formats = bindings_->ButtonsOf(Control("Data Format"));
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
  const InterfaceType line = Line();
  if (settings_.hidFormat != hidFormatBefore && IsHidInterface(line)) {
    settings_.interfaceSwitchPending = true;
  }
  optionsShadow_ = settings_.formatOptions;
  // Every button shows what the record now holds, the USB HID format included.
  bindings_->Refresh();
  shownDataFormat_ = DATA_FORMAT_KALDOR;
  EnableOptionsOf(DATA_FORMAT_KALDOR);
}

}  // namespace tessaron
