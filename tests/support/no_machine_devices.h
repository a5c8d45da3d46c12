#pragma once
// Discovery sees no device of the machine, only simulated readers started afterwards.

#include <memory>

#include "support/transport_fakes.h"

namespace tessaron::testing {

class NoMachineDevices : public ScopedListing {
 public:
  NoMachineDevices() : ScopedListing(std::make_shared<TestListing>()) {}
};

}  // namespace tessaron::testing
