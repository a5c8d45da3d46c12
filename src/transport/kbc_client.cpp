#include "transport/kbc_client.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <future>
#include <system_error>
#include <utility>

#include "core/command_frame.h"
#include "transport/port_error_text.h"
#include "transport/port_failure.h"

#ifndef TESSARON_KBC_LIBEXEC_DIR
#define TESSARON_KBC_LIBEXEC_DIR "/usr/libexec/tessaron"
#endif

namespace tessaron {

namespace {

constexpr const char* HELPER_NAME = "tessaron-kbc";

// The outcome of starting the helper: its process id, or why it could not be started.
struct Spawned {
  pid_t pid = 0;
  int error = 0;
};

// Starts the helper with end as its standard input and output, nothing in its environment,
// and in a process group of its own, so that a Ctrl-C at the terminal reaches this program
// (which decides what to do) and not the helper.
Spawned SpawnHelper(const std::string& path, bool simulated, int end) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, end, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, end, STDOUT_FILENO);
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
  std::string name = HELPER_NAME;
  std::string mode = "--simulated";
  char* argv[] = {name.data(), simulated ? mode.data() : nullptr, nullptr};
  char* envp[] = {nullptr};
  Spawned spawned;
  spawned.error = posix_spawn(&spawned.pid, path.c_str(), &actions, &attributes, argv, envp);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return spawned;
}

void WaitForExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Whether the kernel is locked down (Secure Boot): then no process gets port access.
bool KernelLockedDown() {
  std::ifstream state("/sys/kernel/security/lockdown");
  std::string modes;
  std::getline(state, modes);
  return !modes.empty() && modes.find("[none]") == std::string::npos;
}

PortError HelperFailure(const std::string& path, int osError, const std::string& what) {
  return PortFailure(PortErrorKind::Other, path, osError,
                     "the keyboard-controller helper " + path + " " + what);
}

}  // namespace

std::string FindKbcHelper() {
  char self[4096] = {};
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string beside(self, static_cast<std::size_t>(length));
    beside = beside.substr(0, beside.rfind('/') + 1) + HELPER_NAME;
    // One there that this account may not run is refused as such, not passed over.
    if (::access(beside.c_str(), F_OK) == 0) return beside;
  }
  return std::string(TESSARON_KBC_LIBEXEC_DIR) + "/" + HELPER_NAME;
}

HelperKeyboardController::HelperKeyboardController(bool simulated, std::string helperPath)
    : simulated_(simulated),
      helperPath_(helperPath.empty() ? FindKbcHelper() : std::move(helperPath)) {}

HelperKeyboardController::~HelperKeyboardController() { Stop(); }

bool HelperKeyboardController::Start(PortError* why) {
  std::lock_guard<std::mutex> guard(lock_);
  return StartLocked(why);
}

bool HelperKeyboardController::StartLocked(PortError* why) {
  if (socket_ >= 0 && !gone_) return true;
  Finish();

  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    *why = HelperFailure(helperPath_, errno, "could not be started");
    return false;
  }
  std::promise<Spawned> started;
  std::future<Spawned> spawned = started.get_future();
  gone_ = false;  // until the keeper sees the helper end
  try {
    keeper_ = std::thread([this, end = ends[1], &started] {
      const Spawned result = SpawnHelper(helperPath_, simulated_, end);
      started.set_value(result);
      if (result.error == 0) WaitForExit(result.pid);
      gone_ = true;
    });
  } catch (const std::system_error& error) {
    ::close(ends[0]);
    ::close(ends[1]);
    *why = HelperFailure(helperPath_, error.code().value(), "could not be started");
    return false;
  }
  const Spawned result = spawned.get();
  ::close(ends[1]);
  socket_ = ends[0];
  if (result.error != 0) {
    Finish();
    // The helper is for the members of its group: anyone else may not run it.
    *why = result.error == EACCES
               ? PortFailure(PortErrorKind::NoPortAccess, helperPath_, result.error, KBC_GROUP_ONLY)
               : HelperFailure(helperPath_, result.error, "could not be started");
    return false;
  }
  pid_ = result.pid;

  // The helper's first word: whether it holds the port permission.
  ByteString body;
  KbcReply hello;
  KbcFrameReader reader(socket_, KBC_MAX_REPLY_BODY);
  KbcFrameReader::Result got;
  while ((got = reader.Next(&body)) == KbcFrameReader::Result::Pending) {
  }
  if (got != KbcFrameReader::Result::Frame || !ParseKbcReply(body, &hello)) {
    Finish();
    *why = HelperFailure(helperPath_, 0, "ended before it was ready");
    return false;
  }
  if (!hello.ok) {
    Finish();
    if (hello.kind == PortErrorKind::NoPortAccess && KernelLockedDown()) {
      hello.detail = KERNEL_LOCKED_DOWN;
    }
    *why = PortFailure(hello.kind, helperPath_, hello.osError, hello.detail);
    return false;
  }
  return true;
}

