#pragma once
// What the window tests share: recording user-interface services, simulated USB readers
// reachable through discovery, a simulated keyboard controller, scaled-down timing and a
// profile in a temporary folder.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/reader_state.h"
#include "app/ui_services.h"
#include "controls/keyboard_access.h"
#include "flows/reader_session.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_keyboard_controller.h"
#include "sim/simulated_reader.h"
#include "support/transport_fakes.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/port_io.h"
#include "transport/reader_environment.h"
#include "transport/transport_timing.h"

class QWidget;

// Starts a simulated serial line (a pseudo-terminal); Windows has none, so there the case
// that needs one is skipped.
#ifdef Q_OS_WIN
#define START_SIMULATED_SERIAL_LINE(line) QSKIP("no pseudo-terminal for a simulated serial line")
#else
#define START_SIMULATED_SERIAL_LINE(line) QVERIFY((line).Start())
#endif

namespace tessaron::test {

// The lifetimes of message windows and notices in the tests: a tenth of the real ones.
inline constexpr WindowLifetimes TEST_LIFETIMES{MESSAGE_WINDOW_LIFETIME_MS / 10,
                                                NOTICE_LIFETIME_MS / 10};

// Records what the windows ask of the user instead of blocking; notices are real windows
// that live TEST_LIFETIMES.
class RecordingUiServices : public DesktopUiServices {
 public:
  RecordingUiServices();
  ~RecordingUiServices() override;

  void ShowMessage(QWidget* parent, const QString& text, const QString& cause,
                   int lifetimeMs) override;
  QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) override;
  NoticeWindow* ShowNotice(QWidget* parent, const QString& text) override;
  bool ChooseConfigFile(QWidget* parent, QString* path, bool open,
                        const QString& startFolder) override;
  void Wait(int milliseconds) override;
  bool OpenDocument(const QUrl& url) override;

  QStringList messages;
  QStringList causes;           // the cause line below each message; empty when none
  QList<int> messageLifetimes;  // 0 for the usual lifetime
  QStringList messageBoxes;  // "caption: text"
  // The buttons the next message boxes are answered with; the default button once empty.
  QList<QMessageBox::StandardButton> boxAnswers;
  QStringList notices;
  QList<int> waits;
  QList<bool> fileChoices;  // true for the open form
  QStringList fileStartFolders;
  QList<QUrl> documents;
  bool opensDocuments = true;  // false: as a desktop with no viewer

  // The chooser's answer: the path, or a cancel when empty.
  QString chosenPath;
  // Called on every wait, after it was recorded.
  std::function<void(int)> onWait;
};

// The windows run on the transports' scaled-down timing, as the transport tests do.
using test_support::FastTiming;

// Simulated USB HID readers at /dev/hidraw-sim0, 1, ... as the only present devices
// (plus the serial ports given), served through the HID device factory.
class SimulatedUsbReaders {
 public:
  // formats: the USB HID format of each reader ('0' USB-HID, '8' USB-HID-KB).
  explicit SimulatedUsbReaders(const std::vector<Byte>& formats,
                               std::vector<ListedDevice> serialPorts = {});
  ~SimulatedUsbReaders();
  SimulatedUsbReaders(const SimulatedUsbReaders&) = delete;
  SimulatedUsbReaders& operator=(const SimulatedUsbReaders&) = delete;

  // The readers' devices as the present devices of readers.
  void AddTo(ReaderEnvironment& readers) const;
  sim::SimulatedReader& Reader(std::size_t index) { return *readers_.at(index); }
  sim::SimulatedHidDevice& Device(std::size_t index) { return *devices_.at(index); }
  // An unplugged reader is not listed and cannot be opened.
  void SetPresent(std::size_t index, bool present);

 private:
  std::vector<std::unique_ptr<sim::SimulatedReader>> readers_;
  std::vector<std::shared_ptr<sim::SimulatedHidDevice>> devices_;
  std::shared_ptr<test_support::TestListing> listing_;
};

