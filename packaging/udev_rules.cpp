// Writes the readers' udev rules into the file named by its argument. The build runs it to
// make 70-tessaron-readers.rules, so that the rules name exactly the vendor and product ids
// that the table of interfaces gives each USB line, and no other device of the vendor.

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/interface_type.h"

namespace {

std::string Hex(std::uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", id);
  return text;
}

// The product ids of the USB lines reached by HID feature reports, or of those reached as a
// serial port, as udev's alternatives: "0221|0222|0223".
std::string ProductIds(bool hid) {
  std::string ids;
  for (const tessaron::InterfaceRow& row : tessaron::INTERFACE_ROWS) {
    for (const std::uint16_t id : row.productIds) {
      if (id != 0 && row.usb && row.hid == hid) ids += (ids.empty() ? "" : "|") + Hex(id);
    }
  }
  return ids;
}

}  // namespace

int main(int argc, char** argv) {
  std::FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (out == nullptr) {
    std::perror("tessaron-udev-rules FILE");
    return 2;
  }
  const std::string vendor = Hex(tessaron::READER_VENDOR_ID);
  std::fprintf(out, R"(# Tessaron magnetic-stripe card readers (USB vendor %s, the product ids below).
#
# Gives the user at the seat read and write access to the readers' HID raw nodes and serial
# ports, so the configuration utility runs without root, and keeps ModemManager from probing
# the reader's USB-RS232 port with AT commands.
#
# The file sorts before 71-seat.rules and 73-seat-late.rules, which turn the uaccess tag into
# the seat's access rights. Install it to /etc/udev/rules.d/ (or /usr/lib/udev/rules.d/), then
# run: udevadm control --reload && udevadm trigger

ACTION=="remove", GOTO="tessaron_readers_end"

# USB-HID-KB and USB-HID readers: the configuration travels in feature reports on hidraw.
# Other devices of the vendor get nothing.
SUBSYSTEM=="hidraw", ATTRS{idVendor}=="%s", ATTRS{idProduct}=="%s", TAG+="uaccess"

# USB-RS232 readers: the reader's virtual serial port.
SUBSYSTEM=="tty", ATTRS{idVendor}=="%s", ATTRS{idProduct}=="%s", TAG+="uaccess", ENV{ID_MM_DEVICE_IGNORE}="1"

LABEL="tessaron_readers_end"
)",
               vendor.c_str(), vendor.c_str(), ProductIds(true).c_str(), vendor.c_str(),
               ProductIds(false).c_str());
  return std::fclose(out) == 0 ? 0 : 1;
}
