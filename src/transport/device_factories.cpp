// The process-wide factories of HID devices and of the keyboard controller's port access;
// the system's back-ends unless another factory is installed.

#include <mutex>
#include <utility>

#include "transport/system_devices.h"

namespace tessaron {

namespace {

std::mutex& HidFactoryLock() {
  static std::mutex lock;
  return lock;
}

HidDeviceFactory& InstalledHidFactory() {
  static HidDeviceFactory factory;
  return factory;
}

std::mutex& PortIoFactoryLock() {
  static std::mutex lock;
  return lock;
}

PortIoFactory& InstalledPortIoFactory() {
  static PortIoFactory factory;
  return factory;
}

std::uint64_t& FactoryGeneration() {
  static std::uint64_t generation = 0;
  return generation;
}

}  // namespace

HidDeviceFactory SetHidDeviceFactory(HidDeviceFactory f) {
  std::lock_guard<std::mutex> guard(HidFactoryLock());
  return std::exchange(InstalledHidFactory(), std::move(f));
}

std::unique_ptr<HidDevice> CreateHidDevice(const std::string& path) {
  HidDeviceFactory factory;
  {
    std::lock_guard<std::mutex> guard(HidFactoryLock());
    factory = InstalledHidFactory();
  }
  if (factory) return factory(path);
  return MakeSystemHidDevice();
}

PortIoFactory SetPortIoFactory(PortIoFactory factory) {
  std::lock_guard<std::mutex> guard(PortIoFactoryLock());
  std::swap(InstalledPortIoFactory(), factory);
  ++FactoryGeneration();
  return factory;
}

std::shared_ptr<PortIo> CreatePortIo() {
  PortIoFactory factory;
  {
    std::lock_guard<std::mutex> guard(PortIoFactoryLock());
    factory = InstalledPortIoFactory();
  }
  if (factory) return factory();
  return MakeSystemPortIo();
}

bool KeyboardLineOffered() {
  {
    std::lock_guard<std::mutex> guard(PortIoFactoryLock());
    if (InstalledPortIoFactory()) return true;
  }
  return MakeSystemPortIo() != nullptr;
}

std::uint64_t PortIoFactoryGeneration() {
  std::lock_guard<std::mutex> guard(PortIoFactoryLock());
  return FactoryGeneration();
}

}  // namespace tessaron