// The keyboard line: a simulated controller with a reader, or a controller whose port
// access is refused. The controller access of the process is stopped when it goes.
class SimulatedKeyboardLine {
 public:
  explicit SimulatedKeyboardLine(bool withReader);
  ~SimulatedKeyboardLine();
  SimulatedKeyboardLine(const SimulatedKeyboardLine&) = delete;
  SimulatedKeyboardLine& operator=(const SimulatedKeyboardLine&) = delete;

  // The controller as the keyboard controller of readers.
  void AddTo(ReaderEnvironment& readers) const;
  sim::SimulatedKeyboardController& Controller() { return *controller_; }

 private:
  std::shared_ptr<sim::SimulatedKeyboardController> controller_;
  std::shared_ptr<KeyboardController> keyboard_;
};

// The profile ("Kaldor" / "Tessaron Configuration Utility") lives in dir from now on.
void UseProfileFolder(const QTemporaryDir& dir);
void ClearProfile();
void WriteProfile(InterfaceType type, DeviceIndex index);
// (InterfaceType, DeviceIndex) as stored; (-100, -100) for values that are missing.
std::pair<InterfaceType, int> ReadProfile();

// Runs action on the first modal window that shows up within the time limit
// (checked every few milliseconds from the event loop).
void WhenModalShown(std::function<void(QWidget*)> action, int limitMs = 5000);
// Ends every watcher that is still waiting (each test does so when it finishes, so that no
// watcher outlives the test whose variables it refers to).
void StopModalWatchers();

// Delivers posted events and deferred deletions until the windows are at rest.
void Settle();

// The captions of window (and of every visible control in it) that do not have the room
// they need: a push button, radio button or check box narrower than its caption, a tab whose
// caption is cut or that lies outside its tab bar, a one-line label narrower than its text.
// Each entry names the control and its caption.
QStringList CaptionsCutOff(QWidget* window);
// The visible fields, choosers, lists and tables of window that a screen reader cannot name
// (no name, or the name of another one). A combo box's own name here is its current item:
// it is known by the label it is labelled by, or by its name while nothing is chosen.
QStringList UnnamedControls(QWidget* window);

// What every window test case starts from: a fresh profile, recording user-interface
// services, a keyboard line without a reader and no USB readers; and the main window the
// case starts on fast timing. The test classes call these from their init/cleanup slots.
class WindowTestBase : public QObject {
 protected:
  void UseOwnProfile();  // from initTestCase
  void PrepareCase();    // from init
  void EndCase();        // from cleanup
  // The test's devices (usb_, keyboard_) with the timing, as the windows reach them through
  // the recording services.
  ReaderEnvironment TestReaders(const TransportTiming& timing = FastTiming()) const;
  // A new session on TestReaders, and the main window on it with the recording services.
  void StartWindow(const TransportTiming& timing = FastTiming());
  // A reader state without a main window, its record made for a reader read over line, for
  // pages made on their own.
  ReaderState& PageState(InterfaceType line = InterfaceType::Unknown);
  // A hidden window, as a parent for dialogs made without the main window.
  QWidget* UiHost();

  std::unique_ptr<EnterPressesButtons> enterKeys_;
  QTemporaryDir profileDir_;
  std::unique_ptr<RecordingUiServices> ui_;
  std::unique_ptr<SimulatedKeyboardLine> keyboard_;
  std::unique_ptr<SimulatedUsbReaders> usb_;
  std::unique_ptr<ReaderSession> session_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<ReaderState> pageState_;
  std::unique_ptr<QWidget> uiHost_;
};

// A settings stream holding the factory defaults with another USB HID format.
ByteString DefaultStreamWithHidFormat(Byte format);

// The version text of a reader of that firmware number ("V1.89"); below: of the last number
// before it.
QString FirmwareText(double number, bool below = false);

}  // namespace tessaron::test
