#include "app/responsive_port.h"

#include <QApplication>
#include <type_traits>

#include "app/busy_windows.h"
#include "app/ui_services.h"

namespace tessaron {

ResponsivePort::ResponsivePort(std::unique_ptr<ReaderPort> inner, BusyWindows& busy)
    : inner_(std::move(inner)), busy_(busy) {}

// The wrapped port closes its device when it goes; that is quick, and a destructor is no
// place for a local event loop.
ResponsivePort::~ResponsivePort() = default;

template <typename Call>
auto ResponsivePort::Run(Call call) {
  using Result = std::invoke_result_t<Call>;
  if constexpr (std::is_void_v<Result>) {
    RunWhileWindowsPaint(busy_, call);
    SetError(inner_->LastError());
  } else {
    Result result{};
    RunWhileWindowsPaint(busy_, [&] { result = call(); });
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

ReaderEnvironment ReadersForWindows(ReaderEnvironment readers, UiServices& ui) {
  readers.wrap = [&ui](std::unique_ptr<ReaderPort> port) -> std::unique_ptr<ReaderPort> {
    if (!port) return port;
    return std::make_unique<ResponsivePort>(std::move(port), ui.Busy());
  };
  readers.messages = [&ui](const std::string& text, const std::string& caption) {
    // A port may say something while its exchange runs off the window thread.
    RunOnWindowThread([&] {
      QWidget* over = QApplication::activeWindow();
      const QString message = QString::fromLocal8Bit(text.c_str());
      if (caption.empty()) {
        ui.ShowMessage(over, message, QString(), 0);
      } else {
        ui.ShowMessageBox(over, QMessageBox::Warning, QString::fromLocal8Bit(caption.c_str()),
                          message, QMessageBox::Ok, QMessageBox::Ok);
      }
    });
  };
  return readers;
}

}  // namespace tessaron
