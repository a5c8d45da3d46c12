#include "flows/reader_connection.h"

#include <charconv>
#include <limits>

#include "flows/flow_texts.h"
#include "transport/keyboard_port.h"
#include "transport/port_error_text.h"
#include "transport/port_failure.h"
#include "transport/reader_environment.h"
#include "transport/reader_port_factory.h"
#include "transport/serial_line.h"

namespace tessaron {

namespace {

constexpr const char* CONNECTION_FORMS = "a device path, NAME:PATH or NAME:INDEX";

// The interface a line name stands for; "unknown" names no line.
bool LineInterface(const std::string& name, InterfaceType* type) {
  InterfaceType found = InterfaceType::Unknown;
  if (!ParseLineName(name, &found) || found == InterfaceType::Unknown) return false;
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
  InterfaceType named = InterfaceType::Unknown;
  const bool hasName = colon != std::string::npos && LineInterface(text.substr(0, colon), &named);

  // The keyboard line has one device: its name alone names it.
  InterfaceType bare = InterfaceType::Unknown;
  if (colon == std::string::npos && LineInterface(text, &bare) && bare == InterfaceType::Ps2Keyboard) {
    parsed.type = bare;
    parsed.index = 0;
    if (connection != nullptr) *connection = parsed;
    return true;
  }
  if (!hasName) {
    // A bare device node is a plain serial port. Paths may hold colons (by-path names).
    if (LooksLikePath(text)) {
      parsed.type = InterfaceType::Rs232;
      parsed.path = text;
      if (connection != nullptr) *connection = parsed;
      return true;
    }
    if (colon != std::string::npos) {
      return fail("unknown line " + Quoted(text.substr(0, colon)) + " in " + Quoted(text) +
                  "; expected " + LineNamesText());
    }
    return fail(Quoted(text) + " is not a device path; expected " + CONNECTION_FORMS +
                " (for example " + SerialPortExample() + " or usb-hid:0)");
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
    if (named == InterfaceType::Ps2Keyboard && value != 0) {
      return fail("the PS/2 keyboard line has one device only; use ps2:0");
    }
    parsed.index = static_cast<DeviceIndex>(value);
  } else if (IsDevicePath(rest)) {
    if (named == InterfaceType::Ps2Keyboard) {
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

bool CheckConnectionKind(DeviceListing& devices, const ReaderConnection& connection,
                         std::string* error) {
  if (connection.type == InterfaceType::Ps2Keyboard && !devices.OffersKeyboardLine()) {
    if (error != nullptr) *error = texts::KEYBOARD_LINE_NOT_OFFERED;
    return false;
  }
  if (!connection.path.empty() || connection.index < 0) return true;
  InterfaceType found = InterfaceType::Unknown;
  std::string name;
  const bool present =
      (IsSerialInterface(connection.type) &&
       FindSerialPort(devices, connection.index, &found, &name)) ||
      (IsHidInterface(connection.type) && FindHidReader(devices, connection.index, &found, &name));
  if (!present || found == connection.type) return true;

  const std::string wanted = InterfaceDisplayName(connection.type);
  std::string there = "a HID device that is no reader";
  if (found != InterfaceType::Unknown) {
    there = std::string(found == InterfaceType::Rs232 ? "an " : "a ") + InterfaceDisplayName(found) +
            (found == InterfaceType::Rs232 ? " port" : " reader") + (name.empty() ? "" : " (" + name + ")");
  }
  std::vector<ReaderDeviceEntry> readers;
  EnumerateReaders(devices, connection.type, readers);
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
  const std::string name = InterfaceLineName(connection.type);
  if (!connection.path.empty()) return name + ":" + connection.path;
  return name + ":" + std::to_string(connection.index);
}

ReaderConnection ConnectionOf(const ReaderDeviceEntry& entry) {
  ReaderConnection connection;
  connection.type = entry.interfaceType;
  connection.index = entry.deviceIndex;
  return connection;
}

std::vector<ReaderDeviceEntry> FindUsbReaders(DeviceListing& devices) {
  std::vector<ReaderDeviceEntry> found;
  for (InterfaceType type : UsbSearchOrder()) EnumerateReaders(devices, type, found);
  return found;
}

ReaderLink::ReaderLink(const ReaderConnection& connection, std::unique_ptr<ReaderPort> port,
                       MessageSink messages)
    : connection_(connection), port_(std::move(port)), messages_(std::move(messages)) {}

std::unique_ptr<ReaderLink> ReaderLink::Create(const ReaderConnection& connection,
                                               const ReaderEnvironment& environment) {
  std::unique_ptr<ReaderPort> port = CreateReaderPort(connection.type, environment);
  if (!port) {
    environment.Tell(INTERFACE_TYPE_ERROR_TEXT);
    return nullptr;
  }
  return std::unique_ptr<ReaderLink>(
      new ReaderLink(connection, std::move(port), environment.messages));
}

bool ReaderLink::Open() {
  failureTold_ = false;
  const bool opened = connection_.path.empty() ? port_->Open(connection_.index)
                                               : port_->OpenPath(connection_.path);
  if (opened) {
    port_->GetPortName(openedName_);
    return true;
  }
  // The keyboard line that cannot have its port access says so in a message of its own,
  // whoever opened it; the outcome texts of the work are then left out.
  const PortError& error = port_->LastError();
  if (Interface() == InterfaceType::Ps2Keyboard && error.kind == PortErrorKind::NoPortAccess) {
    if (messages_) {
      messages_(std::string(KEYBOARD_ACCESS_FAILED_TEXT) + "\n" + FailureCause(),
                KEYBOARD_ACCESS_FAILED_CAPTION);
    }
    failureTold_ = true;
  }
  return false;
}

void ReaderLink::Close() { port_->Close(); }

std::string ReaderLink::FailureCause() const {
  return PortErrorCause(port_->LastError(), port_->GetInterfaceType());
}

std::string ReaderLink::Name() const {
  return openedName_.empty() ? ReaderConnectionText(connection_) : openedName_;
}

OpenReader::OpenReader(ReaderLink* link) : link_(link) {
  open_ = link_ != nullptr && link_->Open();
  if (!open_) Close();
}

OpenReader::~OpenReader() { Close(); }

void OpenReader::Close() {
  if (closed_) return;
  closed_ = true;
  if (link_ != nullptr) link_->Close();
}

bool OpenReader::OrTell(const char* text, FlowContext& flow) {
  if (open_) return true;
  if (link_ == nullptr || !link_->FailureTold()) {
    flow.TellFailed(text, link_ != nullptr ? link_->FailureCause() : std::string());
  }
  return false;
}

}  // namespace tessaron
