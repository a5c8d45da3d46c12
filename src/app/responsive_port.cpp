#include "app/responsive_port.h"

#include <type_traits>

#include "app/busy_windows.h"

namespace tessaron {

ResponsivePort::ResponsivePort(std::unique_ptr<ReaderPort> inner) : inner_(std::move(inner)) {}

// The wrapped port closes its device when it goes; that is quick, and a destructor is no
// place for a local event loop.
ResponsivePort::~ResponsivePort() = default;

template <typename Call>
auto ResponsivePort::Run(Call call) {
  using Result = std::invoke_result_t<Call>;
  if constexpr (std::is_void_v<Result>) {
    RunWhileWindowsPaint(call);
    SetError(inner_->LastError());
  } else {
    Result result{};
    RunWhileWindowsPaint([&] { result = call(); });
    SetError(inner_->LastError());
    return result;
  }
}

bool ResponsivePort::OpenDevice(DeviceIndex index) {
  return Run([&] { return inner_->Open(index); });
}

bool ResponsivePort::OpenDeviceAt(const std::string& path) {
  return Run([&] { return inner_->OpenPath(path); });
}

void ResponsivePort::CloseDevice() {
  Run([&] { inner_->Close(); });
}

void ResponsivePort::ReleaseDevice() {
  Run([&] { inner_->ReleaseDevice(); });
}

void ResponsivePort::SeizeDevice() {
  Run([&] { inner_->SeizeDevice(); });
}

ResponsivePort::Exchanged ResponsivePort::Exchange(std::span<const Byte> command,
                                                   std::span<Byte> reply) {
  const PortReply answer = Run([&] { return inner_->Transact(command, reply); });
  return Exchanged{answer.bytes.size(), answer.ok, answer.failure};
}

InterfaceType ResponsivePort::GetInterfaceType() const { return inner_->GetInterfaceType(); }

std::string ResponsivePort::GetPortName(std::string& out) const {
  return inner_->GetPortName(out);
}

std::unique_ptr<ReaderPort> MakeResponsive(std::unique_ptr<ReaderPort> port) {
  if (!port) return port;
  return std::make_unique<ResponsivePort>(std::move(port));
}

}  // namespace tessaron
