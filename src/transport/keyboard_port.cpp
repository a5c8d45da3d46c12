#include "transport/keyboard_port.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/command_frame.h"
#include "transport/port_failure.h"
#include "transport/signal_hand_back.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// How long the hand-back on a signal waits for an exchange under way to notice it; the
// exchange's waits end at once then, so only a pause already begun can hold it up.
constexpr Millis HAND_BACK_WAIT{1000};
// Pauses between exchanges are slept in slices this long, so that a hand-back is noticed.
constexpr Millis PAUSE_SLICE{10};

// The one controller access of the process. It is started by the first Open that needs it
// and stays started (the keyboard transport never stops it) until StopControllerAccess. A
// port that brings another controller (a test's simulated one) replaces it, and so does the
// next Open once a helper process has ended.
struct ControllerAccess {
  std::mutex lock;
  std::shared_ptr<KeyboardController> controller;
  bool started = false;
  // Held for every exchange with the controller (a command-byte change, a whole
  // transaction), so that the hand-back on a signal never cuts into one. Taken after a
  // port's own lock and before `lock`.
  std::timed_mutex traffic;
  // Set once a signal is ending the program: exchanges stop waiting and no access starts.
  std::atomic<bool> handingBack{false};
};

ControllerAccess& Access() {
  static ControllerAccess access;
  return access;
}

bool HandingBack() { return Access().handingBack.load(); }

void HandBackController();

// The started access, started now with controller when there is none yet (or when it is
// another one, or its helper process has ended). Null when the access cannot be had; why
// then says why.
std::shared_ptr<KeyboardController> StartAccess(
    const std::shared_ptr<KeyboardController>& controller, PortError* why) {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  if (access.started && access.controller == controller && controller->Alive()) {
    return controller;
  }
  if (access.started) access.controller->Stop();
  access.controller.reset();
  access.started = false;
  if (access.handingBack) {
    *why = PortFailure(PortErrorKind::Other, std::string(), 0, "the program is ending");
    return nullptr;
  }

  if (!controller) {
    *why = PortFailure(PortErrorKind::NoPortAccess, std::string());
    return nullptr;
  }
  if (!controller->Start(why)) return nullptr;
  access.controller = controller;
  access.started = true;
  // From now on the keyboard may be seized: a signal that ends the program gives it back.
  InstallSignalHandBack(&HandBackController);
  return controller;
}

// The started access, or null; never starts one (handing the keyboard back needs no new
// permission: without one nothing was ever taken over).
std::shared_ptr<KeyboardController> StartedAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.started ? access.controller : nullptr;
}

// Sleeps for duration, or less when a signal is ending the program.
void Pause(Millis duration) {
  const Clock::time_point deadline = Clock::now() + duration;
  for (;;) {
    const Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero() || HandingBack()) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, PAUSE_SLICE));
  }
}

// Runs on the hand-back thread when a signal ends the program: lets an exchange under way
// end, gives the keyboard back to the system and drops the port permission.
void HandBackController() {
  ControllerAccess& access = Access();
  access.handingBack = true;
  const std::shared_ptr<KeyboardController> controller = StartedAccess();
  if (controller) controller->Abandon();
  std::unique_lock<std::timed_mutex> traffic(access.traffic, std::defer_lock);
  // Should the exchange not end in time, the keyboard is given back all the same.
  (void)traffic.try_lock_for(HAND_BACK_WAIT);
  if (controller) controller->HandBack();
  StopControllerAccess();
}

}  // namespace

KeyboardPort::KeyboardPort(const TransportTiming& timing,
                           std::shared_ptr<KeyboardController> controller)
    : timing_(timing.keyboard), controller_(std::move(controller)) {}

KeyboardPort::~KeyboardPort() { CloseDevice(); }

bool KeyboardPort::OpenDevice(DeviceIndex /*index*/) {
  PortError refusal;
  if (!StartAccess(controller_, &refusal)) {
    SetError(std::move(refusal));
    return false;
  }
  SeizeDevice();
  return true;
}

bool KeyboardPort::OpenDeviceAt(const std::string& /*path*/) { return OpenDevice(0); }

void KeyboardPort::CloseDevice() { ReleaseDevice(); }

void KeyboardPort::ReleaseDevice() { SetSeized(false); }

void KeyboardPort::SeizeDevice() { SetSeized(true); }

std::string KeyboardPort::GetPortName(std::string& out) const {
  out = PS2_PORT_NAME;
  return out;
}

void KeyboardPort::SetSeized(bool seized) {
  std::lock_guard<std::mutex> guard(lock_);
  std::lock_guard<std::timed_mutex> traffic(Access().traffic);
  const std::shared_ptr<KeyboardController> controller = StartedAccess();
  if (controller) controller->SetSeized(seized, timing_);
}

KeyboardPort::Exchanged KeyboardPort::Exchange(std::span<const Byte> command,
                                               std::span<Byte> reply) {
  KeyboardExchange exchange;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::lock_guard<std::timed_mutex> traffic(Access().traffic);
    const std::shared_ptr<KeyboardController> controller = StartedAccess();
    if (controller) {
      exchange = controller->Transact(command.data(), static_cast<std::uint32_t>(command.size()),
                                      reply.data(), static_cast<std::uint32_t>(reply.size()),
                                      timing_);
    } else {
      exchange.failure = PortFailure(PortErrorKind::Other, std::string(), 0,
                                     "the keyboard controller access is not started");
    }
  }
  Pause(timing_.afterTransaction);
  return Exchanged{exchange.received, exchange.ok, std::move(exchange.failure)};
}

bool IsControllerAccessStarted() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.started;
}

void StopControllerAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  if (access.started) access.controller->Stop();
  access.controller.reset();
  access.started = false;
}

}  // namespace tessaron
