#pragma once
// The one main window of the run. It owns the settings record, the current reader port and
// the pair (interface type, device index) that names the reader; it keeps the connection,
// hosts one child window at a time in its child-window area (the interface selection page
// or one of the two settings sheets), enforces which of them may be opened while another is
// open, and shows the current-settings report, the help and the how-to-use text.

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <memory>
#include <string>

#include "app/notice_window.h"
#include "app/profile.h"
#include "controls/base_dialog.h"
#include "controls/dialog_units.h"
#include "core/interface_type.h"
#include "core/reader_port.h"
#include "core/reader_settings.h"
#include "flows/reader_connection.h"
#include "flows/reader_flows.h"
#include "flows/reader_session.h"
#include "transport/transport_timing.h"

class QLabel;
class QPushButton;

namespace tessaron {

class AdvancedSheet;
class UiServices;
class BasicSheet;
class InterfaceSelectionPage;

inline constexpr const char* MAIN_WINDOW_TITLE = "Tessaron configuration utility";
inline constexpr const char* PROGRAM_TITLE = "Tessaron Configuration Utility";
inline constexpr const char* WELCOME_TEXT =
    "Tessaron readers come with default settings made at the factory. These settings are "
    "suitable for most applications and do not need to be changed. However, if you need to "
    "change something basic (like beep volume) or something more advanced (like a data "
    "editing routine), this utility will help you do it easily and quickly. Start by clicking "
    "on one of the tabs on the left side of this page.";

// Notices of the rules on which window may be open.
inline constexpr const char* CLOSE_ADVANCED_FIRST_TEXT =
    "Please close \"Change Advanced Reader Setting\" Before Going Back to the Main Menu";
inline constexpr const char* CLOSE_BASIC_FIRST_TEXT =
    "Please close \"Change Basic Reader Setting\" Before Going Back to the Main Menu";
inline constexpr const char* BLOCKED_CHECK_TEXT =
    "Please close current window before selecting \"CHECK CURRENT READER SETTINGS\"";
inline constexpr const char* BLOCKED_BASIC_TEXT =
    "Please close current window before selecting \"CHANGE BASIC READER SETTINGS\"";
inline constexpr const char* BLOCKED_ADVANCED_TEXT =
    "Please close current window before selecting \"CHANGE ADVANCED READER SETTINGS\"";

// Whether the settings record shows what the reader holds.
enum class RecordState {
  FromReader,        // read from the reader, or written to it and taken
  NotRead,           // the reader did not give its settings: the values are not its own
  WriteUnconfirmed,  // a write went out without an answer: the reader may hold either
};

// What the window shows while it waits for a reader that switched its interface.
inline constexpr const char* WAITING_FOR_READER_TEXT =
    "Waiting for the reader to come back on its new interface...";
// The report's firmware line when the reader did not answer the version query.
inline constexpr const char* VERSION_NOT_READ_TEXT =
    "not known (the reader did not answer the version query)";

class MainWindow : public BaseDialog {
  Q_OBJECT

 public:
  // The seven buttons down the left side, top to bottom.
  enum class Button {
    SelectInterface,
    HowToUse,
    CheckSettings,
    ChangeBasic,
    ChangeAdvanced,
    Help,
    Exit,
  };

  // Reads the remembered interface and device index; contacts no reader. The readers are
  // reached through session, which outlives the window; every port the window makes runs
  // its exchanges off the window thread, and the session's messages are shown by ui. The
  // window and every window inside it use ui, which outlives the window.
  MainWindow(ReaderSession& session, UiServices& ui, QWidget* parent = nullptr);
  // Destroys the child windows and the port, then remembers the interface and device index.
  ~MainWindow() override;

  ReaderSettings& Settings() { return settings_; }
  // The current reader, or none; every piece of work opens and closes it.
  ReaderLink* Link() const { return link_.get(); }
  ReaderPort* Port() const { return link_ ? &link_->Port() : nullptr; }
  InterfaceType CurrentInterfaceType() const { return interfaceType_; }
  DeviceIndex CurrentDeviceIndex() const { return deviceIndex_; }
  void SetInterfaceType(InterfaceType type) { interfaceType_ = type; }
  // Names the reader by its device index among the devices of its class.
  void SetDeviceIndex(DeviceIndex index) {
    deviceIndex_ = index;
    devicePath_.clear();
  }
  // Names the reader by a connection: by index, or by a device path that discovery may not
  // offer (a pseudo-terminal); a path is used for this run only and is not remembered.
  void SetConnection(const ReaderConnection& connection);
  const std::string& FirmwareVersion() const { return firmwareVersion_; }
  const TransportTiming& Timing() const { return Readers().timing; }
  // How the windows reach readers: the session's devices with the run's timing, each
  // exchange off the window thread.
  const ReaderEnvironment& Readers() const { return session_.Environment(); }
  // Fast exchanges: every connection made from now on ends each exchange as soon as the
  // whole reply has come. Remembered in the profile at once.
  bool FastReplies() const { return Readers().timing.fastReplies; }
  void SetFastReplies(bool fast);
  // Whether a device change at timeMs (of the window's clock) is a new one for the Quick
  // Clone page: none was taken within DEVICE_CHANGE_DEBOUNCE_MS before. Takes it when so.
  bool TakeDeviceChange(qint64 timeMs);

