#include "app/device_monitor.h"

#include <libudev.h>

#include <QSocketNotifier>

namespace tessaron {

DeviceMonitor::DeviceMonitor(QObject* parent) : QObject(parent) {}

DeviceMonitor::~DeviceMonitor() { Stop(); }

bool DeviceMonitor::Start() {
  if (monitor_ != nullptr) return true;
  udev_ = udev_new();
  if (udev_ == nullptr) return false;
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  const bool ready =
      monitor_ != nullptr &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) >= 0 &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) >= 0 &&
      udev_monitor_enable_receiving(monitor_) >= 0 && udev_monitor_get_fd(monitor_) >= 0;
  if (!ready) {
    Stop();
    return false;
  }
  notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &DeviceMonitor::OnReadable);
  return true;
}

void DeviceMonitor::Stop() {
  delete notifier_;
  notifier_ = nullptr;
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  monitor_ = nullptr;
  if (udev_ != nullptr) udev_unref(udev_);
  udev_ = nullptr;
}

void DeviceMonitor::OnReadable() {
  if (monitor_ == nullptr) return;
  // The monitor's socket does not block: take every waiting notice, then say it once.
  bool changed = false;
  while (struct udev_device* device = udev_monitor_receive_device(monitor_)) {
    udev_device_unref(device);
    changed = true;
  }
  if (changed) emit devicesChanged();
}

}  // namespace tessaron
