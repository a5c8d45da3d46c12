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
  // Runs Close, so the keyboard is handed back whenever the controller access was started.
  ~KeyboardPort() override;

  bool GetFirmwareVersion(std::string& out) override;
  // Starts the controller access (once per process) and takes the keyboard over.
  // The device index is ignored: there is one keyboard controller. When the access cannot
  // be had the error says why (NoPortAccess); showing it is the caller's business. From the
  // first start on, a program ended by SIGINT, SIGTERM or SIGHUP gives the keyboard back
  // first.
  bool Open(DeviceIndex index) override;
  bool OpenPath(const std::string& path) override;
  // Hands the keyboard back; always true. The port stays ready.
  bool Close() override;
  void ReleaseDevice() override;
  void SeizeDevice() override;
  bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                std::uint32_t* replyLength) override;
  InterfaceType GetInterfaceType() const override { return INTERFACE_PS2_KEYBOARD; }
  bool IsReady() const override { return opened_.load() != 0; }
  std::string GetPortName(std::string& out) const override;

 private:
  // Takes the keyboard over or hands it back.
  void SetSeized(bool seized);

  KeyboardTiming timing_;
  std::shared_ptr<KeyboardController> controller_;
  std::atomic<std::int32_t> opened_{0};
  std::mutex lock_;
};

// Whether the controller access was started during this run (it stays started until
// StopControllerAccess). The session calls StopControllerAccess at exit when it was.
bool IsControllerAccessStarted();
// Stops and drops the process-wide controller access; the next Open starts it anew.
void StopControllerAccess();

}  // namespace tessaron
