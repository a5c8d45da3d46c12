// Wall time and CPU time of the three reader lines with their real time constants, each
// against the simulated reader reached through discovery and the port factory exactly as a
// real reader is: the serial line on a pseudo-terminal, the USB HID line on the simulated
// HID device and the PS/2 keyboard line on the keyboard-controller model. On every line
// the same three exchanges run: a read of all settings, a write of the default record and
// a firmware version query.
//
// Serial and USB HID run a second time in fast mode (--fast), each exchange against its
// target and beside its time in the normal mode. The keyboard line runs a second time
// through the keyboard-controller helper process, as the programs reach it.
//
// Each exchange is set against the least time its transport's rules allow (the floor):
//   serial    the reply pause, the closing silence and the bytes on the wire at 9600 baud;
//             the client sleeps through all of it, so its CPU time stays under 2 % of wall.
//   USB-HID   the reply pause and the last polling step (three idle reads, each followed
//             by the poll pause); data reads and the reports sent carry no pause.
//   keyboard  the busy wait after each acknowledged byte, the pause before a set-type
//             acknowledgement and the pause after every transaction. The handshake spins
//             on the status register by design, so outside the two sleeps CPU time is
//             wall time; the port accesses per byte sent and received are counted.
//
// CPU time is getrusage(RUSAGE_THREAD) of the thread that runs the exchange. The serial
// line's simulator runs in a thread of its own and is not counted; the simulated HID
// device and the keyboard-controller model answer inside the transport's own calls, on
// the same thread, so their (small) share is counted with the client's.
//
// Usage: line_timing [--line serial|hid|keyboard]...   (default: all three lines)
// Exit status: 0 every target met, 2 a target missed, 1 a line could not be set up.

#include <sys/resource.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/command_frame.h"
#include "core/interface_type.h"
#include "core/reader_port.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_keyboard_controller.h"
#include "sim/pty_server.h"
#include "sim/simulated_line.h"
#include "transport/discovery.h"
#include "transport/hid_port.h"
#include "transport/keyboard_port.h"
#include "transport/port_io.h"
#include "transport/reader_port_factory.h"
#include "transport/transport_timing.h"

