#pragma once
// Watches the system for serial ports and HID devices coming and going and says so on the
// user-interface thread. Each system has its own watch, in a file of its own: a udev monitor
// of the subsystems "tty" and "hidraw" on Linux (udev_device_monitor.cpp), the device-change
// notices of the HID and COM port interfaces on Windows (win_device_monitor.cpp).

#include <QObject>
#include <memory>

namespace tessaron {

class DeviceMonitor : public QObject {
  Q_OBJECT

 public:
  explicit DeviceMonitor(QObject* parent = nullptr);
  ~DeviceMonitor() override;

  // Starts listening; false (and nothing happens later) when no monitor can be had.
  bool Start();
  void Stop();
  bool IsRunning() const { return watch_ != nullptr; }

 signals:
  // One or more devices of the watched kinds were added, removed or changed.
  void devicesChanged();

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;  // null while stopped
};

}  // namespace tessaron
