// The keyboard-controller helper tessaron-kbc as a process of its own: input it does not
// take ends it, the exchanges through it are those of the line in this process, and it
// serves without any capability, also when root starts it.

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sim/simulated_keyboard_controller.h"
#include "support/program_folder.h"
#include "support/transport_fakes.h"
#include "transport/kbc_client.h"
#include "transport/port_error_text.h"

extern char** environ;

namespace tessaron {
namespace {

using Clock = std::chrono::steady_clock;

std::string ProgramPath(const char* name) { return (test_support::ProgramFolder() / name).string(); }

pid_t Spawn(std::vector<std::string> args, posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  return ::posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Waits up to limit for pid to end: its wait status, or -1 (and it is killed) when it runs on.
int WaitUpTo(pid_t pid, Millis limit) {
  const Clock::time_point deadline = Clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(Millis(2));
  }
  return status;
}

// A field of a process's status ("CapEff", "Uid"), as /proc shows it; empty when it is gone.
std::string StatusField(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) {
      const std::size_t value = line.find_first_not_of(" \t", field.size() + 1);
      return line.substr(value, line.find_first_of(" \t", value) - value);
    }
  }
  return std::string();
}

constexpr const char* NO_CAPABILITY = "0000000000000000";

// Starts the helper on the simulated controller with end as its input and output.
pid_t SpawnHelperOn(int end) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, end, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, end, STDOUT_FILENO);
  const pid_t pid = Spawn({ProgramPath("tessaron-kbc"), "--simulated"}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

ByteString Request(KbcOperation operation, ByteString command = {}) {
  return EncodeKbcRequest(KbcRequest{operation, 64, std::move(command)});
}

// What the helper refuses ends it (status 2) once it has handed the keyboard back, and a
// helper that holds the keyboard with no request for its idle limit ends by itself (5).
TEST(KbcHelperTest, RefusesAllButWholeReaderFramesWhileItHoldsTheKeyboard) {
  const ByteString seize = Request(KbcOperation::Seize);
  const auto exchange = [](ByteString command) {
    return Request(KbcOperation::Exchange, std::move(command));
  };
  const ByteString version = {0x02, 0x52, 0x22, 0x03, 0x71};
  ByteString withWaits = seize;  // a seize as it once came, with the caller's waits
  withWaits.insert(withWaits.end(), {20, 0, 1, 0, 3, 0, 0xD0, 0x07, 0xAC, 0x0D, 5, 0});
  withWaits[0] = static_cast<Byte>(withWaits.size() - 2);
  struct Case {
    std::vector<ByteString> frames;
    int status;
    bool keepOpen = false;  // the input stays open: only the helper's own limit ends it
  };
  std::vector<Case> cases = {
      {{seize, exchange({0xF5})}, 2},  // the keyboard's own command
      {{seize, exchange({})}, 2},
      {{exchange(version)}, 2},  // not taken over
      {{seize, exchange({0x02, 0x52, 0x22, 0x03, 0x70})}, 2},  // a wrong LRC
      {{withWaits}, 2},
      {{seize, exchange(version)}, 0},  // served, then the input ends
      {{seize, exchange(version)}, 5, true},
      {{{0xFF, 0xFF, 0x01}}, 2},  // beyond the limit
      {{ByteString(seize.begin(), seize.end() - 1)}, 2},
      {{{0x00, 0x00}}, 2},
      {{{0x01, 0x00, 0x09}}, 2},  // an unknown operation
  };
  std::mt19937 random(21);
  for (std::size_t size = 1; size < 5000; size *= 3) {
    ByteString noise(size);
    for (Byte& value : noise) value = static_cast<Byte>(random());
    cases.push_back({{noise}, 2});
  }
  for (std::size_t i = 0; i < cases.size(); ++i) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    const pid_t pid = SpawnHelperOn(ends[1]);
    ::close(ends[1]);
    ASSERT_GT(pid, 0);
    for (const ByteString& frame : cases[i].frames) EXPECT_TRUE(WriteKbcFrame(ends[0], frame));
    if (!cases[i].keepOpen) ::shutdown(ends[0], SHUT_WR);
    const Clock::time_point start = Clock::now();
    const int status = WaitUpTo(pid, KBC_IDLE_LIMIT + Millis(1000));
    const bool idled = Clock::now() - start >= KBC_IDLE_LIMIT - Millis(100);
    EXPECT_TRUE(status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == cases[i].status &&
                idled == cases[i].keepOpen)
        << "case " << i << ", wait status " << status;
    ::close(ends[0]);
  }
}

