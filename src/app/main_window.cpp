#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QSettings>

#include "app/advanced_sheet.h"
#include "app/basic_sheet.h"
#include "app/busy_windows.h"
#include "app/help_files.h"
#include "app/interface_selection_page.h"
#include "app/notice_window.h"
#include "app/pictures.h"
#include "app/private_messages.h"
#include "app/quick_clone_page.h"
#include "app/report_window.h"
#include "app/responsive_port.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "core/settings_report.h"
#include "flows/flow_waits.h"
#include "flows/reader_flows.h"

namespace tessaron {


MainWindow::MainWindow(ReaderSession& session, UiServices& ui, QWidget* parent)
    : BaseDialog(parent, Kind::Window, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      ui_(ui),
      lastDeviceChange_(-QuickClonePage::DEVICE_CHANGE_DEBOUNCE_MS) {
  CarryUiServices(this, &ui_);
  session_.Environment().wrap = MakeResponsive;
  session_.Environment().messages = [this](const std::string& text, const std::string& caption) {
    TellSessionMessage(text, caption);
  };
  deviceClock_.start();
  setObjectName(QStringLiteral("mainWindow"));
  // Enter and Escape do nothing here.
  SetCancelIgnored(true);
  setWindowIcon(AppIcon());
  setWindowTitle(QString::fromLatin1(MAIN_WINDOW_TITLE));
  // What the window paints, for a screen reader.
  setAccessibleName(QString::fromLatin1(PROGRAM_TITLE));
  setAccessibleDescription(QString::fromLatin1(WELCOME_TEXT));
  SetBackgroundColor(Qt::white);

  BuildButtonColumn();
  connect(GetButton(Button::SelectInterface), &QPushButton::clicked, this,
          &MainWindow::SelectReaderInterface);
  connect(GetButton(Button::HowToUse), &QPushButton::clicked, this, &MainWindow::ShowHowToUse);
  connect(GetButton(Button::CheckSettings), &QPushButton::clicked, this,
          &MainWindow::CheckCurrentSettings);
  connect(GetButton(Button::ChangeBasic), &QPushButton::clicked, this,
          &MainWindow::ChangeBasicSettings);
  connect(GetButton(Button::ChangeAdvanced), &QPushButton::clicked, this,
          &MainWindow::ChangeAdvancedSettings);
  connect(GetButton(Button::Help), &QPushButton::clicked, this, &MainWindow::ShowHelp);
  connect(GetButton(Button::Exit), &QPushButton::clicked, this, &MainWindow::Exit);

  // Only the remembered pair and the fast-exchange setting are read at start; no reader is
  // contacted.
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  interfaceType_ = profile.value(QString::fromLatin1(PROFILE_INTERFACE_TYPE), 0).toInt();
  deviceIndex_ = profile.value(QString::fromLatin1(PROFILE_DEVICE_INDEX), -1).toInt();
  session_.Environment().timing.fastReplies =
      profile.value(QString::fromLatin1(PROFILE_FAST_REPLIES), false).toBool();
  profile.endGroup();

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

MainWindow::~MainWindow() {
  // The child windows go first: their pages refer to the record and the port.
  CloseNotice();
  delete advancedSheet_;
  advancedSheet_ = nullptr;
  delete basicSheet_;
  basicSheet_ = nullptr;
  delete interfaceSelection_;
  interfaceSelection_ = nullptr;
  link_.reset();
  // The session outlives the window: it no longer shows anything through it.
  session_.Environment().messages = nullptr;
  session_.Environment().wrap = nullptr;

  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_INTERFACE_TYPE), interfaceType_);
  profile.setValue(QString::fromLatin1(PROFILE_DEVICE_INDEX), deviceIndex_);
  profile.endGroup();
  profile.sync();
}

void MainWindow::SetFastReplies(bool fast) {
  session_.Environment().timing.fastReplies = fast;
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_FAST_REPLIES), fast);
  profile.endGroup();
}

QPushButton* MainWindow::GetButton(Button button) const {
  return buttons_[static_cast<int>(button)];
}

// ---- connection ----

void MainWindow::SetConnection(const ReaderConnection& connection) {
  interfaceType_ = connection.type;
  deviceIndex_ = connection.path.empty() ? connection.index : -1;
  devicePath_ = connection.path;
}

ReaderConnection MainWindow::CurrentConnection() const {
  return ReaderConnection{interfaceType_, deviceIndex_, devicePath_};
}

