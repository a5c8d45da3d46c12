#pragma once
// The reader session of one run of a program: the environment through which its readers are
// reached (the one the program built, with the simulated readers asked for added), the
// choice of the reader when none is named (exactly one USB reader), naming a reader by a
// connection, finding the reader again after an interface switch, and the keyboard handed
// back to the system when the run ends. The windows and the command line only present it.

#include <memory>
#include <string>
#include <vector>

#include "flows/reader_connection.h"
#include "sim/simulated_line.h"
#include "transport/reader_environment.h"

namespace tessaron {

// The most readers one --simulate=LINE:COUNT adds.
constexpr int MAX_SIMULATED_READERS = 16;

// Reads --simulate requests, each LINE or LINE:COUNT (COUNT 1 to MAX_SIMULATED_READERS;
// there is one keyboard controller, so ps2 at most once in all); an empty LINE before a
// COUNT is the default line, an empty request names none. lines, when given, gets one line
// kind per reader. False with the reason in error.
bool ParseSimulateRequests(const std::vector<std::string>& requests,
                           std::vector<sim::SimulatedLineKind>* lines, std::string* error);

class ReaderSession {
 public:
  // environment: the devices, messages and timing the program works with.
  explicit ReaderSession(ReaderEnvironment environment);
  // Hands the keyboard back to the system when its controller access was started in the
  // run, then stops the simulated readers. Ports must be gone by then.
  ~ReaderSession();
  ReaderSession(const ReaderSession&) = delete;
  ReaderSession& operator=(const ReaderSession&) = delete;

  // Starts one simulated reader per line and adds it to the environment (several USB HID
  // readers get the HID nodes /dev/hidraw-sim0, 1, ...). The first one makes the session a
  // sandbox: from then on it lists, opens and counts its simulated readers only, none of the
  // machine's ports, HID devices or keyboard controller. False with the reason in error when
  // one cannot be started; the ones started before stay. The keyboard line's model runs in the
  // helper process, as the real controller is reached.
  bool Simulate(const std::vector<sim::SimulatedLineKind>& lines, std::string* error);
  const std::vector<std::unique_ptr<sim::SimulatedLine>>& Simulated() const { return simulated_; }

  ReaderEnvironment& Environment() { return environment_; }
  const ReaderEnvironment& Environment() const { return environment_; }

  // The readers taken without being named, as discovery shows them now: the USB readers
  // present in the order of the USB search, and with simulatedToo also the simulated readers
  // of the session whatever their line.
  std::vector<ReaderDeviceEntry> UnnamedReaders(bool simulatedToo) const;
  // The reader taken without being named: true with its connection when UnnamedReaders
  // holds exactly one (they are all in *found, when given).
  bool ChooseUnnamed(bool simulatedToo, ReaderConnection* chosen,
                     std::vector<ReaderDeviceEntry>* found = nullptr) const;
  // Whether a named connection may be used (see CheckConnectionKind); in the sandbox a device
  // path must name a simulated reader.
  bool CheckConnection(const ReaderConnection& connection, std::string* error) const;
  // The link to a reader; null, after "ERROR Interface Type!", when no port serves it, and in
  // the sandbox for a device path that names no simulated reader.
  std::unique_ptr<ReaderLink> Link(const ReaderConnection& connection) const;

 private:
  ReaderEnvironment environment_;
  // Started in order; each one's devices are listed after those before.
  std::vector<std::unique_ptr<sim::SimulatedLine>> simulated_;
};

}  // namespace tessaron
