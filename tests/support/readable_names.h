#pragma once
// How the tests print the program's own values in their messages and in the names of
// parameterized cases: an interface by its display name.

#include <ostream>

#include "core/interface_type.h"

namespace tessaron {

inline std::ostream& operator<<(std::ostream& out, InterfaceType type) {
  return out << InterfaceDisplayName(type);
}

}  // namespace tessaron
