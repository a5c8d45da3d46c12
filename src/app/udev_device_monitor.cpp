// The Linux watch of DeviceMonitor: a udev monitor of the subsystems "tty" and "hidraw", read
// when its socket has something.

#include <libudev.h>

#include <QSocketNotifier>

#include "app/device_monitor.h"

namespace tessaron {

struct DeviceMonitor::Watch {
  ~Watch() {
    delete notifier;
    if (monitor != nullptr) udev_monitor_unref(monitor);
    if (udev != nullptr) udev_unref(udev);
  }

  struct udev* udev = nullptr;
  struct udev_monitor* monitor = nullptr;
  QSocketNotifier* notifier = nullptr;
};

DeviceMonitor::DeviceMonitor(QObject* parent) : QObject(parent) {}

DeviceMonitor::~DeviceMonitor() { Stop(); }

bool DeviceMonitor::Start() {
  if (watch_ != nullptr) return true;
  auto watch = std::make_unique<Watch>();
  watch->udev = udev_new();
  if (watch->udev == nullptr) return false;
  watch->monitor = udev_monitor_new_from_netlink(watch->udev, "udev");
  udev_monitor* monitor = watch->monitor;
  const bool ready =
      monitor != nullptr &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) >= 0 &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) >= 0 &&
      udev_monitor_enable_receiving(monitor) >= 0 && udev_monitor_get_fd(monitor) >= 0;
  if (!ready) return false;
  watch->notifier = new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this);
  connect(watch->notifier, &QSocketNotifier::activated, this, [this, monitor] {
    // The monitor's socket does not block: take every waiting notice, then say it once.
    bool changed = false;
    while (struct udev_device* device = udev_monitor_receive_device(monitor)) {
      udev_device_unref(device);
      changed = true;
    }
    if (changed) emit devicesChanged();
  });
  watch_ = std::move(watch);
  return true;
}

void DeviceMonitor::Stop() { watch_.reset(); }

}  // namespace tessaron
