#pragma once
// Watches the system for serial ports and HID devices coming and going (udev subsystems
// "tty" and "hidraw") and says so on the user-interface thread.

#include <QObject>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace tessaron {

class DeviceMonitor : public QObject {
  Q_OBJECT

 public:
  explicit DeviceMonitor(QObject* parent = nullptr);
  ~DeviceMonitor() override;

  // Starts listening; false (and nothing happens later) when no monitor can be had.
  bool Start();
  void Stop();
  bool IsRunning() const { return monitor_ != nullptr; }

 signals:
  // One or more devices of the watched kinds were added, removed or changed.
  void devicesChanged();

 private:
  void OnReadable();

  struct udev* udev_ = nullptr;
  struct udev_monitor* monitor_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tessaron
