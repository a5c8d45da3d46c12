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

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kbc/kbc_serve.h"
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

// Starts the helper (on the simulated controller) with end as its input and output.
pid_t SpawnHelperOn(int end, const char* argument = "--simulated") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, end, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, end, STDOUT_FILENO);
  const pid_t pid = Spawn({ProgramPath("tessaron-kbc"), argument}, &actions);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

ByteString Request(KbcOperation operation, ByteString command = {}) {
  return EncodeKbcRequest(KbcRequest{operation, 64, std::move(command)});
}

const ByteString VERSION_COMMAND = {0x02, 0x52, 0x22, 0x03, 0x71};

// What the helper refuses ends it (status 2) once it has handed the keyboard back, and a
// helper that holds the keyboard with no request for its idle limit ends by itself (5).
TEST(KbcHelperTest, RefusesAllButWholeReaderFramesWhileItHoldsTheKeyboard) {
  const ByteString seize = Request(KbcOperation::Seize), version = VERSION_COMMAND;
  const auto exchange = [](ByteString command) { return Request(KbcOperation::Exchange, command); };
  ByteString withWaits = seize;  // a seize as it once came, with the caller's waits
  withWaits.insert(withWaits.end(), {20, 0, 1, 0, 3, 0, 0xD0, 0x07, 0xAC, 0x0D, 5, 0});
  withWaits[0] = static_cast<Byte>(withWaits.size() - 2);
  ByteString overCapacity = exchange(version);  // a reply capacity of 1025
  overCapacity[3] = 0x01, overCapacity[4] = 0x04;
  struct Case {
    std::vector<ByteString> frames;
    int status;  // 5: the input stays open, only the helper's own limit ends it
    const char* argument = "--simulated";
  };
  std::vector<Case> cases = {
      {{seize, exchange({0xF5})}, 2},  // the keyboard's own command
      {{seize, exchange({})}, 2},      {{exchange(version)}, 2},  // not taken over
      {{seize, exchange({0x02, 0x52, 0x22, 0x03, 0x70})}, 2},  // a wrong LRC
      {{withWaits}, 2},                {{seize, exchange(version)}, 0},  // served, input ends
      {{seize, Request(KbcOperation::Release), exchange(version)}, 2},
      {{seize, overCapacity}, 2},      {{}, 2, "--simulate"},  // a wrong argument: no start
      {{seize, exchange(version)}, 5}, {{{0xFF, 0xFF, 0x01}}, 2},  // beyond the limit
      {{ByteString(seize.begin(), seize.end() - 1)}, 2}, {{{0x00, 0x00}}, 2},
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
    const pid_t pid = SpawnHelperOn(ends[1], cases[i].argument);
    ::close(ends[1]);
    ASSERT_GT(pid, 0);
    for (const ByteString& frame : cases[i].frames) EXPECT_TRUE(WriteKbcFrame(ends[0], frame));
    const bool keepOpen = cases[i].status == KBC_EXIT_IDLE;
    if (!keepOpen) ::shutdown(ends[0], SHUT_WR);
    const Clock::time_point start = Clock::now();
    const int status = WaitUpTo(pid, KBC_IDLE_LIMIT + Millis(1000));
    const bool idled = Clock::now() - start >= KBC_IDLE_LIMIT - Millis(100);
    EXPECT_TRUE(status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == cases[i].status &&
                idled == keepOpen)
        << "case " << i << ", wait status " << status;
    ::close(ends[0]);
  }
}

// Both sides take only messages within the limits: frames of the stream, request and reply
// bodies.
TEST(KbcHelperTest, MessagesOutsideTheLimitsAreRefused) {
  const auto exchange = [](Byte capacityHigh, const ByteString& command) {
    ByteString body = {static_cast<Byte>(KbcOperation::Exchange), 0x00, capacityHigh};
    body.insert(body.end(), command.begin(), command.end());
    return body;
  };
  const std::vector<std::pair<ByteString, bool>> requests = {
      {{}, false}, {{1}, true}, {{2, 0}, false}, {exchange(0x04, VERSION_COMMAND), true},
      {exchange(0x05, VERSION_COMMAND), false}};  // a capacity of 1024, and of 1280
  for (const auto& [body, taken] : requests) {
    KbcRequest request;
    EXPECT_EQ(ParseKbcRequest(body, &request), taken) << ::testing::PrintToString(body);
  }
  const auto reply = [](Byte ok, Byte kind, std::size_t length, std::size_t bytes) {
    ByteString body = {ok, kind, 0, 0, static_cast<Byte>(length), static_cast<Byte>(length >> 8)};
    body.resize(body.size() + bytes, 'x');
    return body;
  };
  const std::vector<std::pair<ByteString, bool>> replies = {
      {reply(1, 0, 2, 2), true}, {reply(0, 2, 2, 2 + 255), true}, {reply(1, 0, 3, 2), false},
      {reply(2, 0, 0, 0), false}, {reply(0, static_cast<Byte>(PortErrorKind::Other) + 1, 0, 0), false},
      {reply(1, 0, 1025, 1025), false}, {reply(0, 2, 2, 2 + 256), false}, {{1, 0, 0, 0, 0}, false}};
  for (const auto& [body, taken] : replies) {
    KbcReply parsed;
    EXPECT_EQ(ParseKbcReply(body, &parsed), taken) << ::testing::PrintToString(body);
  }
  // The stream: an empty frame, one longer than the reader takes, and one cut off are broken.
  const std::vector<std::pair<ByteString, KbcFrameReader::Result>> streams = {
      {{1, 0, 7}, KbcFrameReader::Result::Frame}, {{}, KbcFrameReader::Result::End},
      {{0, 0}, KbcFrameReader::Result::Broken}, {{5, 0, 1, 2, 3, 4, 5}, KbcFrameReader::Result::Broken},
      {{2, 0, 7}, KbcFrameReader::Result::Broken}};
  for (const auto& [stream, result] : streams) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], stream.data(), stream.size()), static_cast<ssize_t>(stream.size()));
    ::close(ends[1]);
    KbcFrameReader reader(ends[0], 4);
    ByteString body;
    KbcFrameReader::Result got;
    while ((got = reader.Next(&body)) == KbcFrameReader::Result::Pending) {
    }
    EXPECT_EQ(got, result) << ::testing::PrintToString(stream);
    ::close(ends[0]);
  }
}

