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
  // The system's devices: the libudev listing, hidraw devices and the keyboard controller
  // through the helper process tessaron-kbc. Only the programs build it.
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

}  // namespace tessaron
