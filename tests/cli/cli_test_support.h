#pragma once
// Helpers of the command-line tests: a scratch folder, an in-process run of the tool, and
// simulated readers to run it against.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/byte_string.h"
#include "sim/simulated_line.h"
#include "support/transport_fakes.h"
#include "support/program_folder.h"

namespace tessaron::test_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tessaron-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Valid() const { return !path_.empty(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

// The timing factor of the tool's runs in this test program (1: the real timing).
inline double& ToolTimingScale() {
  static double scale = 1.0;
  return scale;
}

class SimulatedReaders;
// The simulated readers the tool's runs reach, when a test has started some.
inline const SimulatedReaders*& ActiveReaders() {
  static const SimulatedReaders* active = nullptr;
  return active;
}
inline ReaderEnvironment ReadersOf(const SimulatedReaders* readers);

// Runs the tool in process with "tessaron" followed by args; input answers its questions.
// It reaches the test's simulated readers and nothing of the machine.
inline CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<const char*> argv{"tessaron"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in(input);
  CliRun run;
  CliEnvironment environment{out, err, &in, ToolTimingScale()};
  environment.readers = ReadersOf(ActiveReaders());
  // Shortened runs also end each exchange on its whole reply, as with --fast.
  environment.readers.timing.fastReplies = ToolTimingScale() < 1.0;
  run.code = RunCli(static_cast<int>(argv.size()), argv.data(), environment);
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// One run of the tool and what it must give: the exit status, and texts that its standard
// output and standard error must hold (empty: anything).
struct ToolCase {
  std::vector<std::string> args;
  int code;
  std::string out;
  std::string err;
  std::string input = "";
};

// Runs every case and checks it.
inline void ExpectRuns(const std::vector<ToolCase>& cases) {
  for (const ToolCase& each : cases) {
    std::string line;
    for (const std::string& arg : each.args) line += arg + " ";
    const CliRun run = RunTool(each.args, each.input);
    EXPECT_EQ(run.code, each.code) << line << "\n" << run.err;
    EXPECT_TRUE(Contains(run.out, each.out)) << line << "\nout: " << run.out;
    EXPECT_TRUE(Contains(run.err, each.err)) << line << "\nerr: " << run.err;
  }
}

inline void WriteBytes(const std::string& path, const ByteString& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

inline ByteString ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return ByteString(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Sets an environment variable for the life of the object and puts back what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (previous_) {
      ::setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// The transports and the pauses between steps of the tool, shortened for the life of the
// object (below 1, the exchanges end on a whole reply).
class FastToolTiming {
 public:
  explicit FastToolTiming(double scale = 0.05) : previous_(ToolTimingScale()) {
    ToolTimingScale() = scale;
  }
  ~FastToolTiming() { ToolTimingScale() = previous_; }
  FastToolTiming(const FastToolTiming&) = delete;
  FastToolTiming& operator=(const FastToolTiming&) = delete;

 private:
  double previous_;
};

// Simulated readers a test can look into, the only devices the tool's runs see (in the order
// they were started) while the object lives.
class SimulatedReaders {
 public:
  SimulatedReaders() { ActiveReaders() = this; }
  ~SimulatedReaders() {
    Clear();
    if (ActiveReaders() == this) ActiveReaders() = nullptr;
  }
  SimulatedReaders(const SimulatedReaders&) = delete;
  SimulatedReaders& operator=(const SimulatedReaders&) = delete;

  sim::SimulatedLine& Start(sim::SimulatedLineKind kind, const std::string& firmware = "V1.90") {
    sim::SimulatedReaderConfig config;
    config.firmware = firmware;
    return Start(kind, config);
  }
  // number: a USB HID reader's node is /dev/hidraw-sim<number>, one number per reader.
  sim::SimulatedLine& Start(sim::SimulatedLineKind kind, const sim::SimulatedReaderConfig& config,
                            int number = 0) {
    lines_.push_back(std::make_unique<sim::SimulatedLine>(kind, config, number));
    EXPECT_TRUE(lines_.back()->Start());
    return *lines_.back();
  }
  // Stops the reader started last.
  void StopLast() { lines_.pop_back(); }
  void Clear() {
    while (!lines_.empty()) lines_.pop_back();
  }
  // An environment with the readers' devices.
  ReaderEnvironment Environment() const {
    ReaderEnvironment readers;
    for (const auto& line : lines_) readers = line->AddTo(std::move(readers));
    readers.wrap = wrap;
    return readers;
  }
  // Wraps every port of the tool's runs, when set.
  PortWrapper wrap;

 private:
  std::vector<std::unique_ptr<sim::SimulatedLine>> lines_;
};

inline ReaderEnvironment ReadersOf(const SimulatedReaders* readers) {
  return readers != nullptr ? readers->Environment() : ReaderEnvironment();
}

}  // namespace tessaron::test_support
