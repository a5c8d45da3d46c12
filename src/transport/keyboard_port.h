#pragma once
// The reader on the PS/2 keyboard line, reached through the PC's keyboard controller the
// way a keyboard driver talks to a keyboard. The exchanges themselves run in the
// KeyboardController the environment brings: the helper process tessaron-kbc for the real
// controller.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/reader_port.h"
#include "transport/keyboard_controller.h"
#include "transport/transport_timing.h"

namespace tessaron {

// Texts the session shows when the port access cannot be had.
inline constexpr const char* KEYBOARD_ACCESS_FAILED_TEXT =
    "Please make sure current user account is Administrator.";
inline constexpr const char* KEYBOARD_ACCESS_FAILED_CAPTION = "Initialize TessaronCfgUtil failed";

class KeyboardPort final : public ReaderPort {
 public:
  // controller runs the exchanges (null: the controller cannot be reached).
  explicit KeyboardPort(const TransportTiming& timing = TransportTiming::Real(),
                        std::shared_ptr<KeyboardController> controller = nullptr);
  // Hands the keyboard back whenever the controller access was started, opened or not.
  ~KeyboardPort() override;

  void ReleaseDevice() override;
  void SeizeDevice() override;
  InterfaceType GetInterfaceType() const override { return InterfaceType::Ps2Keyboard; }
  std::string GetPortName(std::string& out) const override;

 protected:
  // Starts the controller access (once per process) and takes the keyboard over.
  // The device index and path are ignored: there is one keyboard controller. When the
  // access cannot be had the error says why (NoPortAccess); showing it is the caller's
  // business. From the first start on, a program ended by SIGINT, SIGTERM or SIGHUP gives
  // the keyboard back first.
  bool OpenDevice(DeviceIndex index) override;
  bool OpenDeviceAt(const std::string& path) override;
  // Hands the keyboard back.
  void CloseDevice() override;
  // Succeeds on the single acknowledgement of a set command, or once a framed reply is whole.
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override;

 private:
  // Takes the keyboard over or hands it back.
  void SetSeized(bool seized);

  KeyboardTiming timing_;
  std::shared_ptr<KeyboardController> controller_;
  std::mutex lock_;
};

// Whether the controller access was started during this run (it stays started until
// StopControllerAccess). The session calls StopControllerAccess at exit when it was.
bool IsControllerAccessStarted();
// Stops and drops the process-wide controller access; the next Open starts it anew.
void StopControllerAccess();

}  // namespace tessaron
