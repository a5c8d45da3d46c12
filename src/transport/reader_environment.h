#pragma once
// Everything through which a program reaches its readers, in one object that is handed to
// discovery and to every port made: the present devices, how a HID device is opened, the
// keyboard controller, where the messages with a caption go (the keyboard
// line's refusal), the timing of the lines, and a wrapper around every port made. Nothing of
// it is installed process-wide: a program builds the system's environment once, the
// simulator adds its devices to a copy, and each test builds the environment it needs. Where
// a platform or a helper process brings back-ends of its own, this is where they are chosen.

#include <functional>
#include <memory>
#include <string>

#include "core/reader_port.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/keyboard_controller.h"
#include "transport/transport_timing.h"

namespace tessaron {

// Shows a message of its own to the user; caption is empty for an ordinary outcome message.
using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

// Wraps every port made (the windows run each exchange off their thread).
using PortWrapper = std::function<std::unique_ptr<ReaderPort>(std::unique_ptr<ReaderPort>)>;

struct ReaderEnvironment {
  // Nothing present: no serial port, no HID device, no keyboard controller access; messages
  // are dropped; the real timing; no wrapper. Tests start from here.
  ReaderEnvironment();
  // The system's devices, through the back-ends of the system the program was built for:
  // on Linux the libudev listing, hidraw devices and the keyboard controller through the
  // helper process tessaron-kbc; on Windows SetupAPI, hid.dll and no keyboard controller
  // (only a kernel driver may reach it). Each system has a file of its own that defines it;
  // CMake chooses the file. Only the programs build it.
  static ReaderEnvironment System();

  // The present serial ports and HID devices; never null.
  std::shared_ptr<DeviceListing> devices;
  // Makes an unopened HID device for a path; none (or a null result): no such device.
  HidDeviceFactory hidDevices;
  // Runs the PS/2 line's exchanges with the keyboard controller; null: the line cannot be
  // used.
  std::shared_ptr<KeyboardController> keyboardController;
  MessageSink messages;
  TransportTiming timing;
  PortWrapper wrap;

  // Passes a message to the sink, if there is one.
  void Tell(const std::string& text, const std::string& caption = std::string()) const;
  // A new unopened HID device for path; null when there is none.
  std::unique_ptr<HidDevice> MakeHidDevice(const std::string& path) const;
};

// Whether text is written the way this system names a device: with a '/' (a device node on
// Linux); on Windows also a device path behind \\?\ or \\.\ (a HID interface as
// discovery lists it) and a COM port name. Defined beside System().
bool IsDevicePath(const std::string& text);

// A serial port as this system names it, for the examples of help and messages:
// "/dev/ttyUSB0" on Linux, "COM7" on Windows. Defined beside System().
const char* SerialPortExample();

// The keyboard controller through the system's helper process (simulated: the helper serves
// the simulated controller instead of the ports); null where the system has none (Windows).
// Defined beside System().
std::shared_ptr<KeyboardController> KeyboardControllerHelper(bool simulated);

}  // namespace tessaron
