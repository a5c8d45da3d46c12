#include "app/main_window.h"

#include <QSignalBlocker>
#include <QCloseEvent>
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
#include "app/profile.h"
#include "app/report_window.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "core/settings_report.h"
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"
#include "flows/reader_session.h"

namespace tessaron {

namespace {

// Hides a child window and forgets it; it is deleted once the event loop is back, so that a
// window that asked to go may still finish what it was doing.
template <typename Window>
void Dismiss(Window*& window) {
  if (window == nullptr) return;
  window->hide();
  window->deleteLater();
  window = nullptr;
}

}  // namespace

MainWindow::MainWindow(ReaderSession& session, UiServices& ui, QWidget* parent)
    : BaseDialog(parent, Kind::Window, Qt::Window | Qt::FramelessWindowHint),
      ui_(ui),
      state_(session) {
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

  // No page may show values of an earlier reader.
  connect(&state_, &ReaderState::readerReplaced, this, [this] {
    CloseAdvancedSheet();
    CloseBasicSheet();
  });
  connect(&state_, &ReaderState::workStepChanged, this, &MainWindow::ShowBusyStep);
  connect(&state_, &ReaderState::fastRepliesChanged, this, &MainWindow::RememberFastReplies);

  // Only the remembered pair and the fast-exchange setting are read at start; no reader is
  // contacted.
  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  ReaderConnection remembered;
  // A number outside the table is kept: the first connection says that no port serves it.
  remembered.type = static_cast<InterfaceType>(
      profile.value(QString::fromLatin1(PROFILE_INTERFACE_TYPE), 0).toInt());
  remembered.index = profile.value(QString::fromLatin1(PROFILE_DEVICE_INDEX), -1).toInt();
  state_.SetConnection(remembered);
  const bool fast = profile.value(QString::fromLatin1(PROFILE_FAST_REPLIES), false).toBool();
  profile.endGroup();
  {
    const QSignalBlocker quiet(&state_);
    state_.SetFastReplies(fast);
  }

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

MainWindow::~MainWindow() {
  // The child windows go first: their pages refer to the reader state.
  CloseNotice();
  delete advancedSheet_;
  advancedSheet_ = nullptr;
  delete basicSheet_;
  basicSheet_ = nullptr;
  delete interfaceSelection_;
  interfaceSelection_ = nullptr;
  state_.DropLink();

  QSettings profile(QString::fromLatin1(PROFILE_ORGANISATION),
                    QString::fromLatin1(PROFILE_APPLICATION));
  profile.beginGroup(QString::fromLatin1(PROFILE_GROUP));
  profile.setValue(QString::fromLatin1(PROFILE_INTERFACE_TYPE),
                   InterfaceNumber(state_.Connection().type));
  profile.setValue(QString::fromLatin1(PROFILE_DEVICE_INDEX), state_.Connection().index);
  profile.endGroup();
  profile.sync();
}

void MainWindow::RememberFastReplies(bool fast) {
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

bool MainWindow::Connect(bool readSettings) {
  WindowFlowContext flow(this, ui_, &state_);
  return state_.Connect(readSettings, flow);
}

bool MainWindow::ConnectTo(const ReaderConnection& connection) {
  state_.SetConnection(connection);
  bool connected = false;
  {
    WaitCursor waitCursor;
    connected = Connect(true);
  }
  if (!connected) {
    // A reader that opened but gave no settings says so; one that did not open, or whose
    // failure was told already, gets the open failure.
    if (state_.ConnectFailure().isEmpty()) {
      ui_.ShowMessage(this, QString::fromLatin1(OPEN_DEVICE_FAILED_TEXT),
                      QString::fromLocal8Bit(state_.ConnectFailureCause().c_str()), 0);
    } else {
      TellConnectFailure();
    }
  }
  return connected;
}

void MainWindow::ConnectAtStartUp(const ReaderConnection& connection) {
  auto hold = std::make_shared<InputHold>(ui_.Busy());
  QTimer::singleShot(0, this, [this, connection, hold]() mutable {
    ConnectTo(connection);
    hold.reset();
  });
}

bool MainWindow::EnsureConnection() {
  if (state_.Link() != nullptr) return true;
  state_.ForgetConnectFailure();
  const ReaderConnection& named = state_.Connection();
  if (named.type != InterfaceType::Unknown && (named.index != -1 || !named.path.empty())) {
    if (Connect(true)) return true;
    // The reader is there but did not give its settings: no other reader is taken for it.
    if (state_.Link() != nullptr) return false;
  }

  // Only a single USB reader is chosen without asking (a simulated reader on another line
  // is chosen on the interface selection page, as a real one is).
  ReaderConnection chosen;
  if (!state_.Session().ChooseUnnamed(false, &chosen)) return false;
  state_.SetConnection(chosen);
  return Connect(true);
}

void MainWindow::TellConnectFailure() {
  if (state_.ConnectFailure().isEmpty()) return;
  ShowBusyStep(QString());
  ui_.ShowMessage(this, state_.ConnectFailure(), state_.ConnectFailureDetail(), 0);
  state_.ForgetConnectFailure();
}

void MainWindow::TellReadFailure(ReadOutcome outcome) {
  const ReaderLink* link = state_.Link();
  if (outcome == ReadOutcome::Ok || link == nullptr || link->FailureTold()) return;
  ShowBusyStep(QString());
  const bool opened = outcome == ReadOutcome::ReadFailed;
  ui_.ShowMessage(this,
                  QString::fromLatin1(opened ? texts::READ_FAILED : OPEN_DEVICE_FAILED_TEXT),
                  QString::fromLocal8Bit(
                      (opened ? ReadFailureCause(*link) : link->FailureCause()).c_str()),
                  0);
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

// ---- child windows ----

void MainWindow::ShowNotice(const QString& text) {
  CloseNotice();
  notice_ = ui_.ShowNotice(this, text);
  if (notice_) connect(notice_, &NoticeWindow::closeRequested, this, &MainWindow::CloseNotice);
}

void MainWindow::CloseNotice() {
  if (notice_) {
    notice_->hide();
    notice_->deleteLater();
  }
  notice_ = nullptr;
}

void MainWindow::CloseInterfaceSelection() {
  Dismiss(interfaceSelection_);
  CloseNotice();
}

void MainWindow::CloseBasicSheet() {
  Dismiss(basicSheet_);
  FocusFirstButton();
  CloseNotice();
}

void MainWindow::CloseAdvancedSheet() {
  Dismiss(advancedSheet_);
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
    interfaceSelection_ = new InterfaceSelectionPage(state_, ui_, this);
    connect(interfaceSelection_, &InterfaceSelectionPage::pageDone, this,
            &MainWindow::CloseInterfaceSelection);
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
  WaitCursor waitCursor;
  if (state_.Link() == nullptr) {
    bool connected = EnsureConnection();
    if (connected) {
      if (state_.Settings().interfaceType == InterfaceType::Ps2Keyboard) {
        WindowFlowContext(this, ui_, &state_).Wait(KEYBOARD_SHEET_WAIT);
      }
      // The settings are read again on purpose: the sheet shows what the reader holds now.
      connected = Connect(true);
    }
    if (!connected) {
      // No reader to try: the user chooses one first.
      if (state_.ConnectFailure().isEmpty()) return;
      // A reader that failed is told; the sheet opens all the same (its values can be
      // edited, saved and loaded without a reader) and says that they are not the reader's.
      TellConnectFailure();
    }
  }
  if (advanced) {
    // The USB HID formats the reader takes depend on its firmware: it is asked before the
    // sheet shows them, once per reader.
    WindowFlowContext flow(this, ui_, &state_);
    state_.ReadFirmwareOnce(flow);
  }

  SettingsSheet* sheet = nullptr;
  SettingsSheet* other = nullptr;
  if (advanced) {
    if (advancedSheet_ == nullptr) TakeSheet(advancedSheet_ = new AdvancedSheet(state_, ui_, this));
    sheet = advancedSheet_;
    other = basicSheet_;
  } else {
    if (basicSheet_ == nullptr) TakeSheet(basicSheet_ = new BasicSheet(state_, ui_, this));
    sheet = basicSheet_;
    other = advancedSheet_;
  }
  if (other != nullptr) other->hide();
  sheet->ShowRecordState();
  sheet->Refresh();
  PlaceChild(sheet);
  sheet->show();
  sheet->raise();
}

void MainWindow::TakeSheet(SettingsSheet* sheet) {
  connect(sheet, &SettingsSheet::closeRequested, this, [this, sheet] {
    if (sheet == basicSheet_) CloseBasicSheet();
    if (sheet == advancedSheet_) CloseAdvancedSheet();
  });
  // The reader is looked for once the work that switched it has ended.
  connect(sheet, &SettingsSheet::readerSwitched, this, &MainWindow::ReopenReader,
          Qt::QueuedConnection);
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
    if (state_.Link() == nullptr) {
      if (!EnsureConnection()) {
        // A reader that was tried and failed is told; the user may then choose another.
        const bool opened = state_.Link() != nullptr;
        TellConnectFailure();
        if (!opened) SelectReaderInterface();
        return;
      }
      // The settings have just been read; a fresh port asks the reader for its version.
      settingsRead = true;
      state_.RenewLink();
      if (state_.Link() == nullptr) return;
    }
    // A reader that cannot be opened or read says so, with the cause.
    WindowFlowContext flow(this, ui_, &state_);
    std::string firmware;
    const ReadOutcome read =
        ReadSettingsAndVersion(*state_.Link(), state_.Settings(), !settingsRead, &firmware, flow);
    if (read != ReadOutcome::Ok) {
      if (read == ReadOutcome::ReadFailed) state_.SetRecordState(RecordState::NotRead);
      TellReadFailure(read);
      return;
    }
    if (!settingsRead) state_.RecordMatchesReader();
    state_.TakeFirmwareVersion(firmware);
  }
  // The record now holds what the reader holds: a sheet that shows it shows that too, so that
  // what is shown is what "Send to MSR" would write.
  state_.TellRecordReplaced();
  ShowSettingsReport();
}

void MainWindow::ShowSettingsReport() {
  const std::string& firmware = state_.FirmwareVersion();
  const std::string report = BuildSettingsReport(
      state_.Settings(), firmware.empty() ? std::string(VERSION_NOT_READ_TEXT) : firmware);
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
  WindowFlowContext flow(this, ui_, &state_);
  ShowBusyStep(QString::fromLatin1(WAITING_FOR_READER_TEXT));
  state_.DropLink();
  WaitForSwitchedReader(flow);
  const auto lookAgain = [this] {
    // Where the reader was named another kind of device may be now (the reader itself, on
    // its other USB interface): the name is then dropped without a word, and the reader
    // looked for as the one that needs no name.
    if (!state_.Session().CheckConnection(state_.Connection(), nullptr)) {
      state_.SetConnection(ReaderConnection());
    }
    return EnsureConnection();
  };
  bool found = lookAgain();
  for (int attempt = 0; !found && attempt < REAPPEAR_RETRIES; ++attempt) {
    state_.DropLink();
    flow.Wait(REAPPEAR_RETRY_WAIT);
    found = lookAgain();
  }
  ShowBusyStep(QString());
  FocusFirstButton();
  if (!found) {
    TellConnectFailure();
    state_.DropLink();
    SelectReaderInterface();
    return;
  }
  state_.RenewLink();
  if (state_.Link() == nullptr) return;
  std::string firmware;
  if (ReadSettingsAndVersion(*state_.Link(), state_.Settings(), false, &firmware, flow) ==
      ReadOutcome::Ok) {
    state_.TakeFirmwareVersion(firmware);
  }
}

void MainWindow::NotifyDevicesChanged() { state_.TellDevicesChanged(); }

// ---- documents and exit ----

void MainWindow::ShowHowToUse() { OpenHowToUse(ui_, this); }

void MainWindow::ShowHelp() { OpenHelpTopic(HELP_CONTEXT_MAIN, ui_, this); }

void MainWindow::Exit() {
  CloseNotice();
  close();
}

// ---- events ----

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
