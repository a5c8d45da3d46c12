#include "transport/port_error_text.h"

#include <cstring>

namespace tessaron {

std::string PortErrorCause(const PortError& error, InterfaceType line) {
  (void)line;
  if (!error.Failed()) return std::string();
  if (error.osError != 0) return std::strerror(error.osError);
  return "the reader could not be reached";
}

}  // namespace tessaron
