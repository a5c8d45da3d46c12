#include "transport/signal_hand_back.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>

namespace tessaron {

namespace {

constexpr int HANDED_BACK_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The signal hand-back of the process, as the signal handlers are: one.
struct HandBack {
  // The signal handler reads these; they must work without locks.
  std::atomic<int> installedFor{0};  // pid of the process whose thread waits on the pipe
  std::atomic<int> wakeWriteEnd{-1};
  std::atomic<bool> signalled{false};
  std::atomic<HandBackFunction> function{nullptr};

  // Only touched under installLock.
  std::mutex installLock;
  int wakeReadEnd = -1;
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
HandBack handBack;

// Async-signal-safe: getpid, write, sigaction, pthread_sigmask, raise and lock-free atomics.
void OnSignal(int signalNumber) {
  const int savedErrno = errno;
  // A child forked after the install has no waiting thread, and a second signal means the
  // user will not wait for the hand-back: both end at once.
  if (::getpid() != handBack.installedFor.load() || handBack.signalled.exchange(true)) {
    EndProgramBySignal(signalNumber);
  }
  const unsigned char value = static_cast<unsigned char>(signalNumber);
  const ssize_t written = ::write(handBack.wakeWriteEnd.load(), &value, 1);
  if (written != 1) EndProgramBySignal(signalNumber);
  errno = savedErrno;
}

void WaitAndHandBack(int readEnd) {
  unsigned char value = 0;
  for (;;) {
    const ssize_t got = ::read(readEnd, &value, 1);
    if (got == 1) break;
    if (got < 0 && errno == EINTR) continue;
    return;
  }
  if (const HandBackFunction function = handBack.function.load()) function();
  EndProgramBySignal(value);
}

}  // namespace

void EndProgramBySignal(int signalNumber) {
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  ::sigaction(signalNumber, &defaultAction, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signalNumber);
  // The default action of these signals ends the program; should it not, end it anyway.
  ::_exit(128 + signalNumber);
}

void InstallSignalHandBack(HandBackFunction function) {
  std::lock_guard<std::mutex> guard(handBack.installLock);
  handBack.function = function;
  const int self = static_cast<int>(::getpid());
  if (handBack.installedFor.load() == self) return;

  // A forked child holds copies of its parent's pipe, whose thread it does not have.
  if (handBack.wakeReadEnd >= 0) ::close(handBack.wakeReadEnd);
  const int oldWriteEnd = handBack.wakeWriteEnd.exchange(-1);
  if (oldWriteEnd >= 0) ::close(oldWriteEnd);
  handBack.wakeReadEnd = -1;
  handBack.installedFor = 0;

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return;
  try {
    std::thread(WaitAndHandBack, ends[0]).detach();
  } catch (const std::system_error&) {
    ::close(ends[0]);
    ::close(ends[1]);
    return;
  }
  handBack.wakeReadEnd = ends[0];
  handBack.wakeWriteEnd = ends[1];
  handBack.signalled = false;
  handBack.installedFor = self;

  for (const int signalNumber : HANDED_BACK_SIGNALS) {
    struct sigaction current {};
    if (::sigaction(signalNumber, nullptr, &current) != 0) continue;
    const bool plain = (current.sa_flags & SA_SIGINFO) == 0;
    const bool free = plain && current.sa_handler == SIG_DFL;
    const bool ours = plain && current.sa_handler == OnSignal;
    if (!free && !ours) continue;  // ignored (nohup), or the program's own handler
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
  }
}

}  // namespace tessaron
