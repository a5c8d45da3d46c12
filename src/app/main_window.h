#pragma once
// The one main window of the run. It owns the reader state (the settings record, the reader
// and its connection, the firmware), keeps the connection, hosts one child window at a time
// in its child-window area (the interface selection page or one of the two settings sheets),
// enforces which of them may be opened while another is open, and shows the current-settings
// report, the help and the how-to-use text. The child windows tell it by signals when they
// are done; the reader state tells it when the reader changed.

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include "app/notice_window.h"
#include "app/reader_state.h"
#include "controls/base_dialog.h"
#include "controls/dialog_units.h"
#include "flows/reader_connection.h"

class QLabel;
class QPushButton;

namespace tessaron {

class AdvancedSheet;
class BasicSheet;
class InterfaceSelectionPage;
class ReaderSession;
class SettingsSheet;
class UiServices;

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
  // reached through session, which outlives the window (the program builds its environment
  // so that its ports run their exchanges off the window thread and tell their messages
  // through ui). The window and every window inside it use ui, which outlives the window.
  MainWindow(ReaderSession& session, UiServices& ui, QWidget* parent = nullptr);
  // Destroys the child windows and the reader state, then remembers the interface and device
  // index.
  ~MainWindow() override;

  ReaderState& State() { return state_; }
  const ReaderState& State() const { return state_; }
  // The user-interface services of the window and every window inside it.
  UiServices& Ui() { return ui_; }

  BasicSheet* GetBasicSheet() const { return basicSheet_; }
  AdvancedSheet* GetAdvancedSheet() const { return advancedSheet_; }
  InterfaceSelectionPage* GetInterfaceSelection() const { return interfaceSelection_; }
  NoticeWindow* Notice() const { return notice_; }
  QPushButton* GetButton(Button button) const;
  // The area every child window is placed in.
  QRect ChildArea() const;

  // Connects to the reader named (see ReaderState::Connect), with this window's flow.
  bool Connect(bool readSettings);
  // Connects to the reader named on the command line, as a choice on the interface selection
  // page does; says why when it cannot.
  bool ConnectTo(const ReaderConnection& connection);
  // ConnectTo once the window is up, for the reader named on the command line. From now until
  // that start-up read has ended, user input is held off as during every exchange, so that
  // its end closes no window the user opened meanwhile.
  void ConnectAtStartUp(const ReaderConnection& connection);
  // A reader is linked, or the remembered reader connects, or exactly one USB reader is
  // present and connects.
  bool EnsureConnection();

  // Replaces the current notice by a new one.
  void ShowNotice(const QString& text);

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

  // Looks for the reader afresh after an interface switch.
  void ReopenReader();
  // The system's devices changed: the windows that list devices are told.
  void NotifyDevicesChanged();
  // Shows the report of the record and the firmware version until the user closes it.
  void ShowSettingsReport();

 signals:
  // "EXIT" was pressed or the window was closed otherwise: the run is to end.
  void exitRequested();

 protected:
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
  void ShowSheet(bool advanced);
  // Makes a sheet and hears it out: it is closed when it asks, and a reader it switched is
  // looked for once its work has ended.
  void TakeSheet(SettingsSheet* sheet);
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
  // Writes the fast-exchange setting to the profile.
  void RememberFastReplies(bool fast);

  UiServices& ui_;
  ReaderState state_;
  BasicSheet* basicSheet_ = nullptr;
  AdvancedSheet* advancedSheet_ = nullptr;
  InterfaceSelectionPage* interfaceSelection_ = nullptr;
  QPointer<NoticeWindow> notice_;
  QLabel* busyLine_ = nullptr;

  DialogUnits units_;
  int childLeft_ = 0;
  QPushButton* buttons_[7] = {};
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace tessaron
