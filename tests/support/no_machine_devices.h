#pragma once
// Discovery sees no device of the machine, only simulated readers started afterwards.

#include <memory>
#include <vector>

#include "transport/discovery.h"

namespace tessaron::testing {

class NoMachineDevices {
 public:
  NoMachineDevices() : previous_(SetDeviceListing(std::make_shared<Empty>())) {}
  ~NoMachineDevices() { SetDeviceListing(previous_); }
  NoMachineDevices(const NoMachineDevices&) = delete;
  NoMachineDevices& operator=(const NoMachineDevices&) = delete;

 private:
  struct Empty : DeviceListing {
    std::vector<ListedDevice> SerialPorts() override { return {}; }
    std::vector<ListedDevice> HidDevices() override { return {}; }
  };
  std::shared_ptr<DeviceListing> previous_;
};

}  // namespace tessaron::testing
