// tessaron-kbc: the keyboard-controller helper, the one program that touches the keyboard
// controller's I/O ports. The programs start it with a socket as its standard input and
// output (kbc_client.cpp) and send it requests (kbc_protocol.h); it runs each exchange next
// to the ports, with the line's byte-by-byte handshake and the line's own waits, and answers.
// The package lets only the members of its group run it.
//
// It serves the reader's exchange and nothing else: it takes an exchange only while it holds
// the keyboard and only of one whole reader command frame, and no exchange outlasts the
// line's limit. Holding the keyboard with no request for KBC_IDLE_LIMIT, it hands it back
// and ends.
//
// From its first line nobody may trace it or read its memory, and it leaves no core file. It
// holds CAP_SYS_RAWIO only for the ioperm call at its start; while it serves it holds no
// capability at all (the port permission stays with the process), and when root started it,
// it serves as the user nobody. It reads no environment variable, opens no file (but the
// user database, when root started it), keeps no descriptor but its socket, ends when the
// program that started it ends, and hands the keyboard back on every way out: the end of its
// input, a request it does not take, a failed reply, the idle limit and any signal that can
// be caught.
//
//   tessaron-kbc               the real keyboard controller
//   tessaron-kbc --simulated   the simulated controller with the simulated reader on its line
//
// Exit status: 0 when the input ended, 2 for a wrong request or argument, 3 when the port
// permission was refused, 4 when the reply could not be written or the program that started
// it has ended, 5 when it held the keyboard too long without a request; a signal ends it by
// that signal.

#include <cap-ng.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <memory>

#include "kbc/ioperm_port_io.h"
#include "kbc/kbc_serve.h"
#include "sim/simulated_keyboard_controller.h"
#include "transport/kbc_protocol.h"
#include "transport/keyboard_controller.h"

namespace tessaron {
namespace {

// What the signal handlers see, one per process as they are.
struct Ending {
  // The signal that ends the helper (0: none yet). Set by the handlers only.
  std::atomic<int> signal{0};
  // The real controller, for the hand-back inside a fault handler: on the real ports that
  // is a few port accesses and clock reads, which are safe there. Null in the simulated
  // mode.
  std::atomic<PortIoController*> realController{nullptr};
};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<PortIoController*>::is_always_lock_free);
Ending ending;

// Faults of the helper's own code: the handler hands back at once, as the helper cannot go
// on (the fault comes again on return and ends it by the default action).
constexpr int FAULTS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};
// Signals whose default action leaves the helper running: nothing to hand back for them.
constexpr int HARMLESS[] = {SIGCHLD, SIGCONT, SIGURG, SIGWINCH};

bool IsOneOf(int signalNumber, const int* first, const int* last) {
  return std::find(first, last, signalNumber) != last;
}

void OnSignal(int signalNumber) { ending.signal = signalNumber; }

void OnFault(int signalNumber) {
  PortIoController* controller = ending.realController;
  if (controller != nullptr && controller->Seized()) controller->SetSeized(false, KBC_LINE_TIMING);
  ending.signal = signalNumber;
}

// Every signal that would end or stop the helper is caught. All but the faults stay blocked
// except while the helper waits for a request, so an exchange is never cut into; ends
// holds the signals to block.
void CatchSignals(sigset_t* ends) {
  sigemptyset(ends);
  for (int number = 1; number < NSIG; ++number) {
    if (number == SIGKILL || number == SIGSTOP ||
        IsOneOf(number, std::begin(HARMLESS), std::end(HARMLESS))) {
      continue;
    }
    const bool fault = IsOneOf(number, std::begin(FAULTS), std::end(FAULTS));
    struct sigaction action {};
    action.sa_handler = fault ? OnFault : OnSignal;
    sigfillset(&action.sa_mask);
    // No SA_RESTART: the wait for a request ends at once.
    action.sa_flags = fault ? SA_RESETHAND : 0;
    // The C library keeps a few real-time signals for itself and refuses them: fine.
    if (::sigaction(number, &action, nullptr) == 0 && !fault) sigaddset(ends, number);
  }
  ::sigprocmask(SIG_BLOCK, ends, nullptr);
}

// Ends the helper with SIGTERM when parent, the program that started it, ends; false when
// parent has ended already (before the request could take effect). Asked again after every
// change of user, which clears it.
bool EndWithParent(pid_t parent) {
  return ::prctl(PR_SET_PDEATHSIG, SIGTERM) == 0 && ::getppid() == parent;
}