TEST(KbcHelperTest, ExchangesThroughTheHelperAreThoseOfTheLineInProcess) {
  HelperKeyboardController helper(true, ProgramPath("tessaron-kbc"));
  PortIoController local(std::make_shared<sim::SimulatedKeyboardController>());
  PortError why;
  ASSERT_TRUE(helper.Start(&why)) << PortErrorCause(why, InterfaceType::Ps2Keyboard);
  ASSERT_TRUE(local.Start(&why));
  const pid_t pid = helper.HelperPid();
  EXPECT_EQ(StatusField(pid, "CapEff"), NO_CAPABILITY);
  // Started by root, it serves as nobody.
  EXPECT_TRUE(::geteuid() != 0 || StatusField(pid, "Uid") == std::to_string(::getpwnam("nobody")->pw_uid));
  // Its socket is all it keeps open: not even the standard error it was started with.
  const auto open = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd");
  EXPECT_EQ(std::distance(begin(open), end(open)), 2);

  // The helper runs with the line's own waits, whatever the caller's.
  const KeyboardTiming timing = TransportTiming::Real().keyboard;
  helper.SetSeized(true, test_support::FastTiming().keyboard);
  local.SetSeized(true, timing);
  struct Case {
    ByteString command;
    std::uint32_t capacity;
  };
  const std::vector<Case> cases = {
      {{0x02, 0x52, 0x22, 0x03, 0x71}, 128},        // version
      {{0x02, 0x52, 0x1F, 0x03, 0x4C}, 1024},       // settings
      {{0x02, 0x52, 0x1F, 0x03, 0x4C}, 7},          // settings, cut to the capacity
      {{0x02, 0x53, 0x18, 0x03, 0x4A}, 64},         // defaults: a set-type acknowledgement
      {{0x02, 0x53, 0x7E, 0x00, 0x03, 0x2C}, 64},   // a command the reader does not know
  };
  for (const Case& each : cases) {
    Byte throughHelper[1024] = {};
    Byte inProcess[1024] = {};
    const auto size = static_cast<std::uint32_t>(each.command.size());
    const KeyboardExchange a =
        helper.Transact(each.command.data(), size, throughHelper, each.capacity, timing);
    const KeyboardExchange b =
        local.Transact(each.command.data(), size, inProcess, each.capacity, timing);
    EXPECT_EQ(a.ok, b.ok);
    EXPECT_EQ(a.failure.kind, b.failure.kind);
    EXPECT_EQ(a.failure.detail, b.failure.detail);
    EXPECT_EQ(ByteString(throughHelper, throughHelper + a.received),
              ByteString(inProcess, inProcess + b.received));
  }
  // What the helper would refuse is refused here, and the helper goes on; one that ended
  // while it held the keyboard is started again for the next exchange.
  Byte reply[16];
  const Byte disable[] = {0xF5};
  EXPECT_FALSE(helper.Transact(disable, 1, reply, sizeof reply, timing).ok);
  helper.SetSeized(false, timing);
  EXPECT_FALSE(helper.Transact(cases[0].command.data(), 5, reply, sizeof reply, timing).ok);
  EXPECT_EQ(helper.HelperPid(), pid);
  helper.SetSeized(true, timing);
  ::kill(pid, SIGKILL);
  const Clock::time_point deadline = Clock::now() + Millis(1000);
  while (helper.Alive() && Clock::now() < deadline) std::this_thread::sleep_for(Millis(2));
  EXPECT_TRUE(helper.Transact(cases[0].command.data(), 5, reply, sizeof reply, timing).ok);
  EXPECT_NE(helper.HelperPid(), pid);
  helper.Stop();
  EXPECT_EQ(helper.HelperPid(), 0);

  // A helper that is not there is named.
  HelperKeyboardController missing(true, "/nonexistent/tessaron-kbc");
  EXPECT_FALSE(missing.Start(&why));
  EXPECT_NE(PortErrorCause(why, InterfaceType::Ps2Keyboard).find("/nonexistent/tessaron-kbc"),
            std::string::npos);
}

TEST(KbcHelperTest, EndsWithTheProcessThatStartedItEvenWhileItsInputStaysOpen) {
  // This test takes the orphaned helper as its child, to see how it ends.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int ends[2];
  int told[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
  ASSERT_EQ(::pipe2(told, O_CLOEXEC), 0);
  const pid_t parent = ::fork();
  if (parent == 0) {
    const pid_t helper = SpawnHelperOn(ends[1]);
    Byte hello[64];  // once it has said hello it has asked for its end with its parent's
    const bool ready = helper > 0 && ::read(ends[0], hello, sizeof hello) > 0;
    ::_exit(ready && ::write(told[1], &helper, sizeof helper) == sizeof helper ? 0 : 1);
  }
  pid_t helper = 0;
  const bool started = ::read(told[0], &helper, sizeof helper) == sizeof helper;
  int status = 0;
  ::waitpid(parent, &status, 0);
  EXPECT_TRUE(started && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  if (started) {
    status = WaitUpTo(helper, Millis(1000));
    EXPECT_TRUE(status >= 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  }
  for (const int fd : {ends[0], ends[1], told[0], told[1]}) ::close(fd);
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST(KbcHelperTest, ServesWithoutAnyCapabilityWhenTheToolStartsIt) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // A single exchange: the tool starts the helper, which takes the keyboard over and serves.
  const pid_t tool = Spawn({ProgramPath("tessaron"), "send", "\\x2\\x52\\x22\\x3", "--simulate=ps2",
                            "--reader", "ps2:0"}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_GT(tool, 0);
  // The helper is a child of one of the tool's threads; what it holds is read until the
  // tool ends, so the last reading was taken while it served.
  std::string capabilities;
  int status = -1;
  const Clock::time_point deadline = Clock::now() + Millis(20000);
  while (::waitpid(tool, &status, WNOHANG) == 0 && Clock::now() < deadline) {
    std::error_code ignored;
    const std::string tasks = "/proc/" + std::to_string(tool) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, ignored)) {
      std::ifstream children(task.path() / "children");
      for (pid_t child = 0; children >> child;) {
        std::ifstream name("/proc/" + std::to_string(child) + "/comm");
        std::string comm;
        const std::string held = StatusField(child, "CapEff");
        if (std::getline(name, comm) && comm == "tessaron-kbc" && !held.empty()) capabilities = held;
      }
    }
    std::this_thread::sleep_for(Millis(1));
  }
  if (status == -1) WaitUpTo(tool, Millis(0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(capabilities, NO_CAPABILITY);
}

}  // namespace
}  // namespace tessaron