// The service hands the keyboard back on every way out but a signal, which main.cpp's own
// handlers cover: the end of its input, a wrong request, a peer that has gone, the idle limit.
TEST(KbcHelperTest, ServiceHandsTheKeyboardBackOnEveryWayOut) {
  const ByteString seize = Request(KbcOperation::Seize);
  enum Ending { CLOSED, GONE, OPEN };
  const struct {
    std::vector<ByteString> frames;
    Ending ending;
    int status;
  } cases[] = {
      {{seize, Request(KbcOperation::Exchange, VERSION_COMMAND)}, CLOSED, KBC_EXIT_INPUT_ENDED},
      {{seize, {0x01, 0x00, 0x09}}, CLOSED, KBC_EXIT_WRONG_REQUEST},
      {{seize}, GONE, KBC_EXIT_PEER_GONE},
      {{seize}, OPEN, KBC_EXIT_IDLE},
  };
  for (const auto& c : cases) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    for (const ByteString& frame : c.frames) EXPECT_TRUE(WriteKbcFrame(ends[0], frame));
    if (c.ending != OPEN) ::shutdown(ends[0], c.ending == CLOSED ? SHUT_WR : SHUT_RD);
    PortIoController controller(std::make_shared<sim::SimulatedKeyboardController>());
    PortError why;
    ASSERT_TRUE(controller.Start(&why));
    sigset_t waiting;
    ::sigprocmask(SIG_SETMASK, nullptr, &waiting);
    const std::atomic<int> noSignal{0};
    EXPECT_EQ(ServeKbcRequests(controller, ends[1], ends[1], waiting, noSignal, Millis(50)),
              c.status);
    EXPECT_FALSE(controller.Seized()) << c.status;
    ::close(ends[0]);
    ::close(ends[1]);
  }
}

// A helper this account may not run is told as the group's; the client takes no more reply
// than it asked for, whatever a helper sends.
TEST(KbcHelperTest, AHelperNotToRunOrThatSaysTooMuchIsNotTaken) {
  const std::filesystem::path helper =
      std::filesystem::temp_directory_path() / ("fake-kbc-" + std::to_string(::getpid()));
  {
    // Hello and the seize's answer (ok, no reply), then an answer of eight bytes.
    std::ofstream script(helper);
    script << "#!/bin/sh\nprintf '\\006\\000\\001\\000\\000\\000\\000\\000'\n"
              "printf '\\006\\000\\001\\000\\000\\000\\000\\000'\n"
              "printf '\\016\\000\\001\\000\\000\\000\\010\\000abcdefgh'\n"
              "exec cat >/dev/null\n";
  }
  PortError why;
  std::filesystem::permissions(helper, std::filesystem::perms::owner_read);
  EXPECT_FALSE(HelperKeyboardController(true, helper.string()).Start(&why));
  EXPECT_EQ(why.detail, KBC_GROUP_ONLY);
  std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
  HelperKeyboardController client(true, helper.string());
  ASSERT_TRUE(client.Start(&why)) << PortErrorCause(why, InterfaceType::Ps2Keyboard);
  const KeyboardTiming timing = TransportTiming::Real().keyboard;
  client.SetSeized(true, timing);
  Byte reply[16] = {};
  const KeyboardExchange exchange = client.Transact(VERSION_COMMAND.data(), 5, reply, 4, timing);
  EXPECT_FALSE(exchange.ok);
  EXPECT_EQ(exchange.received, 0u);
  client.Stop();
  std::filesystem::remove(helper);
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
  EXPECT_FALSE(helper.Transact(std::data({Byte{0xF5}}), 1, reply, sizeof reply, timing).ok);
  EXPECT_TRUE(helper.Alive());
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