namespace {

using namespace tessaron;
using Clock = std::chrono::steady_clock;

constexpr double WALL_TOLERANCE = 0.10;
constexpr double SERIAL_CPU_SHARE_LIMIT = 0.02;
constexpr double SERIAL_BAUD = 9600.0;
constexpr double SERIAL_BITS_PER_BYTE = 10.0;  // start bit, 8 data bits, stop bit

double Ms(Millis value) { return static_cast<double>(value.count()); }

double ThreadCpuSeconds() {
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0.0;
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Nanoseconds the calling thread has spent ready to run but waiting for a processor, from
// the scheduler's statistics; -1 where the kernel does not keep them. Under other programs'
// load this time adds to wall time without being the transport's doing.
std::int64_t QueuedNanos(const std::string& schedstat = "/proc/thread-self/schedstat") {
  std::FILE* file = std::fopen(schedstat.c_str(), "r");
  if (file == nullptr) return -1;
  std::uint64_t running = 0;
  std::uint64_t waiting = 0;
  const int fields = std::fscanf(file, "%" SCNu64 " %" SCNu64, &running, &waiting);
  std::fclose(file);
  return fields == 2 ? static_cast<std::int64_t>(waiting) : -1;
}

const char* Verdict(bool met) { return met ? "PASS" : "MISS"; }

// Deviation of wall from floor, as a share of the floor.
double Deviation(double wallMs, double floorMs) {
  return floorMs > 0.0 ? (wallMs - floorMs) / floorMs : 0.0;
}

bool WithinTolerance(double wallMs, double floorMs) {
  const double deviation = Deviation(wallMs, floorMs);
  return deviation > -WALL_TOLERANCE && deviation < WALL_TOLERANCE;
}

// Keeps the tally of targets over all lines.
struct Tally {
  int met = 0;
  int missed = 0;
  void Count(bool ok) { ok ? ++met : ++missed; }
};

// One exchange as the settings transactions make it: the frame and the reply buffer size.
struct Exchange {
  const char* name;
  ByteString command;
  std::uint32_t replyCapacity;
};

ByteString ShortFrame(Byte funcId) {
  Byte buffer[COMMAND_BUFFER_SIZE] = {};
  std::uint32_t size = sizeof buffer;
  if (!BuildCommandFrame(funcId, 0, nullptr, buffer, &size)) return {};
  return ByteString(buffer, buffer + size);
}

ByteString DefaultRecordFrame() {
  Byte buffer[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t size = sizeof buffer;
  const ReaderSettings defaults;
  if (!EncodeSettings(defaults, buffer, &size)) return {};
  return ByteString(buffer, buffer + size);
}

std::vector<Exchange> Exchanges() {
  return {
      {"read-all", ShortFrame(CMD_READ_SETTINGS), SETTINGS_BUFFER_SIZE},
      {"write", DefaultRecordFrame(), WRITE_REPLY_BUFFER_SIZE},
      {"version", ShortFrame(CMD_GET_FIRMWARE_VERSION), VERSION_REPLY_BUFFER_SIZE},
  };
}

struct Measurement {
  bool ok = false;
  std::uint32_t sent = 0;
  std::uint32_t received = 0;
  double wallMs = 0.0;
  double cpuMs = 0.0;
  double queuedMs = -1.0;  // time spent waiting for a processor; negative when unknown
};

// The queued time as a table cell.
std::string QueuedText(const Measurement& m) {
  if (m.queuedMs < 0.0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", m.queuedMs);
  return text;
}

Measurement Measure(ReaderPort& port, const Exchange& exchange) {
  Measurement m;
  std::vector<Byte> reply(exchange.replyCapacity, 0);
  m.sent = static_cast<std::uint32_t>(exchange.command.size());
  const std::int64_t queuedBefore = QueuedNanos();
  const double cpuBefore = ThreadCpuSeconds();
  const Clock::time_point start = Clock::now();
  const PortReply answer = port.Transact(exchange.command, reply);
  m.ok = answer.ok;
  m.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  m.cpuMs = (ThreadCpuSeconds() - cpuBefore) * 1000.0;
  const std::int64_t queuedAfter = QueuedNanos();
  if (queuedBefore >= 0 && queuedAfter >= queuedBefore) {
    m.queuedMs = static_cast<double>(queuedAfter - queuedBefore) / 1e6;
  }
  m.received = static_cast<std::uint32_t>(answer.bytes.size());
  return m;
}

// The position discovery gives the simulated reader among the present devices of its
// interface, or -1 when discovery does not list it.
DeviceIndex FindInDiscovery(DeviceListing& devices, InterfaceType type, const std::string& name) {
  std::vector<ReaderDeviceEntry> entries;
  EnumerateReaders(devices, type, entries);
  for (const ReaderDeviceEntry& entry : entries) {
    if (entry.name == name) return entry.deviceIndex;
  }
  return -1;
}

// The readers of the benchmark: the simulated line alone, with the real timing (fast
// replies when asked for).
ReaderEnvironment LineEnvironment(const sim::SimulatedLine& line, bool fastReplies = false) {
  ReaderEnvironment readers = line.AddTo(ReaderEnvironment());
  readers.timing.fastReplies = fastReplies;
  return readers;
}

// Starts the line and opens a port of its interface at the position discovery lists it;
// keyboard, when given, stands in for the line's keyboard controller.
std::unique_ptr<ReaderPort> OpenThroughDiscovery(
    sim::SimulatedLine& line, std::shared_ptr<KeyboardController> keyboard = nullptr) {
  if (!line.Start()) {
    std::fprintf(stderr, "line_timing: the %s line cannot be served\n",
                 sim::SimulatedLineName(line.Kind()));
    return nullptr;
  }
  ReaderEnvironment readers = LineEnvironment(line);
  if (keyboard) readers.keyboardController = std::move(keyboard);
  const DeviceIndex index = FindInDiscovery(*readers.devices, line.Interface(), line.DeviceName());
  if (index < 0) {
    std::fprintf(stderr, "line_timing: discovery does not list %s\n", line.DeviceName().c_str());
    return nullptr;
  }
  std::unique_ptr<ReaderPort> port = CreateReaderPort(line.Interface(), readers);
  if (!port || !port->Open(index)) {
    std::fprintf(stderr, "line_timing: cannot open %s\n", line.DeviceName().c_str());
    return nullptr;
  }
  return port;
}

// ---------------------------------------------------------------------------------------
// Fast mode

constexpr double FAST_SERIAL_MARGIN_MS = 20.0;
constexpr double FAST_HID_TARGET_MS = 40.0;

// The bytes' time on a 9600 baud line, both ways.
double WireMs(const Measurement& m) {
  return static_cast<double>(m.sent + m.received) * SERIAL_BITS_PER_BYTE / SERIAL_BAUD * 1000.0;
}

void PrintFastHeader() {
  std::printf("  %-9s %-6s %5s %5s %9s %9s %9s %9s  %-7s\n", "exchange", "result", "sent",
              "recv", "wall ms", "target ms", "normal ms", "fast/norm", "target");
}

// One exchange in fast mode beside the same exchange in the normal mode.
void PrintFastRow(Tally& tally, const char* name, const Measurement& m, double targetMs,
                  double normalMs) {
  const bool met = m.ok && m.wallMs <= targetMs;
  tally.Count(met);
  std::printf("  %-9s %-6s %5u %5u %9.2f %9.1f %9.1f %8.4fx  %-7s\n", name, m.ok ? "ok" : "FAILED",
              m.sent, m.received, m.wallMs, targetMs, normalMs,
              normalMs > 0.0 ? m.wallMs / normalMs : 0.0, Verdict(met));
}

// ---------------------------------------------------------------------------------------
// Serial line

bool RunSerial(Tally& tally) {
  const SerialTiming timing = TransportTiming::Real().serial;
  sim::SimulatedLine line(sim::SimulatedLineKind::Rs232);
  std::unique_ptr<ReaderPort> port = OpenThroughDiscovery(line);
  if (!port) return false;
  // The simulated reader takes and sends its bytes at the pace of a real line.
  sim::PtyServerOptions paced;
  paced.wireByteTime = std::chrono::microseconds(
      static_cast<long>(SERIAL_BITS_PER_BYTE / SERIAL_BAUD * 1e6));
  line.Server()->SetOptions(paced);

  std::printf("\nSerial line \"%s\" on the pseudo-terminal %s\n",
              InterfaceDisplayName(InterfaceType::Rs232), line.DeviceName().c_str());
  std::printf("  floor = %.0f ms pause + %.0f ms closing silence + (sent + received) bytes x %.3f ms"
              " (9600 baud, 10 bits a byte)\n",
              Ms(timing.replyPause), Ms(timing.perByteWait),
              SERIAL_BITS_PER_BYTE / SERIAL_BAUD * 1000.0);
  std::printf("  %-9s %-6s %5s %5s %9s %9s %7s %8s %8s %9s  %-9s %-8s\n", "exchange", "result",
              "sent", "recv", "wall ms", "floor ms", "dev", "cpu ms", "cpu/wall", "queued ms",
              "wall+-10%", "cpu<2%");
  std::vector<double> normalWall;
  for (const Exchange& exchange : Exchanges()) {
    const Measurement m = Measure(*port, exchange);
    normalWall.push_back(m.wallMs);
    const double wireMs = WireMs(m);
    const double floorMs = Ms(timing.replyPause) + Ms(timing.perByteWait) + wireMs;
    const double cpuShare = m.wallMs > 0.0 ? m.cpuMs / m.wallMs : 0.0;
    const bool wallMet = m.ok && WithinTolerance(m.wallMs, floorMs);
    const bool cpuMet = m.ok && cpuShare < SERIAL_CPU_SHARE_LIMIT;
    tally.Count(wallMet);
    tally.Count(cpuMet);
    std::printf("  %-9s %-6s %5u %5u %9.1f %9.1f %+6.1f%% %8.3f %7.3f%% %9s  %-9s %-8s\n",
                exchange.name, m.ok ? "ack" : "FAILED", m.sent, m.received, m.wallMs, floorMs,
                Deviation(m.wallMs, floorMs) * 100.0, m.cpuMs, cpuShare * 100.0,
                QueuedText(m).c_str(), Verdict(wallMet), Verdict(cpuMet));
  }
  std::printf("  The simulated line paces its bytes at 9600 baud; the reply arrives during the"
              " pause, so the wall time comes in\n  under the floor by the received bytes' time"
              " on the wire.\n");
  port->Close();

  // Fast mode on the same line: each exchange ends once its whole reply is in.
  port = CreateReaderPort(InterfaceType::Rs232, LineEnvironment(line, true));
  if (!port->OpenPath(line.DeviceName())) return false;
  std::printf("\n  Fast mode (--fast): target = 1.5 x the bytes' time on the wire + %.0f ms\n",
              FAST_SERIAL_MARGIN_MS);
  PrintFastHeader();
  std::size_t row = 0;
  for (const Exchange& exchange : Exchanges()) {
    const Measurement m = Measure(*port, exchange);
    const double targetMs = 1.5 * WireMs(m) + FAST_SERIAL_MARGIN_MS;
    PrintFastRow(tally, exchange.name, m, targetMs, normalWall[row++]);
  }
  port->Close();
  return true;
}

// ---------------------------------------------------------------------------------------
// USB HID line

bool RunHid(Tally& tally) {
  const HidTiming timing = TransportTiming::Real().hid;
  sim::SimulatedLine line(sim::SimulatedLineKind::UsbHid);
  std::unique_ptr<ReaderPort> port = OpenThroughDiscovery(line);
  if (!port) return false;
  sim::SimulatedHidDevice* device = line.SimulatedHid();
  const std::uint32_t reportLength = static_cast<HidPort&>(*port).FeatureReportLength();
  const std::uint32_t chunk = reportLength > 1 ? reportLength - 1 : 1;

  const double lastPollMs = HID_READS_PER_POLL * Ms(timing.pollPause);
  std::printf("\nUSB HID line \"%s\" on the simulated device %s (%u-byte feature reports)\n",
              InterfaceDisplayName(InterfaceType::UsbHid), line.DeviceName().c_str(), reportLength);
  std::printf("  floor = %.0f ms pause + k data reads without pause + last polling step of %d"
              " reads x %.0f ms = %.0f ms (+ the reports sent, taken at once here)\n",
              Ms(timing.replyPause), HID_READS_PER_POLL, Ms(timing.pollPause),
              Ms(timing.replyPause) + lastPollMs);
  std::printf("  %-9s %-6s %5s %5s %7s %7s %9s %9s %7s %8s %8s %9s  %-9s\n", "exchange",
              "result", "sent", "recv", "reports", "reads", "wall ms", "floor ms", "dev", "cpu ms",
              "cpu/wall", "queued ms", "wall+-10%");
  std::vector<double> normalWall;
  for (const Exchange& exchange : Exchanges()) {
    const std::size_t setBefore = device->SetFeatureCalls();
    const std::size_t getBefore = device->GetFeatureCalls();
    const Measurement m = Measure(*port, exchange);
    normalWall.push_back(m.wallMs);
    const std::size_t reports = device->SetFeatureCalls() - setBefore;
    const std::size_t reads = device->GetFeatureCalls() - getBefore;
    // Every data report brings one chunk; the reads after the last one are the final step.
    const std::size_t dataReads = m.received / chunk;
    const std::size_t idleReads = reads >= dataReads ? reads - dataReads : 0;
    const double floorMs = Ms(timing.replyPause) + lastPollMs;
    const double cpuShare = m.wallMs > 0.0 ? m.cpuMs / m.wallMs : 0.0;
    const bool wallMet = m.ok && WithinTolerance(m.wallMs, floorMs);
    tally.Count(wallMet);
    char readsText[32];
    std::snprintf(readsText, sizeof readsText, "%zu+%zu", dataReads, idleReads);
    std::printf("  %-9s %-6s %5u %5u %7zu %7s %9.1f %9.1f %+6.1f%% %8.3f %7.3f%% %9s  %-9s\n",
                exchange.name, m.ok ? "ok" : "FAILED", m.sent, m.received, reports, readsText,
                m.wallMs, floorMs, Deviation(m.wallMs, floorMs) * 100.0, m.cpuMs,
                cpuShare * 100.0, QueuedText(m).c_str(), Verdict(wallMet));
  }
  std::printf("  reads = data reads + reads of the last polling step (%d expected); recv is whole"
              " chunks of %u bytes.\n",
              HID_READS_PER_POLL, chunk);
  port->Close();

  // Fast mode on the same device.
  port = CreateReaderPort(InterfaceType::UsbHid, LineEnvironment(line, true));
  if (!port->OpenPath(line.DeviceName())) return false;
  std::printf("\n  Fast mode (--fast): target = under %.0f ms\n", FAST_HID_TARGET_MS);
  PrintFastHeader();
  std::size_t row = 0;
  for (const Exchange& exchange : Exchanges()) {
    PrintFastRow(tally, exchange.name, Measure(*port, exchange), FAST_HID_TARGET_MS,
                 normalWall[row++]);
  }
  // The simulated device ends with the line: the port lets go of it first.
  port->Close();
  return true;
}

// ---------------------------------------------------------------------------------------
// PS/2 keyboard line

// Passes every port access on to the keyboard-controller model and tells apart the
// accesses spent on sending command bytes (waiting until the controller takes the byte,
// the write, waiting for the answer, reading it) from those spent on receiving reply bytes
// (waiting for a byte, reading it). An access is charged to the data-port access it leads
// up to: status polls before a data-port write or before the read of its answer belong to
// sending; any other data-port read is a received byte.
class CountingPortIo final : public PortIo {
 public:
  struct Counts {
    std::size_t sendAccesses = 0;
    std::size_t receiveAccesses = 0;
    std::size_t bytesWritten = 0;   // data-port writes (resends included)
    std::size_t bytesReceived = 0;  // data-port reads that are not the answer to a byte sent
  };

  explicit CountingPortIo(std::shared_ptr<PortIo> inner) : inner_(std::move(inner)) {}

  bool Start() override { return inner_->Start(); }
  void Stop() override { inner_->Stop(); }

  std::uint8_t ReadPort(std::uint16_t port) override {
    ++pending_;
    if (port == KBC_DATA_PORT) {
      if (awaitingAnswer_) {
        counts_.sendAccesses += pending_;
        awaitingAnswer_ = false;
      } else {
        counts_.receiveAccesses += pending_;
        ++counts_.bytesReceived;
      }
      pending_ = 0;
    }
    return inner_->ReadPort(port);
  }

  void WritePort(std::uint16_t port, std::uint8_t value) override {
    ++pending_;
    if (port == KBC_DATA_PORT) {
      counts_.sendAccesses += pending_;
      ++counts_.bytesWritten;
      awaitingAnswer_ = true;
      pending_ = 0;
    }
    inner_->WritePort(port, value);
  }

  // Starts counting a new exchange.
  void Reset() {
    counts_ = Counts{};
    pending_ = 0;
    awaitingAnswer_ = false;
  }

  // The counts of the exchange; status polls that led to no byte (a reply that timed out)
  // belong to receiving.
  Counts Finish() {
    counts_.receiveAccesses += pending_;
    pending_ = 0;
    return counts_;
  }

 private:
  std::shared_ptr<PortIo> inner_;
  Counts counts_;
  std::size_t pending_ = 0;
  bool awaitingAnswer_ = false;
};

// The two pauses the keyboard transport sleeps through; the rest of the time it spins.
double KeyboardSleptMs(const KeyboardTiming& timing, const Exchange& exchange, std::uint32_t sent) {
  const bool setType = exchange.command.size() >= 2 && IsKeyboardSetCommand(exchange.command[1]);
  return (setType ? Ms(timing.setAckPausePerByte) * sent : 0.0) + Ms(timing.afterTransaction);
}

bool RunKeyboard(Tally& tally) {
  const KeyboardTiming timing = TransportTiming::Real().keyboard;
  sim::SimulatedLine line(sim::SimulatedLineKind::Ps2);
  if (!line.Start()) {
    std::fprintf(stderr, "line_timing: the ps2 line cannot be served\n");
    return false;
  }
  // The counter goes in front of a controller model like the one the line brings.
  auto counter = std::make_shared<CountingPortIo>(std::make_shared<sim::SimulatedKeyboardController>());

  bool ran = false;
  {
    std::unique_ptr<ReaderPort> port =
        OpenThroughDiscovery(line, std::make_shared<PortIoController>(counter));
    if (port) {
      ran = true;
      std::printf("\nPS/2 keyboard line \"%s\" on the keyboard-controller model\n",
                  InterfaceDisplayName(InterfaceType::Ps2Keyboard));
      std::printf("  floor = %.0f ms busy wait per acknowledged byte + %.0f ms per command byte"
                  " before a set-type acknowledgement + %.0f ms after the transaction\n",
                  Ms(timing.ackedBytePause), Ms(timing.setAckPausePerByte),
                  Ms(timing.afterTransaction));
      std::printf("  %-9s %-6s %5s %5s %9s %9s %7s %8s %8s %8s %9s %8s %8s  %-9s\n",
                  "exchange", "result", "sent", "recv", "wall ms", "floor ms", "dev", "slept ms",
                  "cpu ms", "cpu/busy", "queued ms", "acc/sent", "acc/recv", "wall+-10%");
      for (const Exchange& exchange : Exchanges()) {
        counter->Reset();
        const Measurement m = Measure(*port, exchange);
        const CountingPortIo::Counts counts = counter->Finish();
        const double sleptMs = KeyboardSleptMs(timing, exchange, m.sent);
        const double floorMs = Ms(timing.ackedBytePause) * m.sent + sleptMs;
        const double busyMs = m.wallMs - sleptMs;
        const double cpuShareOfBusy = busyMs > 0.0 ? m.cpuMs / busyMs : 0.0;
        const double perSent = counts.bytesWritten > 0
                                   ? static_cast<double>(counts.sendAccesses) /
                                         static_cast<double>(counts.bytesWritten)
                                   : 0.0;
        const double perReceived = counts.bytesReceived > 0
                                       ? static_cast<double>(counts.receiveAccesses) /
                                             static_cast<double>(counts.bytesReceived)
                                       : 0.0;
        const bool wallMet = m.ok && WithinTolerance(m.wallMs, floorMs);
        tally.Count(wallMet);
        std::printf(
            "  %-9s %-6s %5u %5u %9.1f %9.1f %+6.1f%% %8.1f %8.2f %7.1f%% %9s %8.2f %8.2f  %-9s\n",
            exchange.name, m.ok ? "ok" : "FAILED", m.sent, m.received, m.wallMs, floorMs,
            Deviation(m.wallMs, floorMs) * 100.0, sleptMs, m.cpuMs, cpuShareOfBusy * 100.0,
            QueuedText(m).c_str(), perSent, perReceived, Verdict(wallMet));
      }
      std::printf("  acc/sent, acc/recv = port accesses per byte sent and per byte received;"
                  " busy = wall - slept.\n");
      std::printf("  The model answers every access at once. On a real line each byte spends about"
                  " 1 ms on the wire, and the client spins\n  on the status port all that time:"
                  " acc/sent and acc/recv grow with the line's speed, CPU stays equal to busy.\n");
      port->Close();
    }
  }
  // Drop the access that holds the counter.
  StopControllerAccess();
  line.Stop();
  return ran;
}

// The queued time of the keyboard-controller helper, a child of one of this program's
// threads.
std::int64_t HelperQueuedNanos() {
  std::error_code ignored;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
    std::ifstream children(task.path() / "children");
    for (long child = 0; children >> child;) {
      const std::string process = "/proc/" + std::to_string(child);
      std::ifstream comm(process + "/comm");
      std::string name;
      if (std::getline(comm, name) && name == "tessaron-kbc") {
        return QueuedNanos(process + "/schedstat");
      }
    }
  }
  return -1;
}

// The same exchanges as the programs make them: through the keyboard-controller helper
// process (tessaron-kbc --simulated, beside this program), which runs the handshake next to
// the controller model. The socket adds its round trip to each exchange; the queued time
// is that of this program's thread and of the helper.
bool RunKeyboardThroughHelper(Tally& tally) {
  const KeyboardTiming timing = TransportTiming::Real().keyboard;
  sim::SimulatedLine line(sim::SimulatedLineKind::Ps2);
  line.SetKeyboardThroughHelper(true);
  std::unique_ptr<ReaderPort> port = OpenThroughDiscovery(line);
  if (!port) return false;
  std::printf("\nPS/2 keyboard line \"%s\" through the helper tessaron-kbc --simulated\n",
              InterfaceDisplayName(InterfaceType::Ps2Keyboard));
  std::printf("  %-9s %-6s %5s %5s %9s %9s %7s %9s  %-9s\n", "exchange", "result", "sent", "recv",
              "wall ms", "floor ms", "dev", "queued ms", "wall+-10%");
  for (const Exchange& exchange : Exchanges()) {
    const std::int64_t helperBefore = HelperQueuedNanos();
    Measurement m = Measure(*port, exchange);
    const std::int64_t helperAfter = HelperQueuedNanos();
    if (m.queuedMs >= 0.0 && helperBefore >= 0 && helperAfter >= helperBefore) {
      m.queuedMs += static_cast<double>(helperAfter - helperBefore) / 1e6;
    }
    const double floorMs =
        Ms(timing.ackedBytePause) * m.sent + KeyboardSleptMs(timing, exchange, m.sent);
    const bool wallMet = m.ok && WithinTolerance(m.wallMs, floorMs);
    tally.Count(wallMet);
    std::printf("  %-9s %-6s %5u %5u %9.1f %9.1f %+6.1f%% %9s  %-9s\n", exchange.name,
                m.ok ? "ok" : "FAILED", m.sent, m.received, m.wallMs, floorMs,
                Deviation(m.wallMs, floorMs) * 100.0, QueuedText(m).c_str(), Verdict(wallMet));
  }
  port->Close();
  port.reset();
  StopControllerAccess();
  return true;
}

void Usage() {
  std::fprintf(stderr, "usage: line_timing [--line serial|hid|keyboard]...\n");
}

}  // namespace

int main(int argc, char** argv) {
  bool serial = false;
  bool hid = false;
  bool keyboard = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--line") != 0 || i + 1 >= argc) {
      Usage();
      return 1;
    }
    const std::string name = argv[++i];
    if (name == "serial") {
      serial = true;
    } else if (name == "hid") {
      hid = true;
    } else if (name == "keyboard") {
      keyboard = true;
    } else {
      Usage();
      return 1;
    }
  }
  if (!serial && !hid && !keyboard) serial = hid = keyboard = true;

