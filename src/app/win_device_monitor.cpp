// The Windows watch of DeviceMonitor: a message-only window of its own, registered for the
// device-change notices (WM_DEVICECHANGE) of the HID interfaces and of the COM port
// interfaces. The user-interface thread's message loop delivers them to it.

#include <windows.h>
// Windows' headers first: these need its types.
#include <dbt.h>
#include <ntdef.h>
// ntdef.h before the HID headers, which need its types; they declare C functions without
// saying so.
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <QMetaObject>
#include <QObject>
#include <vector>

#include "app/device_monitor.h"

namespace tessaron {

namespace {

// The window class of the notice window (FindWindowEx finds the window by it).
constexpr const wchar_t* WINDOW_CLASS = L"TessaronDeviceMonitor";
// The COM port device interface (GUID_DEVINTERFACE_COMPORT), which every serial port driver
// of a USB-RS232 reader announces.
constexpr GUID COM_PORT_INTERFACE = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

}  // namespace

struct DeviceMonitor::Watch {
  explicit Watch(DeviceMonitor& owner) : monitor(owner) {}
  ~Watch() {
    for (HDEVNOTIFY notification : notifications) {
      if (notification != nullptr) ::UnregisterDeviceNotification(notification);
    }
    if (window != nullptr) ::DestroyWindow(window);
  }

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    } else if (message == WM_DEVICECHANGE &&
               (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
      if (auto* watch = reinterpret_cast<Watch*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
        watch->Changed();
      }
      return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  // A reader arrives as several interfaces at once (its USB device, its HID or COM port
  // interface): the notices that come together are said once, after the message loop has
  // delivered them.
  void Changed() {
    if (pending) return;
    pending = true;
    QMetaObject::invokeMethod(
        &context,
        [this] {
          pending = false;
          emit monitor.devicesChanged();
        },
        Qt::QueuedConnection);
  }

  bool Register(const GUID& interfaceClass) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    notifications.push_back(
        ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    return notifications.back() != nullptr;
  }

  DeviceMonitor& monitor;
  QObject context;  // the queued call is dropped when the watch goes first
  HWND window = nullptr;
  std::vector<HDEVNOTIFY> notifications;
  bool pending = false;
};

DeviceMonitor::DeviceMonitor(QObject* parent) : QObject(parent) {}

DeviceMonitor::~DeviceMonitor() { Stop(); }

bool DeviceMonitor::Start() {
  if (watch_ != nullptr) return true;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &Watch::WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = WINDOW_CLASS;
  // A second monitor of the process finds the class registered already.
  if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  auto watch = std::make_unique<Watch>(*this);
  watch->window = ::CreateWindowExW(0, WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, watch.get());
  if (watch->window == nullptr) return false;
  GUID hidInterface{};
  ::HidD_GetHidGuid(&hidInterface);
  if (!watch->Register(hidInterface) || !watch->Register(COM_PORT_INTERFACE)) return false;
  watch_ = std::move(watch);
  return true;
}

void DeviceMonitor::Stop() { watch_.reset(); }

}  // namespace tessaron
