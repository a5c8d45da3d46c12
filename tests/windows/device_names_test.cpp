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
    InterfaceType type;  // InterfaceType::Unknown: refused
    const char* path;
  } forms[] = {
      {"COM7", InterfaceType::Rs232, "COM7"},
      {"com12", InterfaceType::Rs232, "com12"},
      {"\\\\.\\COM255", InterfaceType::Rs232, "\\\\.\\COM255"},
      {"usb-rs232:COM3", InterfaceType::UsbRs232, "COM3"},
      {"usb-hid:\\\\?\\hid#vid_0f3e&pid_0217#7&1a2b#{4d1e55b2-f16f-11cf-88cb-001111000030}",
       InterfaceType::UsbHid, "\\\\?\\hid#vid_0f3e&pid_0217#7&1a2b#{4d1e55b2-f16f-11cf-88cb-001111000030}"},
      {"COM", InterfaceType::Unknown, ""},
      {"COM7x", InterfaceType::Unknown, ""},
      {"COM1234", InterfaceType::Unknown, ""},
      {"LPT1", InterfaceType::Unknown, ""},
      {"ps2:COM1", InterfaceType::Unknown, ""},
  };
  for (const auto& form : forms) {
    ReaderConnection connection;
    std::string error;
    const bool parsed = ParseReaderConnection(form.text, &connection, &error);
    EXPECT_EQ(parsed, form.type != InterfaceType::Unknown) << form.text << ": " << error;
    if (!parsed) continue;
    EXPECT_EQ(connection.type, form.type) << form.text;
    EXPECT_EQ(connection.path, form.path) << form.text;
  }
}

}  // namespace
}  // namespace tessaron
