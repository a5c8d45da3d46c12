#include <gtest/gtest.h>

#include <string>

#include "flows/reader_connection.h"

namespace tessaron {
namespace {

// How a reader is named on Windows: COM ports by name (in any letter case, also behind the
// device prefix), HID interfaces by the device path discovery lists; other words are no port.
TEST(WindowsDeviceNamesTest, ComPortsAndDevicePathsNameReaders) {
  const struct {
    const char* text;
    InterfaceType type;  // INTERFACE_UNKNOWN: refused
    const char* path;
  } forms[] = {
      {"COM7", INTERFACE_RS232, "COM7"},
      {"com12", INTERFACE_RS232, "com12"},
      {"\\\\.\\COM255", INTERFACE_RS232, "\\\\.\\COM255"},
      {"usb-rs232:COM3", INTERFACE_USB_RS232, "COM3"},
      {"usb-hid:\\\\?\\hid#vid_0f3e&pid_0217#7&1a2b#{4d1e55b2-f16f-11cf-88cb-001111000030}",
       INTERFACE_USB_HID, "\\\\?\\hid#vid_0f3e&pid_0217#7&1a2b#{4d1e55b2-f16f-11cf-88cb-001111000030}"},
      {"COM", INTERFACE_UNKNOWN, ""},
      {"COM7x", INTERFACE_UNKNOWN, ""},
      {"COM1234", INTERFACE_UNKNOWN, ""},
      {"LPT1", INTERFACE_UNKNOWN, ""},
      {"ps2:COM1", INTERFACE_UNKNOWN, ""},
  };
  for (const auto& form : forms) {
    ReaderConnection connection;
    std::string error;
    const bool parsed = ParseReaderConnection(form.text, &connection, &error);
    EXPECT_EQ(parsed, form.type != INTERFACE_UNKNOWN) << form.text << ": " << error;
    if (!parsed) continue;
    EXPECT_EQ(connection.type, form.type) << form.text;
    EXPECT_EQ(connection.path, form.path) << form.text;
  }
}

}  // namespace
}  // namespace tessaron
