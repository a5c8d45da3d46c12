#pragma once
// The built-in demo reader behind --simulate[=LINE]: one simulated reader attached to one
// line, reachable through discovery and the ports exactly like a real reader.
//
// Once started, the line adds its device to a reader environment (AddTo): after the devices
// the environment lists already, so real devices keep their positions:
//   rs232       a pseudo-terminal listed as a serial port without USB ancestor
//   usb-rs232   a pseudo-terminal listed as the reader's USB serial port (0f3e:0217)
//   usb-hid     a HID node (/dev/hidraw-sim0, or another number) of 0f3e:0222, opened through the HID device
//   usb-hid-kb  factory; the same with 0f3e:0221. Either follows the reader's USB HID
//               format, so the interface switch can be tried.
//   ps2         the keyboard controller model, run in this process or inside the
//               keyboard-controller helper process (see SetKeyboardThroughHelper)
// Nothing is installed process-wide: environments without the line never see it.

#include <memory>
#include <string>
#include <string_view>

#include "core/interface_type.h"
#include "sim/simulated_reader.h"
#include "transport/keyboard_controller.h"
#include "transport/reader_environment.h"

namespace tessaron::sim {

class PtyServer;
class SimulatedHidDevice;
class SimulatedKeyboardController;

enum class SimulatedLineKind { Rs232, UsbRs232, UsbHid, UsbHidKb, Ps2 };

// The line the demo reader uses when --simulate names none.
constexpr SimulatedLineKind DEFAULT_SIMULATED_LINE = SimulatedLineKind::UsbHid;

// Reads a line name or an interface display name in any letter case: "rs232", "usb-rs232",
// "usb-hid", "usb-hid-kb", "ps2" or "PS/2 Keyboard". False (kind unchanged) for anything
// else.
bool ParseSimulatedLine(std::string_view name, SimulatedLineKind* kind);
// "rs232", "usb-rs232", "usb-hid", "usb-hid-kb" or "ps2".
const char* SimulatedLineName(SimulatedLineKind kind);
// The interface type a reader on that line is used with.
InterfaceType SimulatedLineInterface(SimulatedLineKind kind);

class SimulatedLine {
 public:
  // The reader's interface follows the line; the rest of config is kept. number tells
  // several simulated USB HID readers apart: the HID node is /dev/hidraw-sim<number>.
  explicit SimulatedLine(SimulatedLineKind kind, SimulatedReaderConfig config = {},
                         int number = 0);
  // Stops the line. Environments made by AddTo keep the simulated devices and their reader
  // alive; a serial line's terminal closes.
  ~SimulatedLine();
  SimulatedLine(const SimulatedLine&) = delete;
  SimulatedLine& operator=(const SimulatedLine&) = delete;

  // The ps2 line's controller model runs inside the helper process (tessaron-kbc
  // --simulated, with a factory-default reader of its own, not Reader()) instead of in this
  // process, so that the keyboard line goes the same way as to the real controller. Set
  // before Start.
  void SetKeyboardThroughHelper(bool throughHelper) { keyboardThroughHelper_ = throughHelper; }

  // Makes the reader reachable. False when its line cannot be served (no pseudo-terminal).
  // Starting a started line does nothing and returns true.
  bool Start();
  // Closes the serial line's terminal and forgets the devices (environments keep theirs).
  void Stop();
  // The environment with this line's device added after the devices base lists: a serial
  // port, a HID device (its node opens the simulated device, every other path what base
  // opens), or the keyboard controller (the model, or the helper serving it). base unchanged
  // when the line is not started.
  ReaderEnvironment AddTo(ReaderEnvironment base) const;
  bool IsStarted() const { return started_; }

  SimulatedLineKind Kind() const { return kind_; }
  InterfaceType Interface() const { return SimulatedLineInterface(kind_); }
  // The name discovery shows for the reader: the terminal's path, the HID node, or
  // "PS/2 Keyboard port"; empty for a serial line that is not started.
  std::string DeviceName() const;

  SimulatedReader& Reader() { return *reader_; }
  // The back-ends, for the demo and for tests; nullptr on the other lines or before Start.
  PtyServer* Server() { return server_.get(); }
  SimulatedHidDevice* SimulatedHid() { return hid_.get(); }
  // The controller model is null when it runs in the helper.
  SimulatedKeyboardController* KeyboardController() { return controller_.get(); }

 private:
  class Listing;

  const SimulatedLineKind kind_;
  const std::string hidPath_;
  std::shared_ptr<SimulatedReader> reader_;
  std::unique_ptr<PtyServer> server_;
  std::shared_ptr<SimulatedHidDevice> hid_;
  std::shared_ptr<SimulatedKeyboardController> controller_;
  // What the keyboard line's port runs its exchanges on.
  std::shared_ptr<tessaron::KeyboardController> keyboard_;
  bool started_ = false;
  bool keyboardThroughHelper_ = false;
};

}  // namespace tessaron::sim
