#pragma once
// What every command that talks to readers sets up around its work: the timing, the
// messages of the lower layers, the optional simulated reader, and the reader to use.

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "cli/reader_connection.h"
#include "cli/reader_flows.h"
#include "core/message_sink.h"
#include "transport/transport_timing.h"

namespace tessaron {

namespace sim {
class SimulatedLine;
}

// Environment variable for the tests only: a factor between 0 and 1 by which every
// transport time and every pause between steps is shortened. Unset, or any other value,
// leaves the real timing.
inline constexpr const char* TEST_TIMING_SCALE_VARIABLE = "TESSARON_TEST_TIMING_SCALE";

// The factor TEST_TIMING_SCALE_VARIABLE asks for: its value when it is a number above 0 and
// at most 1, otherwise 1.
double TestTimingScale();
// Every time of timing multiplied by scale; a time that was not zero stays at least 1 ms.
TransportTiming ScaleTiming(const TransportTiming& timing, double scale);
std::chrono::milliseconds ScaleDuration(std::chrono::milliseconds length, double scale);

// The names --simulate accepts, for help and checks.
const char* SimulatedLineNames();

class OnlineSession {
 public:
  // Reads the timing, and sends the lower layers' messages to err until destroyed.
  OnlineSession(std::ostream& out, std::ostream& err);
  // Gives the keyboard controller access back when it was taken, then stops the simulated
  // reader. Ports must be gone by then.
  ~OnlineSession();
  OnlineSession(const OnlineSession&) = delete;
  OnlineSession& operator=(const OnlineSession&) = delete;

  // Adds the simulated reader of that line to discovery; false after a message on err.
  bool Simulate(const std::string& lineName);
  // The device name of the simulated reader; empty when none runs.
  std::string SimulatedDeviceName() const;

  // The reader named by connectionText, or the automatic connection when it is empty.
  // nullptr after a message on err.
  std::unique_ptr<ReaderLink> Connect(const std::string& connectionText);

  const TransportTiming& Timing() const { return timing_; }
  const FlowContext& Flow() const { return flow_; }
  std::ostream& Out() { return out_; }
  std::ostream& Err() { return err_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  double scale_ = 1.0;
  TransportTiming timing_;
  FlowContext flow_;
  MessageHandler previousHandler_;
  std::unique_ptr<sim::SimulatedLine> simulated_;
};

}  // namespace tessaron