  BasicSheet* GetBasicSheet() const { return basicSheet_; }
  AdvancedSheet* GetAdvancedSheet() const { return advancedSheet_; }
  InterfaceSelectionPage* GetInterfaceSelection() const { return interfaceSelection_; }
  NoticeWindow* Notice() const { return notice_; }
  QPushButton* GetButton(Button button) const;
  // The area every child window is placed in.
  QRect ChildArea() const;

  // Makes a new port for the interface type and opens it with the device index; reads the
  // settings when asked. Destroys both sheets once the port opened. On an open failure the
  // pair is forgotten (0, -1) and there is no port. A read that fails leaves the record as
  // it was.
  bool Connect(bool readSettings);
  // Connects to the reader named on the command line, as a choice on the interface selection
  // page does; says why when it cannot.
  bool ConnectTo(const ReaderConnection& connection);
  // ConnectTo once the window is up, for the reader named on the command line. From now until
  // that start-up read has ended, user input is held off as during every exchange, so that
  // its end closes no window the user opened meanwhile.
  void ConnectAtStartUp(const ReaderConnection& connection);
  // A port exists, or the remembered reader connects, or exactly one USB reader is present
  // and connects.
  bool EnsureConnection();
  // Why the last Connect failed, as one line for the user; empty when it did not fail, or
  // when the session has told it already.
  const std::string& ConnectFailureCause() const { return connectFailureCause_; }

  // Replaces the current notice by a new one.
  void ShowNotice(const QString& text);

  // Whether the record shows what the reader holds; the sheets say so when it does not.
  RecordState GetRecordState() const { return recordState_; }
  void SetRecordState(RecordState state);
  // The record now holds what the reader holds (it was read, or written and taken).
  void RecordMatchesReader();
  // What the reader was last seen to hold (the factory settings before any read): a write
  // may break no rule of the data-edit records that this did not break already.
  const ReaderSettings& ReaderRecord() const { return readerRecord_; }

  // The step of the reader work under way, on a line of the window while it runs (the wait
  // cursor alone is not shown on every desktop); an empty step hides the line.
  void ShowBusyStep(const QString& step);
  QLabel* BusyLine() const { return busyLine_; }

  // The buttons' operations.
  void SelectReaderInterface();
  void ShowHowToUse();
  void CheckCurrentSettings();
  void ChangeBasicSettings();
  void ChangeAdvancedSettings();
  void ShowHelp();
  void Exit();

  // Looks for the reader afresh after an interface switch (MSG_REOPEN_READER).
  void ReopenReader();
  // Tells the Quick Clone page, when the advanced sheet exists, that devices changed.
  void NotifyDevicesChanged();
  // Shows the report of the record and the firmware version until the user closes it.
  void ShowSettingsReport();

 signals:
  // "EXIT" was pressed or the window was closed otherwise: the run is to end.
  void exitRequested();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Makes the buttons down the left side and sizes the window around them and the
  // child-window area.
  void BuildButtonColumn();
  // Shows a message of the reader session: a plain text as an outcome message, a text with
  // a caption as a warning box.
  void TellSessionMessage(const std::string& text, const std::string& caption);
  void ShowSheet(bool advanced);
  // Gives a child window the child-window area, widening the window when it needs more.
  void PlaceChild(QWidget* child);
  void CloseInterfaceSelection();
  void CloseBasicSheet();
  void CloseAdvancedSheet();
  void CloseNotice();
  // After a sheet closed, and at start: the keys act on the first button, never on EXIT.
  void FocusFirstButton();
  // Tells why the last Connect failed (open or read), unless it was told already or no
  // Connect was tried since EnsureConnection began.
  void TellConnectFailure();
  // Tells why a read of the current reader failed.
  void TellReadFailure(ReadOutcome outcome);
  void ReplacePort();
  ReaderConnection CurrentConnection() const;

  ReaderSession& session_;
  UiServices& ui_;
  BasicSheet* basicSheet_ = nullptr;
  AdvancedSheet* advancedSheet_ = nullptr;
  InterfaceSelectionPage* interfaceSelection_ = nullptr;
  QPointer<NoticeWindow> notice_;
  std::string firmwareVersion_;
  std::string connectFailureCause_;
  // The failure of the last Connect, to tell when the work that connected stops on it;
  // empty when it connected or the failure was told already.
  QString connectFailure_;
  QString connectFailureDetail_;
  RecordState recordState_ = RecordState::NotRead;
  ReaderSettings readerRecord_;
  QLabel* busyLine_ = nullptr;
  InterfaceType interfaceType_ = InterfaceType::Unknown;
  DeviceIndex deviceIndex_ = -1;
  std::string devicePath_;
  std::unique_ptr<ReaderLink> link_;
  ReaderSettings settings_;

  // The clock of the device-change notices, and the time of the last one taken.
  QElapsedTimer deviceClock_;
  qint64 lastDeviceChange_;

  DialogUnits units_;
  int childLeft_ = 0;
  QPushButton* buttons_[7] = {};
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace tessaron
