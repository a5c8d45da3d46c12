#include "flows/reader_session.h"

#include <algorithm>

#include "transport/keyboard_port.h"

namespace tessaron {

bool ParseSimulateRequests(const std::vector<std::string>& requests,
                           std::vector<sim::SimulatedLineKind>* lines, std::string* error) {
  int keyboards = 0;
  for (const std::string& request : requests) {
    if (request.empty()) {
      *error = "no line named; expected " + LineNamesText() + " (--simulate alone: " +
               sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE) + ")";
      return false;
    }
    const std::size_t colon = request.find(':');
    const std::string name = request.substr(0, colon);
    sim::SimulatedLineKind kind = sim::DEFAULT_SIMULATED_LINE;
    if (!name.empty() && !sim::ParseSimulatedLine(name, &kind)) {
      *error = "unknown line \"" + name + "\"; expected " + LineNamesText();
      return false;
    }
    int count = 1;
    if (colon != std::string::npos) {
      const std::string digits = request.substr(colon + 1);
      count = 0;
      for (char c : digits) {
        if (c < '0' || c > '9' || count > MAX_SIMULATED_READERS) {
          count = -1;
          break;
        }
        count = count * 10 + (c - '0');
      }
      if (digits.empty() || count < 1 || count > MAX_SIMULATED_READERS) {
        *error = "the count in \"" + request + "\" must be 1 to " +
                 std::to_string(MAX_SIMULATED_READERS);
        return false;
      }
    }
    if (kind == sim::SimulatedLineKind::Ps2) keyboards += count;
    if (keyboards > 1) {
      *error = "there is one keyboard controller: ps2 at most once";
      return false;
    }
    if (lines != nullptr) lines->insert(lines->end(), static_cast<std::size_t>(count), kind);
  }
  return true;
}

namespace {

// What a run with simulated readers sees of the machine: nothing, not even its keyboard line.
class SandboxListing : public DeviceListing {
 public:
  std::vector<ListedDevice> SerialPorts() override { return {}; }
  std::vector<ListedDevice> HidDevices() override { return {}; }
  bool OffersKeyboardLine() override { return false; }
};

}  // namespace

ReaderSession::ReaderSession(ReaderEnvironment environment)
    : environment_(std::move(environment)) {}

ReaderSession::~ReaderSession() {
  // As the original program does at exit: the keyboard goes back to the system's driver.
  if (IsControllerAccessStarted()) StopControllerAccess();
  while (!simulated_.empty()) simulated_.pop_back();
}

bool ReaderSession::Simulate(const std::vector<sim::SimulatedLineKind>& lines,
                             std::string* error) {
  // A run with simulated readers is a sandbox: the machine's own ports, HID devices and
  // keyboard controller are neither listed nor opened.
  if (simulated_.empty()) {
    environment_.devices = std::make_shared<SandboxListing>();
    environment_.hidDevices = nullptr;
    environment_.keyboardController = nullptr;
  }
  int hidNumber = 0;
  for (const auto& line : simulated_) {
    if (IsHidInterface(line->Interface())) ++hidNumber;
  }
  for (sim::SimulatedLineKind kind : lines) {
    const bool hid = IsHidInterface(sim::SimulatedLineInterface(kind));
    auto line = std::make_unique<sim::SimulatedLine>(kind, sim::SimulatedReaderConfig{},
                                                     hid ? hidNumber++ : 0);
    // The keyboard line goes through the helper process, as to the real controller.
    line->SetKeyboardThroughHelper(true);
    if (!line->Start()) {
      if (error != nullptr) {
        *error = std::string("the simulated reader on ") + sim::SimulatedLineName(kind) +
                 " cannot be started";
      }
      return false;
    }
    environment_ = line->AddTo(std::move(environment_));
    simulated_.push_back(std::move(line));
  }
  return true;
}

std::vector<ReaderDeviceEntry> ReaderSession::UnnamedReaders(bool simulatedToo) const {
  std::vector<ReaderDeviceEntry> readers = FindUsbReaders(*environment_.devices);
  if (!simulatedToo || simulated_.empty()) return readers;
  std::vector<ReaderDeviceEntry> present;
  for (InterfaceType line : LINES) EnumerateReaders(*environment_.devices, line, present);
  for (const auto& line : simulated_) {
    for (const ReaderDeviceEntry& entry : present) {
      const bool listed = std::any_of(readers.begin(), readers.end(),
                                      [&](const ReaderDeviceEntry& usb) { return usb.name == entry.name; });
      if (entry.name == line->DeviceName() && !listed) readers.push_back(entry);
    }
  }
  return readers;
}

bool ReaderSession::ChooseUnnamed(bool simulatedToo, ReaderConnection* chosen,
                                  std::vector<ReaderDeviceEntry>* found) const {
  const std::vector<ReaderDeviceEntry> readers = UnnamedReaders(simulatedToo);
  if (found != nullptr) *found = readers;
  if (readers.size() != 1) return false;
  if (chosen != nullptr) *chosen = ConnectionOf(readers.front());
  return true;
}

bool ReaderSession::CheckConnection(const ReaderConnection& connection,
                                    std::string* error) const {
  if (simulated_.empty()) return CheckConnectionKind(*environment_.devices, connection, error);
  // The sandbox: a device path, or the keyboard line, must be one of the simulated readers.
  const bool keyboard = connection.type == InterfaceType::Ps2Keyboard;
  if (connection.path.empty() && !keyboard) {
    return CheckConnectionKind(*environment_.devices, connection, error);
  }
  std::string names;
  for (const auto& line : simulated_) {
    if (keyboard ? line->Interface() == InterfaceType::Ps2Keyboard
                 : line->DeviceName() == connection.path) {
      return true;
    }
    names += (names.empty() ? "" : ", ") + line->DeviceName();
  }
  if (error != nullptr) {
    *error = (keyboard ? std::string("the PS/2 keyboard line") : connection.path) +
             " is no simulated reader, and with simulated readers no other is used (the "
             "simulated ones: " + names + ")";
  }
  return false;
}

std::unique_ptr<ReaderLink> ReaderSession::Link(const ReaderConnection& connection) const {
  // In the sandbox a device path reaches a simulated reader only.
  std::string error;
  if (!simulated_.empty() && !CheckConnection(connection, &error)) {
    environment_.Tell(error);
    return nullptr;
  }
  return ReaderLink::Create(connection, environment_);
}

}  // namespace tessaron
