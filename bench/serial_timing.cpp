// Wall time and CPU time of the serial transport with its real timing, against the
// simulated reader on a pseudo-terminal: a read of all settings, a settings write and a
// firmware version query.
//
// Expected wall time of one transaction: the 1.5 s pause, the closing 1 s of silence and
// the bytes on the wire at 9600 baud (10 bits each, about 1.04 ms; a pseudo-terminal moves
// them at once, so it comes in under that). The client must sleep through all of it:
// its CPU time stays below 2 % of the wall time.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "sim/pty_server.h"
#include "sim/simulated_reader.h"
#include "transport/serial_port.h"

namespace {

using namespace tessaron;
using Clock = std::chrono::steady_clock;

constexpr double BYTE_SECONDS = 10.0 / 9600.0;
constexpr double WALL_TOLERANCE = 0.10;
constexpr double CPU_SHARE_LIMIT = 0.02;

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

ByteString Frame(Byte funcId, Byte length = 0, const Byte* data = nullptr) {
  Byte buffer[COMMAND_BUFFER_SIZE] = {};
  std::uint32_t size = sizeof buffer;
  BuildCommandFrame(funcId, length, data, buffer, &size);
  return ByteString(buffer, buffer + size);
}

// Runs one transaction, prints its figures and says whether they meet the targets.
bool Measure(SerialPort& port, const char* name, const ByteString& command) {
  std::vector<Byte> reply(SETTINGS_BUFFER_SIZE, 0);
  std::uint32_t replyLength = SETTINGS_BUFFER_SIZE;
  const double cpuBefore = ThreadCpuSeconds();
  const Clock::time_point start = Clock::now();
  const bool ok = port.Transact(command.data(), static_cast<std::int32_t>(command.size()),
                                reply.data(), &replyLength);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = ThreadCpuSeconds() - cpuBefore;

  const std::size_t wireBytes = command.size() + replyLength;
  const double expected = 1.5 + 1.0 + static_cast<double>(wireBytes) * BYTE_SECONDS;
  const double deviation = (wall - expected) / expected;
  const double cpuShare = cpu / wall;
  const bool met = ok && deviation > -WALL_TOLERANCE && deviation < WALL_TOLERANCE &&
                   cpuShare < CPU_SHARE_LIMIT;
  std::printf("%-10s ack=%d bytes=%4zu wall=%.3f s expected=%.3f s (%+.1f%%) cpu=%.4f s (%.3f%%) %s\n",
              name, ok ? 1 : 0, wireBytes, wall, expected, deviation * 100.0, cpu,
              cpuShare * 100.0, met ? "ok" : "MISSED");
  return met;
}

}  // namespace

int main() {
  sim::SimulatedReader reader;
  sim::PtyServer server(reader);
  if (!server.Start()) {
    std::fprintf(stderr, "cannot start the pseudo-terminal\n");
    return 1;
  }
  SerialPort port(INTERFACE_RS232);
  if (!port.OpenPath(server.Path())) {
    std::fprintf(stderr, "cannot open %s\n", server.Path().c_str());
    return 1;
  }

  Byte stream[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t streamLength = sizeof stream;
  ReaderSettings settings;
  settings.preamble = {'[', 'S'};
  EncodeSettings(settings, stream, &streamLength);

  bool met = Measure(port, "read-all", Frame(CMD_READ_SETTINGS));
  met = Measure(port, "write", ByteString(stream, stream + streamLength)) && met;
  met = Measure(port, "version", Frame(CMD_GET_FIRMWARE_VERSION)) && met;
  port.Close();
  server.Stop();
  return met ? 0 : 2;
}