void HelperKeyboardController::Abandon() {
  // No lock: the exchange under way holds it. shutdown is safe on a descriptor in use. No
  // exchange after this one starts a new helper.
  seized_ = false;
  const int fd = socket_;
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void HelperKeyboardController::Stop() {
  Abandon();
  std::lock_guard<std::mutex> guard(lock_);
  Finish();
}

void HelperKeyboardController::Finish() {
  const int fd = socket_.load();
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
  if (keeper_.joinable()) keeper_.join();
  socket_ = -1;
  if (fd >= 0) ::close(fd);
  pid_ = 0;
  gone_ = true;
}

bool HelperKeyboardController::Alive() const { return socket_ >= 0 && !gone_; }

pid_t HelperKeyboardController::HelperPid() const {
  std::lock_guard<std::mutex> guard(lock_);
  return pid_;
}

bool HelperKeyboardController::Ask(const KbcRequest& request, KbcReply* reply) {
  if (socket_ < 0 || gone_) return false;
  ByteString body;
  KbcFrameReader reader(socket_, KBC_MAX_REPLY_BODY);
  KbcFrameReader::Result got = KbcFrameReader::Result::Broken;
  if (WriteKbcFrame(socket_, EncodeKbcRequest(request))) {
    while ((got = reader.Next(&body)) == KbcFrameReader::Result::Pending) {
    }
  }
  if (got == KbcFrameReader::Result::Frame && ParseKbcReply(body, reply) &&
      reply->reply.size() <= request.capacity) {
    return true;
  }
  gone_ = true;
  return false;
}

bool HelperKeyboardController::AskToSeize(bool seized) {
  seized_ = seized;
  KbcRequest request;
  request.operation = seized ? KbcOperation::Seize : KbcOperation::Release;
  KbcReply reply;
  return Ask(request, &reply);
}

void HelperKeyboardController::SetSeized(bool seized, const KeyboardTiming& /*timing*/) {
  std::lock_guard<std::mutex> guard(lock_);
  AskToSeize(seized);
}

KeyboardExchange HelperKeyboardController::Transact(const Byte* command,
                                                    std::uint32_t commandLength, Byte* reply,
                                                    std::uint32_t capacity,
                                                    const KeyboardTiming& /*timing*/) {
  std::lock_guard<std::mutex> guard(lock_);
  // What the helper refuses (and ends on) is refused here already, so that a wrong command
  // typed by the user costs no helper.
  if (!seized_ || command == nullptr || !IsReaderCommandFrame(command, commandLength)) {
    return KeyboardExchange{
        false, 0,
        PortFailure(PortErrorKind::Other, std::string(), 0,
                    seized_ ? "it takes only whole reader command frames"
                            : "the keyboard is not taken over")};
  }
  // A helper that held the keyboard too long without a request has handed it back and
  // ended: a new one takes it over again.
  PortError why;
  if (gone_ && (!StartLocked(&why) || !AskToSeize(true))) {
    return KeyboardExchange{false, 0, why.kind != PortErrorKind::None
                                          ? why
                                          : HelperFailure(helperPath_, 0, "has ended")};
  }
  KbcRequest request;
  request.capacity = std::min(capacity, KBC_MAX_REPLY);
  request.command.assign(command, command + commandLength);
  KbcReply answer;
  if (!Ask(request, &answer)) {
    return KeyboardExchange{false, 0, HelperFailure(helperPath_, 0, "has ended")};
  }
  std::copy(answer.reply.begin(), answer.reply.end(), reply);
  KeyboardExchange exchange;
  exchange.ok = answer.ok;
  exchange.received = static_cast<std::uint32_t>(answer.reply.size());
  if (answer.kind != PortErrorKind::None) {
    exchange.failure = PortFailure(answer.kind, std::string(), answer.osError, answer.detail);
  }
  return exchange;
}

}  // namespace tessaron