// No one but root may trace the helper or read its memory, and a fault leaves no core file.
// A change of user resets the first, so it is asked again then.
void KeepPrivate() {
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
}

// Serves as the user nobody from now on, with no group of root's.
bool BecomeNobody() {
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr || nobody->pw_uid == 0 || nobody->pw_gid == 0) return false;
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  return ::setgroups(0, nullptr) == 0 && ::setresgid(gid, gid, gid) == 0 &&
         ::setresuid(uid, uid, uid) == 0;
}

// Keeps CAP_SYS_RAWIO alone (and, when root started it, the right to become nobody), asks for
// the port permission, becomes nobody when root started it, then drops every capability.
// The reply says whether the permission was had and the helper may serve.
KbcReply TakePortPermission(PortIoController& controller, bool simulated, pid_t parent) {
  const bool root = ::getuid() == 0 || ::geteuid() == 0;
  capng_clear(CAPNG_SELECT_BOTH);
  const auto both = static_cast<capng_type_t>(CAPNG_EFFECTIVE | CAPNG_PERMITTED);
  if (!simulated) capng_update(CAPNG_ADD, both, CAP_SYS_RAWIO);
  if (root) capng_updatev(CAPNG_ADD, both, CAP_SETUID, CAP_SETGID, -1);
  // Fails when the helper was not given the capability; ioperm then says why.
  capng_apply(CAPNG_SELECT_CAPS);
  KbcReply hello;
  PortError why;
  hello.ok = controller.Start(&why);
  hello.kind = why.kind;
  hello.osError = why.osError;
  if (root && !BecomeNobody()) {
    hello.ok = false;
    hello.kind = PortErrorKind::Other;
    hello.detail = "the keyboard-controller helper could not become the user nobody";
  }
  if (root) KeepPrivate();
  capng_clear(CAPNG_SELECT_BOTH);
  if (capng_apply(CAPNG_SELECT_CAPS) != 0 || ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    hello.ok = false;
    hello.kind = PortErrorKind::Other;
    hello.detail = "the keyboard-controller helper could not drop its capabilities";
  }
  if (root && !EndWithParent(parent)) {
    hello.ok = false;
    hello.kind = PortErrorKind::Other;
    hello.detail = "the program that started the keyboard-controller helper has ended";
  }
  return hello;
}

}  // namespace
}  // namespace tessaron

int main(int argc, char** argv) {
  using namespace tessaron;
  KeepPrivate();
  // Ends with the program that started it; the signal is caught and hands back.
  const pid_t parent = ::getppid();
  if (!EndWithParent(parent)) return KBC_EXIT_PEER_GONE;
  ::close_range(STDERR_FILENO, ~0U, 0);
  sigset_t ends;
  CatchSignals(&ends);

  const bool simulated = argc == 2 && std::strcmp(argv[1], "--simulated") == 0;
  if (argc > 2 || (argc == 2 && !simulated)) return KBC_EXIT_WRONG_REQUEST;
  std::shared_ptr<PortIo> io;
  if (simulated) {
    io = std::make_shared<sim::SimulatedKeyboardController>();
  } else {
    io = std::make_shared<IopermPortIo>();
  }
  PortIoController controller(io);
  const KbcReply hello = TakePortPermission(controller, simulated, parent);
  if (!WriteKbcFrame(STDOUT_FILENO, EncodeKbcReply(hello))) return KBC_EXIT_PEER_GONE;
  if (!hello.ok) return KBC_EXIT_REFUSED;
  if (!simulated) ending.realController = &controller;

  // The signals that end the helper are let in only while it waits for a request.
  sigset_t waiting;
  ::sigprocmask(SIG_SETMASK, nullptr, &waiting);
  for (int i = 1; i < NSIG; ++i) {
    if (sigismember(&ends, i) == 1) sigdelset(&waiting, i);
  }
  const int status =
      ServeKbcRequests(controller, STDIN_FILENO, STDOUT_FILENO, waiting, ending.signal, KBC_IDLE_LIMIT);
  controller.Stop();
  ending.realController = nullptr;
  if (const int signalNumber = ending.signal.load()) {
    ::signal(signalNumber, SIG_DFL);
    ::sigprocmask(SIG_UNBLOCK, &ends, nullptr);
    ::raise(signalNumber);
  }
  return status;
}