bool MainWindow::Connect(bool readSettings) {
  link_.reset();
  link_ = session_.Link(CurrentConnection());
  WindowFlowContext flow(this);
  const ReadOutcome outcome =
      link_ ? ReadSettingsAndVersion(*link_, settings_, readSettings, nullptr, flow)
            : ReadOutcome::OpenFailed;
  connectFailureCause_.clear();
  if (link_ && outcome != ReadOutcome::Ok && !link_->FailureTold()) {
    connectFailureCause_ = link_->FailureCause();
  }
  if (outcome == ReadOutcome::OpenFailed) {
    // Forgotten, also for the next run: it then starts with USB auto-detection.
    deviceIndex_ = -1;
    devicePath_.clear();
    interfaceType_ = INTERFACE_UNKNOWN;
    link_.reset();
    return false;
  }
  // No page may show values of an earlier reader.
  CloseAdvancedSheet();
  CloseBasicSheet();
  return readSettings && outcome == ReadOutcome::Ok;
}

bool MainWindow::ConnectTo(const ReaderConnection& connection) {
  SetConnection(connection);
  bool connected = false;
  {
    WaitCursor waitCursor;
    connected = Connect(true);
  }
  if (!connected) {
    ShowMessage(QString::fromLatin1(OPEN_DEVICE_FAILED_TEXT), this, 0,
                QString::fromLocal8Bit(connectFailureCause_.c_str()));
  }
  return connected;
}

void MainWindow::ConnectAtStartUp(const ReaderConnection& connection) {
  auto hold = std::make_shared<InputHold>();
  QTimer::singleShot(0, this, [this, connection, hold]() mutable {
    ConnectTo(connection);
    hold.reset();
  });
}

bool MainWindow::EnsureConnection() {
  if (link_) return true;
  const bool named = deviceIndex_ != -1 || !devicePath_.empty();
  if (interfaceType_ != INTERFACE_UNKNOWN && named && Connect(true)) return true;

  // Only a single USB reader is chosen without asking (a simulated reader on another line
  // is chosen on the interface selection page, as a real one is).
  ReaderConnection chosen;
  if (!session_.ChooseUnnamed(false, &chosen)) return false;
  SetConnection(chosen);
  return Connect(true);
}

void MainWindow::ReplacePort() {
  link_.reset();
  link_ = session_.Link(CurrentConnection());
}

// ---- child windows ----

void MainWindow::ShowNotice(const QString& text) {
  CloseNotice();
  notice_ = tessaron::ShowNotice(this, text);
}

void MainWindow::CloseNotice() {
  if (notice_) {
    notice_->hide();
    notice_->deleteLater();
  }
  notice_ = nullptr;
}

void MainWindow::CloseInterfaceSelection() {
  if (interfaceSelection_ != nullptr) {
    interfaceSelection_->hide();
    interfaceSelection_->deleteLater();
    interfaceSelection_ = nullptr;
  }
  CloseNotice();
}

void MainWindow::CloseBasicSheet() {
  if (basicSheet_ != nullptr) {
    basicSheet_->hide();
    basicSheet_->deleteLater();
    basicSheet_ = nullptr;
  }
  GetButton(Button::Exit)->setFocus();
  CloseNotice();
}

void MainWindow::CloseAdvancedSheet() {
  if (advancedSheet_ != nullptr) {
    advancedSheet_->hide();
    advancedSheet_->deleteLater();
    advancedSheet_ = nullptr;
  }
  GetButton(Button::Exit)->setFocus();
  CloseNotice();
}

void MainWindow::SelectReaderInterface() {
  if (advancedSheet_ != nullptr && advancedSheet_->isVisibleTo(this)) {
    ShowNotice(QString::fromLatin1(CLOSE_ADVANCED_FIRST_TEXT));
    advancedSheet_->CloseButton()->setFocus();
    return;
  }
  if (basicSheet_ != nullptr && basicSheet_->isVisibleTo(this)) {
    ShowNotice(QString::fromLatin1(CLOSE_BASIC_FIRST_TEXT));
    basicSheet_->CloseButton()->setFocus();
    return;
  }
  if (interfaceSelection_ == nullptr) {
    interfaceSelection_ = new InterfaceSelectionPage(*this, this);
  }
  PlaceChild(interfaceSelection_);
  interfaceSelection_->show();
  interfaceSelection_->raise();
}

void MainWindow::ChangeBasicSettings() { ShowSheet(false); }

void MainWindow::ChangeAdvancedSettings() { ShowSheet(true); }

void MainWindow::ShowSheet(bool advanced) {
  if (interfaceSelection_ != nullptr) {
    ShowNotice(QString::fromLatin1(advanced ? BLOCKED_ADVANCED_TEXT : BLOCKED_BASIC_TEXT));
    return;
  }
  if (!link_) {
    WaitCursor waitCursor;
    if (!EnsureConnection()) return;
    if (settings_.interfaceType == INTERFACE_PS2_KEYBOARD) {
      WindowFlowContext(this).Wait(KEYBOARD_SHEET_WAIT);
    }
    // The settings are read again on purpose: the sheet shows what the reader holds now.
    if (!Connect(true)) return;
  }

  SettingsSheet* sheet = nullptr;
  SettingsSheet* other = nullptr;
  if (advanced) {
    if (advancedSheet_ == nullptr) advancedSheet_ = new AdvancedSheet(*this, this);
    sheet = advancedSheet_;
    other = basicSheet_;
  } else {
    if (basicSheet_ == nullptr) basicSheet_ = new BasicSheet(*this, this);
    sheet = basicSheet_;
    other = advancedSheet_;
  }
  if (other != nullptr) other->hide();
  sheet->TakeFromMainWindow();
  sheet->Refresh();
  PlaceChild(sheet);
  sheet->show();
  sheet->raise();
}

