#include "transport/port_io.h"

#include <mutex>
#include <utility>

namespace tessaron {

namespace {

struct Registry {
  std::mutex lock;
  PortIoFactory factory;
  std::uint64_t generation = 0;
};

Registry& Installed() {
  static Registry registry;
  return registry;
}

}  // namespace

PortIoFactory SetPortIoFactory(PortIoFactory factory) {
  Registry& registry = Installed();
  std::lock_guard<std::mutex> guard(registry.lock);
  std::swap(registry.factory, factory);
  ++registry.generation;
  return factory;
}

bool PortIoFactoryInstalled() {
  Registry& registry = Installed();
  std::lock_guard<std::mutex> guard(registry.lock);
  return static_cast<bool>(registry.factory);
}

std::shared_ptr<PortIo> CreatePortIo() {
  PortIoFactory factory;
  {
    Registry& registry = Installed();
    std::lock_guard<std::mutex> guard(registry.lock);
    factory = registry.factory;
  }
  return factory ? factory() : nullptr;
}

std::uint64_t PortIoFactoryGeneration() {
  Registry& registry = Installed();
  std::lock_guard<std::mutex> guard(registry.lock);
  return registry.generation;
}

}  // namespace tessaron
