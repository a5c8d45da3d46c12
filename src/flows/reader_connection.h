#pragma once
// Naming a reader, and reaching it. Both programs name a reader the same way: by the pair
// (interface type, device index) that discovery gives, or by a device path. On the command
// line a connection is one string:
//   /dev/ttyUSB0        a serial device node, used as an "RS232" port
//   COM7                on Windows: a serial port by its name, the same way
//   NAME:PATH           NAME a line with device paths (rs232, usb-rs232, usb-hid, usb-hid-kb);
//                       PATH a tty or hidraw node (or, on Windows, a COM port name or the
//                       device path discovery lists)
//   NAME:INDEX          NAME any of the five lines; INDEX the device index discovery gives
//                       (ps2:0, or ps2 alone, for the keyboard line)

#include <memory>
#include <string>
#include <vector>

#include "core/interface_type.h"
#include "core/reader_port.h"
#include "flows/flow_context.h"
#include "transport/discovery.h"
#include "transport/reader_environment.h"

namespace tessaron {

struct ReaderConnection {
  InterfaceType type = InterfaceType::Unknown;
  DeviceIndex index = -1;  // used when path is empty
  std::string path;        // device node; empty when the reader is named by index
};

// Reads a connection string. On failure returns false and a one-line reason in error.
bool ParseReaderConnection(const std::string& text, ReaderConnection* connection,
                           std::string* error);

// Whether the position that a NAME:INDEX connection names holds a device of that interface
// (serial ports share their positions, USB-RS232 readers and other ports alike, and so do
// the two USB HID lines) among the devices listed. False, with a message that says what is
// there and which connection names a reader of the wanted interface, when another kind of
// device is there, and for the keyboard line where the listing does not offer it (Windows);
// true for a path, for the keyboard line elsewhere and for a position where there is no
// device (opening it says so).
bool CheckConnectionKind(DeviceListing& devices, const ReaderConnection& connection,
                         std::string* error);

// The connection written back as a string ("usb-hid:0", "rs232:/dev/ttyS0").
std::string ReaderConnectionText(const ReaderConnection& connection);

// The connection that reaches a reader found by discovery.
ReaderConnection ConnectionOf(const ReaderDeviceEntry& entry);

// The USB readers present, in the order the automatic connection looks at them:
// USB-HID-KB, USB-RS232, USB-HID. The automatic connection takes a reader only when this
// list holds exactly one.
std::vector<ReaderDeviceEntry> FindUsbReaders(DeviceListing& devices);

// One reader port for one connection. Each piece of work opens it, runs its exchanges and
// closes it again; the port object lives on in between (it keeps the firmware version it
// has read).
class ReaderLink {
 public:
  // The port made from the environment. Empty, after "ERROR Interface Type!" through the
  // environment's messages, when no port serves the interface.
  static std::unique_ptr<ReaderLink> Create(const ReaderConnection& connection,
                                            const ReaderEnvironment& environment);

  // Opens the device by path or by index. The keyboard line's refusal of its port access is
  // told here, once, through the environment's messages (every caller then stays silent
  // about this failure: FailureTold).
  bool Open();
  void Close();
  ReaderPort& Port() { return *port_; }
  const ReaderPort& Port() const { return *port_; }
  // Why the last open or exchange failed, as one line for the user; empty when it did not.
  std::string FailureCause() const;
  // The last failure has been told to the user already.
  bool FailureTold() const { return failureTold_; }
  InterfaceType Interface() const { return port_->GetInterfaceType(); }
  const ReaderConnection& Connection() const { return connection_; }
  // The device name of the port as last opened ("/dev/pts/3", "PS/2 Keyboard port"), or
  // the connection string before it was ever opened.
  std::string Name() const;

 private:
  ReaderLink(const ReaderConnection& connection, std::unique_ptr<ReaderPort> port,
             MessageSink messages);

  ReaderConnection connection_;
  std::unique_ptr<ReaderPort> port_;
  MessageSink messages_;
  std::string openedName_;
  bool failureTold_ = false;
};

// One piece of work on an open reader: opens the link, and closes it when the work is done
// (Close) or at the latest when the guard goes. A link that does not open is closed at once,
// and its failure told with the caller's text unless the link has told it already.
class OpenReader {
 public:
  explicit OpenReader(ReaderLink* link);
  ~OpenReader();
  OpenReader(const OpenReader&) = delete;
  OpenReader& operator=(const OpenReader&) = delete;

  bool IsOpen() const { return open_; }
  // Closes the reader now (a second call does nothing).
  void Close();
  // When the reader did not open: tells text with the cause, unless told already; false.
  // True when it is open.
  bool OrTell(const char* text, FlowContext& flow);

 private:
  ReaderLink* link_;
  bool open_ = false;
  bool closed_ = false;
};

}  // namespace tessaron