// ---- reader operations ----

void MainWindow::CheckCurrentSettings() {
  {
    WaitCursor waitCursor;
    if (interfaceSelection_ != nullptr) {
      ShowNotice(QString::fromLatin1(BLOCKED_CHECK_TEXT));
      return;
    }
    bool settingsRead = false;
    if (!link_) {
      if (!EnsureConnection()) {
        SelectReaderInterface();
        return;
      }
      // The settings have just been read; a fresh port asks the reader for its version.
      settingsRead = true;
      ReplacePort();
      if (!link_) return;
    }
    // A reader that cannot be opened or read gives no message here.
    WindowFlowContext flow(this);
    std::string firmware;
    if (ReadSettingsAndVersion(*link_, settings_, !settingsRead, &firmware, flow) !=
        ReadOutcome::Ok) {
      return;
    }
    firmwareVersion_ = firmware;
  }
  // The record now holds what the reader holds: a sheet that shows it shows that too, so that
  // what is shown is what "Send to MSR" would write.
  if (basicSheet_ != nullptr) basicSheet_->Refresh();
  if (advancedSheet_ != nullptr) advancedSheet_->Refresh();
  ShowSettingsReport();
}

void MainWindow::ShowSettingsReport() {
  const std::string report = BuildSettingsReport(settings_, firmwareVersion_);
  ReportWindow window(QString::fromLatin1(report.data(), static_cast<qsizetype>(report.size())),
                      this);
  window.exec();
}

void MainWindow::ReopenReader() {
  WaitCursor waitCursor;
  if (interfaceSelection_ != nullptr) {
    ShowNotice(QString::fromLatin1(BLOCKED_CHECK_TEXT));
    return;
  }
  // The reader is looked for afresh: it may have come back on another interface.
  link_.reset();
  if (!EnsureConnection()) {
    SelectReaderInterface();
    return;
  }
  ReplacePort();
  if (!link_) return;
  WindowFlowContext flow(this);
  std::string firmware;
  if (ReadSettingsAndVersion(*link_, settings_, false, &firmware, flow) == ReadOutcome::Ok) {
    firmwareVersion_ = firmware;
  }
}

void MainWindow::NotifyDevicesChanged() {
  if (advancedSheet_ == nullptr || advancedSheet_->QuickClone() == nullptr) return;
  QCoreApplication::postEvent(advancedSheet_->QuickClone(),
                              new DevicesChangedEvent(deviceClock_.elapsed()));
}

void MainWindow::TellSessionMessage(const std::string& text, const std::string& caption) {
  // A port may say something while its exchange runs off the window thread.
  RunOnWindowThread([&] {
    QWidget* over = QApplication::activeWindow();
    const QString message = QString::fromLocal8Bit(text.c_str());
    if (caption.empty()) {
      ui_.ShowMessage(over, message, QString(), 0);
    } else {
      ui_.ShowMessageBox(over, QMessageBox::Warning, QString::fromLocal8Bit(caption.c_str()),
                         message, QMessageBox::Ok, QMessageBox::Ok);
    }
  });
}

bool MainWindow::TakeDeviceChange(qint64 timeMs) {
  if (timeMs - lastDeviceChange_ < QuickClonePage::DEVICE_CHANGE_DEBOUNCE_MS) return false;
  lastDeviceChange_ = timeMs;
  return true;
}

// ---- documents and exit ----

void MainWindow::ShowHowToUse() { OpenHowToUse(this); }

void MainWindow::ShowHelp() { OpenHelpTopic(HELP_CONTEXT_MAIN, this); }

void MainWindow::Exit() {
  CloseNotice();
  close();
}

// ---- events ----

bool MainWindow::event(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case MSG_CLOSE_INTERFACE_SELECTION:
      CloseInterfaceSelection();
      return true;
    case MSG_CLOSE_BASIC_SHEET:
      CloseBasicSheet();
      return true;
    case MSG_CLOSE_ADVANCED_SHEET:
      CloseAdvancedSheet();
      return true;
    case MSG_CLOSE_NOTICE:
      CloseNotice();
      return true;
    case MSG_REOPEN_READER:
      ReopenReader();
      return true;
    default:
      return BaseDialog::event(event);
  }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      BaseDialog::keyPressEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // However the window is closed, the run ends with it.
  event->accept();
  emit exitRequested();
}

}  // namespace tessaron
