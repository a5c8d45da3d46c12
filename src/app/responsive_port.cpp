#include "app/responsive_port.h"

#include <QApplication>
#include <type_traits>

#include "app/busy_windows.h"
#include "app/ui_services.h"

namespace tessaron {

ResponsivePort::ResponsivePort(std::unique_ptr<ReaderPort> inner, BusyWindows& holds)
    : inner_(std::move(inner)), holds_(holds) {}

// The wrapped port closes its device when it goes; that is quick, and a destructor is no
// place for a local event loop.
ResponsivePort::~ResponsivePort() = default;

template <typename Call>
auto ResponsivePort::Run(Call call) {
  using Result = std::invoke_result_t<Call>;
  if constexpr (std::is_void_v<Result>) {
    RunWhileWindowsPaint(holds_, call);
    SetError(inner_->LastError());
  } else {
    Result result{};
    RunWhileWindowsPaint(holds_, [&] { result = call(); });
    SetError(inner_->LastError());
    return result;
  }
}

bool ResponsivePort::GetFirmwareVersion(std::string& out) {
  return Run([&] { return inner_->GetFirmwareVersion(out); });
}

bool ResponsivePort::Open(DeviceIndex index) {
  return Run([&] { return inner_->Open(index); });
}

bool ResponsivePort::OpenPath(const std::string& path) {
  return Run([&] { return inner_->OpenPath(path); });
}

bool ResponsivePort::Close() {
  return Run([&] { return inner_->Close(); });
}

void ResponsivePort::ReleaseDevice() {
  Run([&] { inner_->ReleaseDevice(); });
}

void ResponsivePort::SeizeDevice() {
  Run([&] { inner_->SeizeDevice(); });
}

bool ResponsivePort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                              std::uint32_t* replyLength) {
  return Run([&] { return inner_->Transact(command, commandLength, reply, replyLength); });
}

InterfaceType ResponsivePort::GetInterfaceType() const { return inner_->GetInterfaceType(); }

bool ResponsivePort::IsReady() const { return inner_->IsReady(); }

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
