#include "flows/reader_connection.h"

#include <charconv>
#include <limits>

#include "flows/interface_names.h"
#include "transport/port_error_text.h"
#include "transport/port_failure.h"
#include "transport/port_io.h"
#include "transport/reader_port_factory.h"
#include "transport/serial_line.h"
#include "transport/system_devices.h"

namespace tessaron {

namespace {

constexpr const char* CONNECTION_FORMS = "a device path, NAME:PATH or NAME:INDEX";
constexpr const char* LINE_NAMES = "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2";

// The interface a line name stands for; "unknown" names no line.
bool LineInterface(const std::string& name, InterfaceType* type) {
  InterfaceType found = INTERFACE_UNKNOWN;
  if (!ParseCliInterfaceName(name, &found) || found == INTERFACE_UNKNOWN) return false;
  *type = found;
  return true;
}

bool LooksLikePath(const std::string& text) {
  return text.rfind('/', 0) == 0 || text.rfind("./", 0) == 0 || text.rfind("../", 0) == 0 ||
         IsSerialPortName(text);
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

bool ParseReaderConnection(const std::string& text, ReaderConnection* connection,
                           std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (text.empty()) return fail(std::string("no reader named; expected ") + CONNECTION_FORMS);

  ReaderConnection parsed;
  const std::size_t colon = text.find(':');
  InterfaceType named = INTERFACE_UNKNOWN;
  const bool hasName = colon != std::string::npos && LineInterface(text.substr(0, colon), &named);

  // The keyboard line has one device: its name alone names it.
  InterfaceType bare = INTERFACE_UNKNOWN;
  if (colon == std::string::npos && LineInterface(text, &bare) && bare == INTERFACE_PS2_KEYBOARD) {
    parsed.type = bare;
    parsed.index = 0;
    if (connection != nullptr) *connection = parsed;
    return true;
  }
  if (!hasName) {
    // A bare device node is a plain serial port. Paths may hold colons (by-path names).
    if (LooksLikePath(text)) {
      parsed.type = INTERFACE_RS232;
      parsed.path = text;
      if (connection != nullptr) *connection = parsed;
      return true;
    }
    if (colon != std::string::npos) {
      return fail("unknown line " + Quoted(text.substr(0, colon)) + " in " + Quoted(text) +
                  "; expected " + LINE_NAMES);
    }
    return fail(Quoted(text) + " is not a device path; expected " + CONNECTION_FORMS +
                " (for example /dev/ttyUSB0 or usb-hid:0)");
  }

  const std::string name = text.substr(0, colon);
  const std::string rest = text.substr(colon + 1);
  parsed.type = named;
  if (rest.empty()) {
    return fail(Quoted(text) + " names no device; expected " + name + ":PATH or " + name +
                ":INDEX");
  }
  if (AllDigits(rest)) {
    long long value = 0;
    const auto [end, status] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (status != std::errc() || end != rest.data() + rest.size() ||
        value > std::numeric_limits<DeviceIndex>::max()) {
      return fail("device index " + rest + " in " + Quoted(text) + " is out of range");
    }
    if (named == INTERFACE_PS2_KEYBOARD && value != 0) {
      return fail("the PS/2 keyboard line has one device only; use ps2:0");
    }
    parsed.index = static_cast<DeviceIndex>(value);
  } else if (IsDevicePath(rest)) {
    if (named == INTERFACE_PS2_KEYBOARD) {
      return fail("the PS/2 keyboard line has no device path; use ps2:0");
    }
    parsed.path = rest;
  } else {
    return fail(Quoted(rest) + " in " + Quoted(text) +
                " is neither a device index nor a device path");
  }
  if (connection != nullptr) *connection = parsed;
  return true;
}

bool CheckConnectionKind(const ReaderConnection& connection, std::string* error) {
  if (connection.type == INTERFACE_PS2_KEYBOARD && !KeyboardLineOffered()) {
    if (error != nullptr) *error = KeyboardAccessCause(std::string());
    return false;
  }
  if (!connection.path.empty() || connection.index < 0) return true;
  const bool serial = connection.type == INTERFACE_RS232 || connection.type == INTERFACE_USB_RS232;
  const bool hid = connection.type == INTERFACE_USB_HID || connection.type == INTERFACE_USB_HID_KB;
  InterfaceType found = INTERFACE_UNKNOWN;
  std::string name;
  const bool present = (serial && FindSerialPort(connection.index, &found, &name)) ||
                       (hid && FindHidReader(connection.index, &found, &name));
  if (!present || found == connection.type) return true;

  const std::string wanted = InterfaceDisplayName(connection.type);
  std::string there = "a HID device that is no reader";
  if (found != INTERFACE_UNKNOWN) {
    there = std::string(found == INTERFACE_RS232 ? "an " : "a ") + InterfaceDisplayName(found) +
            (found == INTERFACE_RS232 ? " port" : " reader") + (name.empty() ? "" : " (" + name + ")");
  }
  std::vector<ReaderDeviceEntry> readers;
  EnumerateReaders(connection.type, readers);
  std::string elsewhere = "\"tessaron list\" finds no " + wanted + " reader";
  if (!readers.empty()) {
    elsewhere = "\"tessaron list\" shows the " + wanted + " reader" +
                (readers.size() > 1 ? "s as " : " as ");
    for (std::size_t i = 0; i < readers.size(); ++i) {
      elsewhere += (i == 0 ? "" : ", ") + ReaderConnectionText(ConnectionOf(readers[i]));
    }
  }
  if (error != nullptr) {
    *error = ReaderConnectionText(connection) + " is " + there + ", not a " + wanted + " reader; " +
             elsewhere;
  }
  return false;
}

std::string ReaderConnectionText(const ReaderConnection& connection) {
  const auto& names = CliInterfaceNames();
  const std::string name =
      connection.type >= 0 && connection.type < static_cast<InterfaceType>(names.size())
          ? names[static_cast<std::size_t>(connection.type)]
          : std::string("unknown");
  if (!connection.path.empty()) return name + ":" + connection.path;
  return name + ":" + std::to_string(connection.index);
}

ReaderConnection ConnectionOf(const ReaderDeviceEntry& entry) {
  ReaderConnection connection;
  connection.type = entry.interfaceType;
  connection.index = entry.deviceIndex;
  return connection;
}

std::vector<ReaderDeviceEntry> FindUsbReaders() {
  std::vector<ReaderDeviceEntry> found;
  for (InterfaceType type : {INTERFACE_USB_HID_KB, INTERFACE_USB_RS232, INTERFACE_USB_HID}) {
    EnumerateReaders(type, found);
  }
  return found;
}

ReaderLink::ReaderLink(const ReaderConnection& connection, std::unique_ptr<ReaderPort> port)
    : connection_(connection), port_(std::move(port)) {}

std::unique_ptr<ReaderLink> ReaderLink::Create(const ReaderConnection& connection,
                                               const PortSetup& setup) {
  std::unique_ptr<ReaderPort> port = CreateReaderPort(connection.type, setup.timing);
  if (!port) return nullptr;
  if (setup.wrap) port = setup.wrap(std::move(port));
  return std::unique_ptr<ReaderLink>(new ReaderLink(connection, std::move(port)));
}

bool ReaderLink::Open() {
  const bool opened = connection_.path.empty() ? port_->Open(connection_.index)
                                               : port_->OpenPath(connection_.path);
  if (opened) port_->GetPortName(openedName_);
  return opened;
}

void ReaderLink::Close() { port_->Close(); }

std::string ReaderLink::FailureCause() const {
  return PortErrorCause(port_->LastError(), port_->GetInterfaceType());
}

std::string ReaderLink::Name() const {
  return openedName_.empty() ? ReaderConnectionText(connection_) : openedName_;
}

}  // namespace tessaron