  std::printf("Reader line timing with the real time constants, against the simulated reader.\n");
  std::printf("CPU = getrusage(RUSAGE_THREAD) of the calling thread (the serial simulator's own"
              " thread is not counted;\nthe HID device and keyboard-controller models run inside"
              " the client's calls and are).\n");
  std::printf("Exchanges: read-all (%zu bytes), write of the default record (%zu bytes), version"
              " query (%zu bytes).\n",
              ShortFrame(CMD_READ_SETTINGS).size(), DefaultRecordFrame().size(),
              ShortFrame(CMD_GET_FIRMWARE_VERSION).size());

  std::printf("queued = time the client's thread was ready to run but waited for a processor:"
              " other programs' load,\nnot the transport's doing. A MISS with a large queued"
              " time says the machine was busy.\n");

  Tally tally;
  bool setUp = true;
  if (serial) setUp = RunSerial(tally) && setUp;
  if (hid) setUp = RunHid(tally) && setUp;
  if (keyboard) setUp = RunKeyboard(tally) && RunKeyboardThroughHelper(tally) && setUp;

  std::printf("\nTargets: %d, PASS %d, MISS %d\n", tally.met + tally.missed, tally.met,
              tally.missed);
  if (!setUp) return 1;
  return tally.missed == 0 ? 0 : 2;
}
