#include "flows/reader_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transport/transport_timing.h"
#include "cli_test_support.h"

namespace tessaron {
namespace {

using test_support::CliRun;
using test_support::Contains;
using test_support::RunTool;

TEST(ReaderConnectionTest, ReadsEveryForm) {
  const struct {
    const char* text;
    InterfaceType type;
    DeviceIndex index;
    const char* path;
  } forms[] = {
      {"/dev/ttyUSB0", InterfaceType::Rs232, -1, "/dev/ttyUSB0"},
      // Paths may hold colons; only a line name before the first one makes NAME:...
      {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", InterfaceType::Rs232, -1,
       "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0"},
      {"./pty", InterfaceType::Rs232, -1, "./pty"},
      {"rs232:/dev/ttyS1", InterfaceType::Rs232, -1, "/dev/ttyS1"},
      {"usb-rs232:/dev/ttyACM0", InterfaceType::UsbRs232, -1, "/dev/ttyACM0"},
      {"usb-hid:/dev/hidraw2", InterfaceType::UsbHid, -1, "/dev/hidraw2"},
      {"usb-hid-kb:/dev/hidraw1", InterfaceType::UsbHidKb, -1, "/dev/hidraw1"},
      {"rs232:2", InterfaceType::Rs232, 2, ""},
      {"usb-rs232:007", InterfaceType::UsbRs232, 7, ""},
      {"usb-hid:0", InterfaceType::UsbHid, 0, ""},
      {"usb-hid-kb:12", InterfaceType::UsbHidKb, 12, ""},
      {"ps2:0", InterfaceType::Ps2Keyboard, 0, ""},
      {"ps2", InterfaceType::Ps2Keyboard, 0, ""},  // the line's one device
      {"usb-hid:2147483647", InterfaceType::UsbHid, 2147483647, ""},
  };
  for (const auto& form : forms) {
    ReaderConnection connection;
    std::string error = "untouched";
    ASSERT_TRUE(ParseReaderConnection(form.text, &connection, &error)) << form.text << ": " << error;
    EXPECT_EQ(connection.type, form.type) << form.text;
    EXPECT_EQ(connection.path, form.path) << form.text;
    if (connection.path.empty()) {
      EXPECT_EQ(connection.index, form.index) << form.text;
    }
  }
}

TEST(ReaderConnectionTest, RefusesWrongFormsWithAReason) {
  for (const char* text : {
           "",                     // nothing
           "ttyUSB0",              // no path, no name
           "COM3",
           "foo:0",                // unknown line
           "usb:0",
           "USB-HID:0",            // names are lower case
           "unknown:0",            // not a line
           "usb-hid:",             // no device
           "usb-hid:abc",          // neither index nor path
           "usb-hid:-1",
           "rs232:1x",
           "usb-hid:2147483648",   // past the device index range
           "usb-hid:99999999999999999999999",
           "ps2:1",                // one keyboard controller only
           "ps2:/dev/input/event3",
       }) {
    ReaderConnection connection;
    connection.type = InterfaceType::UsbHidKb;
    std::string error;
    EXPECT_FALSE(ParseReaderConnection(text, &connection, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(connection.type, InterfaceType::UsbHidKb) << text;  // untouched
  }
  std::string error;
  ParseReaderConnection("usb-hid:", nullptr, &error);
  EXPECT_NE(error.find("names no device"), std::string::npos) << error;
}

TEST(ReaderConnectionTest, WrongConnectionsAreWrongUsage) {
  const std::vector<std::vector<std::string>> wrong = {
      {"report", "--reader", "foo:0"},
      {"version", "-r", "ttyUSB0"},
      {"save", "x.cfs2", "--reader", "usb-hid:"},
      {"load", "x.cfs2", "--reader", "ps2:1"},
      {"defaults", "--reader=usb-hid:x"},
      {"send", "\\x2\\x52\\x22\\x3", "--reader", "COM1"},
      {"clone", "--from", "usb:0", "--to", "usb-hid:0"},
      {"clone", "--from", "usb-hid:0", "--to", ""},
      {"clone", "--from", "usb-hid:0"},  // no target
      {"report", "--simulate=usb"},
      {"list", "--simulate=serial"},
      {"list", "--interface", "unknown"},
  };
  for (const auto& args : wrong) {
    const CliRun run = RunTool(args);
    std::string line;
    for (const auto& arg : args) line += arg + " ";
    EXPECT_EQ(run.code, 2) << line << run.err;
    EXPECT_FALSE(run.err.empty()) << line;
    EXPECT_EQ(run.out, "") << line;
  }
  const CliRun run = RunTool({"version", "--reader", "foo:3"});
  EXPECT_TRUE(Contains(run.err, "--reader")) << run.err;
  EXPECT_TRUE(Contains(run.err, "\"foo\"")) << run.err;
}

TEST(ReaderConnectionTest, WritesConnectionsBackAsTheyAreRead) {
  for (const char* text : {"usb-hid:3", "ps2:0", "usb-rs232:/dev/ttyACM0", "usb-hid-kb:1"}) {
    ReaderConnection connection;
    ASSERT_TRUE(ParseReaderConnection(text, &connection, nullptr));
    EXPECT_EQ(ReaderConnectionText(connection), text);
  }
  ReaderConnection bare;
  ASSERT_TRUE(ParseReaderConnection("/dev/ttyS0", &bare, nullptr));
  EXPECT_EQ(ReaderConnectionText(bare), "rs232:/dev/ttyS0");
}

TEST(TimingScaleTest, ScalingShortensEveryTimeButLetsNoneVanish) {
  const TransportTiming real = TransportTiming::Real();
  const TransportTiming scaled = real.ScaledBy(0.1);
  EXPECT_EQ(scaled.serial.perByteWait, Millis(100));
  EXPECT_EQ(scaled.serial.replyPause, Millis(150));
  EXPECT_EQ(scaled.hid.pollPause, Millis(4));
  // Short times do not vanish.
  EXPECT_EQ(scaled.keyboard.ackedBytePause, Millis(1));
  EXPECT_EQ(scaled.keyboard.replyByteWait, Millis(1));
  EXPECT_EQ(ScaleMillis(Millis(0), 0.1), Millis(0));
  EXPECT_EQ(real.ScaledBy(1.0).keyboard.replyLimit, real.keyboard.replyLimit);
}

}  // namespace
}  // namespace tessaron
