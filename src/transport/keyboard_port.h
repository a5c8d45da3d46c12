#pragma once
// The reader on the PS/2 keyboard line, reached through the PC's keyboard controller the
// way a keyboard driver talks to a keyboard. The exchanges themselves run in a
// KeyboardController: the helper process for the real controller.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/reader_port.h"
#include "transport/keyboard_controller.h"
#include "transport/transport_timing.h"

namespace tessaron {

// Texts shown when the port access cannot be had.
inline constexpr const char* KEYBOARD_ACCESS_FAILED_TEXT =
    "Please make sure current user account is Administrator.";
inline constexpr const char* KEYBOARD_ACCESS_FAILED_CAPTION = "Initialize TessaronCfgUtil failed";

class KeyboardPort final : public ReaderPort {
 public:
  explicit KeyboardPort(const TransportTiming& timing = TransportTiming::Real());
  // Runs Close, so the keyboard is handed back whenever the controller access was started.
  ~KeyboardPort() override;

  bool GetFirmwareVersion(std::string& out) override;
  // Starts the controller access (once per process) and takes the keyboard over.
  // The device index is ignored: there is one keyboard controller. When the access cannot
  // be had, Open shows why itself (the error is marked alreadyShown). From the first start
  // on, a program ended by SIGINT, SIGTERM or SIGHUP gives the keyboard back first.
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
  std::atomic<std::int32_t> opened_{0};
  std::mutex lock_;
};

// Whether the controller access was started during this run (it stays started until
// ShutdownWinIo). The program calls ShutdownWinIo at exit when it was.
bool IsWinIoInitialised();
// Stops and drops the process-wide controller access; the next Open starts it anew.
void ShutdownWinIo();

// Makes the keyboard controller of the process. Without one installed (and without a port
// access factory, see port_io.h, which goes first) the controller is the helper process on
// the real ports.
using KeyboardControllerFactory = std::function<std::shared_ptr<KeyboardController>()>;
// Installs the factory for the whole process and returns the previous one; a controller
// made by an earlier factory is replaced at the next start of the keyboard transport.
KeyboardControllerFactory SetKeyboardControllerFactory(KeyboardControllerFactory factory);

}  // namespace tessaron
