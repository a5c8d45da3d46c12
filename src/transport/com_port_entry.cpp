#include "transport/com_port_entry.h"

#include <cctype>

namespace tessaron {

namespace {

std::string Capitals(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string SmallLetters(std::string_view text) {
  std::string small(text);
  for (char& c : small) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return small;
}

// Four hex digits at text[at]; false when they are not there.
bool HexId(const std::string& text, std::size_t at, std::uint16_t* id) {
  if (at + 4 > text.size()) return false;
  unsigned value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
  }
  *id = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

bool FindUsbIds(std::string_view text, std::uint16_t* vendorId, std::uint16_t* productId) {
  const std::string small = SmallLetters(text);
  for (std::size_t at = small.find("vid_"); at != std::string::npos;
       at = small.find("vid_", at + 1)) {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    if (HexId(small, at + 4, &vendor) && small.compare(at + 8, 5, "&pid_") == 0 &&
        HexId(small, at + 13, &product)) {
      *vendorId = vendor;
      *productId = product;
      return true;
    }
  }
  return false;
}

ListedDevice ListedComPort(const std::optional<std::string>& portName,
                           const std::optional<std::string>& symbolicName) {
  ListedDevice port;
  if (portName) {
    const std::string name = Capitals(*portName);
    if (name.rfind("COM", 0) == 0) port.node = name;
  }
  if (symbolicName) {
    port.hasUsbAncestor = true;
    port.idsKnown = FindUsbIds(*symbolicName, &port.vendorId, &port.productId);
  }
  return port;
}

}  // namespace tessaron
