// tessaron-sim as a separate process: the path on its first line, answers, signals, options.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "raw_terminal_client.h"

extern char** environ;

namespace tessaron::sim {
namespace {

using namespace std::chrono_literals;
using testing::RawTerminalClient;

std::string SimProgram() {
  const char* dir = std::getenv("TESSARON_BIN_DIR");
  if (dir != nullptr && *dir != '\0') return std::string(dir) + "/tessaron-sim";
  // Run by hand: the program lands beside the test programs.
  char self[4096] = {};
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1) + "tessaron-sim";
}

// One run of tessaron-sim with its standard output and error read through pipes.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), SimProgram());
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = ::fdopen(out[0], "r");
    err_ = ::fdopen(err[0], "r");
  }
  ~SimProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_) std::fclose(out_);
    if (err_) std::fclose(err_);
  }
  bool Started() const { return pid_ > 0; }
  static std::string Line(FILE* stream) {
    char line[512] = {};
    if (stream == nullptr || std::fgets(line, sizeof(line), stream) == nullptr) return {};
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  std::string OutLine() { return Line(out_); }
  std::string ErrLine() { return Line(err_); }
  // Exit status once the process ended within the limit; -1 otherwise.
  int WaitExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }
  void Signal(int sig) { ::kill(pid_, sig); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  FILE* out_ = nullptr;
  FILE* err_ = nullptr;
};

ByteString Exchange(const std::string& path, const ByteString& frame, std::size_t want) {
  RawTerminalClient client(path);
  EXPECT_TRUE(client.IsOpen()) << path;
  EXPECT_TRUE(client.Write(frame));
  return client.Read(want);
}

TEST(SimProgram, PrintsAPathThatAnswersAndEndsOnSigterm) {
  struct stat info {};
  ASSERT_EQ(::stat(SimProgram().c_str(), &info), 0) << "tessaron-sim is not built";
  SimProcess sim({"--firmware", "V2.07"});
  ASSERT_TRUE(sim.Started());
  const std::string path = sim.OutLine();
  ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
  EXPECT_EQ(Exchange(path, {0x02, 0x52, 0x22, 0x03, 0x71}, 9),
            (ByteString{0x06, 0x02, 'V', '2', '.', '0', '7', 0x03, 0x4C}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.WaitExit(5s), 0);
}

TEST(SimProgram, StartsWithTheSettingsOfAConfigurationFile) {
  const std::string file = ::testing::TempDir() + "tessaron_sim_start.cfs2";
  ReaderSettings settings;
  settings.languageOption = '6';
  ASSERT_TRUE(SaveConfigFile(settings, file));
  SimProcess sim({"--settings", file, "--reject-unknown"});
  const std::string path = sim.OutLine();
  const ByteString reply = Exchange(path, {0x02, 0x52, 0x1F, 0x03, 0x4C}, 1 + DEFAULT_STREAM_LENGTH);
  ASSERT_GE(reply.size(), 3u);
  const ByteString languageRecord{0x24, 0x01, '6'};
  EXPECT_NE(std::search(reply.begin(), reply.end(), languageRecord.begin(), languageRecord.end()),
            reply.end());
  // --reject-unknown: a command the reader does not know is refused.
  EXPECT_EQ(Exchange(path, {0x02, 0x53, 0x31, 0x00, 0x03, 0x63}, 1), ByteString{0x16});
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.WaitExit(5s), 0);
  std::remove(file.c_str());
}

TEST(SimProgram, AFileThatDoesNotLoadEndsTheProgramWithOneLine) {
  SimProcess sim({"--settings", ::testing::TempDir() + "no_such_file.cfs2"});
  ASSERT_TRUE(sim.Started());
  EXPECT_EQ(sim.WaitExit(5s), 1);
  EXPECT_NE(sim.ErrLine().find("no_such_file.cfs2"), std::string::npos);
  EXPECT_EQ(sim.ErrLine(), "");
  EXPECT_EQ(sim.OutLine(), "");
}

TEST(SimProgram, SilentReaderSaysNothing) {
  SimProcess sim({"--silent"});
  const std::string path = sim.OutLine();
  RawTerminalClient client(path);
  ASSERT_TRUE(client.Write({0x02, 0x52, 0x22, 0x03, 0x71}));
  EXPECT_TRUE(client.Read(1, 300ms).empty());
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.WaitExit(5s), 0);
}

}  // namespace
}  // namespace tessaron::sim
