#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QSettings>
#include <algorithm>

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
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"

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
  FocusFirstButton();

  busyLine_ = new QLabel(this);
  busyLine_->setObjectName(QStringLiteral("busyLine"));
  busyLine_->setStyleSheet(QStringLiteral(
      "QLabel { background: #fff6b0; color: #3a3000; border: 1px solid #b8a640; padding: 1px 6px; }"));
  QFont busyFont = busyLine_->font();
  busyFont.setBold(true);
  busyLine_->setFont(busyFont);
  busyLine_->hide();

  // Only the remembered pair and the fast-exchange setting are read at start; no reader is
  // contacted.
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  interfaceType_ = static_cast<InterfaceType>(
      profile.value(QString::fromLatin1(PROFILE_INTERFACE_TYPE), 0).toInt());
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
  profile.setValue(QString::fromLatin1(PROFILE_INTERFACE_TYPE), InterfaceNumber(interfaceType_));
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
  connectFailure_.clear();
  connectFailureDetail_.clear();
  if (link_ && outcome != ReadOutcome::Ok && !link_->FailureTold()) {
    connectFailureCause_ = link_->FailureCause();
    const bool opened = outcome == ReadOutcome::ReadFailed;
    connectFailure_ = QString::fromLatin1(opened ? texts::READ_FAILED : OPEN_DEVICE_FAILED_TEXT);
    connectFailureDetail_ = QString::fromLocal8Bit(
        (opened ? ReadFailureCause(*link_) : connectFailureCause_).c_str());
  }
  if (readSettings) {
    if (outcome == ReadOutcome::Ok) {
      RecordMatchesReader();
    } else {
      SetRecordState(RecordState::NotRead);
    }
  }
  if (outcome == ReadOutcome::OpenFailed) {
    // Forgotten, also for the next run: it then starts with USB auto-detection.
    deviceIndex_ = -1;
    devicePath_.clear();
    interfaceType_ = InterfaceType::Unknown;
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
    // A reader that opened but gave no settings says so; one that did not open, or whose
    // failure was told already, gets the open failure.
    if (connectFailure_.isEmpty()) {
      ShowMessage(QString::fromLatin1(OPEN_DEVICE_FAILED_TEXT), this, 0,
                  QString::fromLocal8Bit(connectFailureCause_.c_str()));
    } else {
      TellConnectFailure();
    }
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
  connectFailure_.clear();
  const bool named = deviceIndex_ != -1 || !devicePath_.empty();
  if (interfaceType_ != InterfaceType::Unknown && named) {
    if (Connect(true)) return true;
    // The reader is there but did not give its settings: no other reader is taken for it.
    if (link_) return false;
  }

  // Only a single USB reader is chosen without asking (a simulated reader on another line
  // is chosen on the interface selection page, as a real one is).
  ReaderConnection chosen;
  if (!session_.ChooseUnnamed(false, &chosen)) return false;
  SetConnection(chosen);
  return Connect(true);
}

void MainWindow::TellConnectFailure() {
  if (connectFailure_.isEmpty()) return;
  ShowBusyStep(QString());
  ShowMessage(connectFailure_, this, 0, connectFailureDetail_);
  connectFailure_.clear();
}

void MainWindow::TellReadFailure(ReadOutcome outcome) {
  if (outcome == ReadOutcome::Ok || !link_ || link_->FailureTold()) return;
  ShowBusyStep(QString());
  const bool opened = outcome == ReadOutcome::ReadFailed;
  ShowMessage(QString::fromLatin1(opened ? texts::READ_FAILED : OPEN_DEVICE_FAILED_TEXT), this, 0,
              QString::fromLocal8Bit(
                  (opened ? ReadFailureCause(*link_) : link_->FailureCause()).c_str()));
}

void MainWindow::SetRecordState(RecordState state) {
  recordState_ = state;
  if (basicSheet_ != nullptr) basicSheet_->ShowRecordState();
  if (advancedSheet_ != nullptr) advancedSheet_->ShowRecordState();
}

void MainWindow::RecordMatchesReader() {
  readerRecord_ = settings_;
  SetRecordState(RecordState::FromReader);
}

void MainWindow::ShowBusyStep(const QString& step) {
  if (step.isEmpty()) {
    busyLine_->hide();
    return;
  }
  busyLine_->setText(step);
  // Above the child-window area, so that no child window covers it.
  const int lineHeight = busyLine_->sizeHint().height();
  const QRect area = ChildArea();
  busyLine_->setGeometry(area.left(), area.top() - lineHeight - 2,
                         std::min(busyLine_->sizeHint().width(), area.width() - 8), lineHeight);
  busyLine_->show();
  busyLine_->raise();
  busyLine_->repaint();
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
  FocusFirstButton();
  CloseNotice();
}

void MainWindow::CloseAdvancedSheet() {
  if (advancedSheet_ != nullptr) {
    advancedSheet_->hide();
    advancedSheet_->deleteLater();
    advancedSheet_ = nullptr;
  }
  FocusFirstButton();
  CloseNotice();
}

void MainWindow::FocusFirstButton() {
  GetButton(Button::SelectInterface)->setFocus(Qt::OtherFocusReason);
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
    bool connected = EnsureConnection();
    if (connected) {
      if (settings_.interfaceType == InterfaceType::Ps2Keyboard) {
        WindowFlowContext(this).Wait(KEYBOARD_SHEET_WAIT);
      }
      // The settings are read again on purpose: the sheet shows what the reader holds now.
      connected = Connect(true);
    }
    if (!connected) {
      // No reader to try: the user chooses one first.
      if (connectFailure_.isEmpty()) return;
      // A reader that failed is told; the sheet opens all the same (its values can be
      // edited, saved and loaded without a reader) and says that they are not the reader's.
      TellConnectFailure();
    }
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
        // A reader that was tried and failed is told; the user may then choose another.
        const bool opened = link_ != nullptr;
        TellConnectFailure();
        if (!opened) SelectReaderInterface();
        return;
      }
      // The settings have just been read; a fresh port asks the reader for its version.
      settingsRead = true;
      ReplacePort();
      if (!link_) return;
    }
    // A reader that cannot be opened or read says so, with the cause.
    WindowFlowContext flow(this);
    std::string firmware;
    const ReadOutcome read =
        ReadSettingsAndVersion(*link_, settings_, !settingsRead, &firmware, flow);
    if (read != ReadOutcome::Ok) {
      if (read == ReadOutcome::ReadFailed) SetRecordState(RecordState::NotRead);
      TellReadFailure(read);
      return;
    }
    if (!settingsRead) RecordMatchesReader();
    firmwareVersion_ = firmware.empty() ? std::string(VERSION_NOT_READ_TEXT) : firmware;
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
  // The reader is looked for afresh once it has had time to re-appear (it may have come back
  // on another interface), and again for a while when it has not. Meanwhile the window says
  // what it waits for, and user input is held off.
  WindowFlowContext flow(this);
  ShowBusyStep(QString::fromLatin1(WAITING_FOR_READER_TEXT));
  link_.reset();
  WaitForSwitchedReader(flow);
  bool found = EnsureConnection();
  for (int attempt = 0; !found && attempt < REAPPEAR_RETRIES; ++attempt) {
    link_.reset();
    flow.Wait(REAPPEAR_RETRY_WAIT);
    found = EnsureConnection();
  }
  ShowBusyStep(QString());
  FocusFirstButton();
  if (!found) {
    TellConnectFailure();
    link_.reset();
    SelectReaderInterface();
    return;
  }
  ReplacePort();
  if (!link_) return;
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
