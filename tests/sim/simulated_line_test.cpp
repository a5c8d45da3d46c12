#include "sim/simulated_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/command_text.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_keyboard_controller.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/kbc_client.h"
#include "transport/port_io.h"
#include "transport/reader_port_factory.h"
#include "support/transport_fakes.h"

namespace tessaron::sim {

// A parameterized case prints its line by name.
static void PrintTo(SimulatedLineKind kind, std::ostream* out) { *out << SimulatedLineName(kind); }

namespace {

using std::chrono::milliseconds;

using test_support::FastTiming;

std::vector<ReaderDeviceEntry> Readers(const ReaderEnvironment& readers, InterfaceType type) {
  std::vector<ReaderDeviceEntry> list;
  EnumerateReaders(*readers.devices, type, list);
  return list;
}

// Readers on fast timing over a listing (none: no device of the machine).
ReaderEnvironment Base(std::shared_ptr<DeviceListing> listing = nullptr) {
  return test_support::ReadersOn(listing ? std::move(listing) : std::make_shared<test_support::TestListing>());
}

// The entry whose name is the line's device, or nullptr.
const ReaderDeviceEntry* EntryFor(const std::vector<ReaderDeviceEntry>& list,
                                  const std::string& name) {
  for (const ReaderDeviceEntry& entry : list) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// The line's name as a test name: "usb-hid-kb" becomes usb_hid_kb.
std::string LineTestName(const ::testing::TestParamInfo<SimulatedLineKind>& info) {
  std::string name = SimulatedLineName(info.param);
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

TEST(SimulatedLineNameTest, NamesParseInAnyCaseAndNothingElse) {
  const struct {
    const char* text;
    SimulatedLineKind kind;
    InterfaceType type;
  } known[] = {
      {"rs232", SimulatedLineKind::Rs232, InterfaceType::Rs232},
      {"USB-RS232", SimulatedLineKind::UsbRs232, InterfaceType::UsbRs232},
      {"usb-hid", SimulatedLineKind::UsbHid, InterfaceType::UsbHid},
      {"Usb-Hid-Kb", SimulatedLineKind::UsbHidKb, InterfaceType::UsbHidKb},
      {"ps2", SimulatedLineKind::Ps2, InterfaceType::Ps2Keyboard},
      {"PS/2 Keyboard", SimulatedLineKind::Ps2, InterfaceType::Ps2Keyboard},
  };
  for (const auto& line : known) {
    SimulatedLineKind kind = SimulatedLineKind::Rs232;
    ASSERT_TRUE(ParseSimulatedLine(line.text, &kind)) << line.text;
    EXPECT_EQ(kind, line.kind) << line.text;
    EXPECT_EQ(SimulatedLineInterface(kind), line.type) << line.text;
    // Every kind's own name reads back as that kind.
    SimulatedLineKind again = SimulatedLineKind::Rs232;
    ASSERT_TRUE(ParseSimulatedLine(SimulatedLineName(kind), &again));
    EXPECT_EQ(again, kind);
  }
  for (const char* text : {"", "usb", "usb-hid-k", "usb-hid-kbd", " rs232", "rs-232", "hid"}) {
    SimulatedLineKind kind = SimulatedLineKind::Ps2;
    EXPECT_FALSE(ParseSimulatedLine(text, &kind)) << '"' << text << '"';
    EXPECT_EQ(kind, SimulatedLineKind::Ps2);
  }
  EXPECT_EQ(DEFAULT_SIMULATED_LINE, SimulatedLineKind::UsbHid);
}

class SimulatedLineReachTest : public ::testing::TestWithParam<SimulatedLineKind> {};

TEST_P(SimulatedLineReachTest, ReaderIsDiscoveredAndAnswersThroughItsPort) {
  const ReaderEnvironment before = Base();
  SimulatedReaderConfig config;
  config.firmware = "V7.42";
  const InterfaceType type = SimulatedLineInterface(GetParam());
  {
    SimulatedLine line(GetParam(), config);
    ASSERT_TRUE(line.Start());
    ASSERT_FALSE(line.DeviceName().empty());
    EXPECT_EQ(line.Reader().Interface(), type);
    const ReaderEnvironment withLine = line.AddTo(before);

    const auto readers = Readers(withLine, type);
    const ReaderDeviceEntry* entry = EntryFor(readers, line.DeviceName());
    ASSERT_NE(entry, nullptr) << "not discovered: " << line.DeviceName();
    EXPECT_EQ(entry->interfaceType, type);

    std::unique_ptr<ReaderPort> port = CreateReaderPort(type, withLine);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->Open(entry->deviceIndex));
    std::string version;
    EXPECT_TRUE(port->GetFirmwareVersion(version));
    EXPECT_EQ(version, "V7.42");
    port->Close();
  }
  // The environment it was added to never saw it.
  if (type != InterfaceType::Ps2Keyboard) {
    for (const ReaderDeviceEntry& entry : Readers(before, type)) {
      EXPECT_NE(entry.name, SIM_HID_DEFAULT_PATH);
      EXPECT_EQ(entry.name.find("/dev/pts/"), std::string::npos);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryLine, SimulatedLineReachTest,
                         ::testing::Values(SimulatedLineKind::Rs232, SimulatedLineKind::UsbRs232,
                                           SimulatedLineKind::UsbHid, SimulatedLineKind::UsbHidKb,
                                           SimulatedLineKind::Ps2),
                         LineTestName);

// The lines whose back-ends drop an unfinished frame by what the host does, not by time.
class SimulatedLineRecoveryTest : public ::testing::TestWithParam<SimulatedLineKind> {};

TEST_P(SimulatedLineRecoveryTest, MalformedCommandDoesNotSpoilTheNextOne) {
  SimulatedLine line(GetParam());
  ASSERT_TRUE(line.Start());
  const ReaderEnvironment withLine = line.AddTo(Base());
  const std::vector<ReaderDeviceEntry> readers = Readers(withLine, line.Interface());
  const ReaderDeviceEntry* entry = EntryFor(readers, line.DeviceName());
  ASSERT_NE(entry, nullptr);
  std::unique_ptr<ReaderPort> port = CreateReaderPort(line.Interface(), withLine);

  // Its record claims five bytes where only the ETX and the LRC follow: it never completes.
  ByteString malformed;
  ASSERT_EQ(PrepareManualCommand("\\x2\\x53\\x10\\x05\\x3", &malformed), ManualCommandCheck::Ok);
  ASSERT_TRUE(port->Open(entry->deviceIndex));
  Byte reply[MANUAL_COMMAND_REPLY_BUFFER_SIZE] = {};
  EXPECT_FALSE(port->Transact(malformed, reply).ok);
  port->Close();

  ASSERT_TRUE(port->Open(entry->deviceIndex));
  ReaderSettings settings;
  EXPECT_TRUE(ReadFromReader(settings, port.get()));
  port->Close();
}

INSTANTIATE_TEST_SUITE_P(HostPacedLines, SimulatedLineRecoveryTest,
                         ::testing::Values(SimulatedLineKind::UsbHid, SimulatedLineKind::Ps2),
                         LineTestName);

class SimulatedLineListingTest : public ::testing::Test {
 protected:
  std::shared_ptr<test_support::TestListing> base_ = std::make_shared<test_support::TestListing>(
      std::vector<ListedDevice>{test_support::MotherboardPort("/dev/ttyS0"),
                                test_support::UsbPort("/dev/ttyUSB0", 0x0F3E, 0x0217)},
      std::vector<ListedDevice>{test_support::HidEntry("/dev/hidraw0", 0x046D, 0xC52B)});
};

TEST_F(SimulatedLineListingTest, SerialLinesFollowThePresentPortsOfTheirKindOnly) {
  {
    SimulatedLine line(SimulatedLineKind::Rs232);
    ASSERT_TRUE(line.Start());
    const ReaderEnvironment readers = line.AddTo(Base(base_));
    const auto rs232 = Readers(readers, InterfaceType::Rs232);
    ASSERT_EQ(rs232.size(), 2u);
    EXPECT_EQ(rs232[1].name, line.DeviceName());
    EXPECT_EQ(rs232[1].deviceIndex, 2);
    EXPECT_EQ(Readers(readers, InterfaceType::UsbRs232).size(), 1u);  // only the listed USB port
  }
  {
    SimulatedLine line(SimulatedLineKind::UsbRs232);
    ASSERT_TRUE(line.Start());
    const ReaderEnvironment readers = line.AddTo(Base(base_));
    EXPECT_EQ(Readers(readers, InterfaceType::Rs232).size(), 1u);
    const auto usb = Readers(readers, InterfaceType::UsbRs232);
    ASSERT_EQ(usb.size(), 2u);
    EXPECT_EQ(usb[1].name, line.DeviceName());
    EXPECT_EQ(usb[1].deviceIndex, 2);
  }
  EXPECT_EQ(Readers(Base(base_), InterfaceType::Rs232).size(), 1u);
}

TEST_F(SimulatedLineListingTest, HidReaderFollowsTheInterfaceSwitch) {
  SimulatedLine line(SimulatedLineKind::UsbHid);
  ASSERT_TRUE(line.Start());
  const ReaderEnvironment readers = line.AddTo(Base(base_));
  EXPECT_TRUE(Readers(readers, InterfaceType::UsbHidKb).empty());
  const auto hid = Readers(readers, InterfaceType::UsbHid);
  ASSERT_EQ(hid.size(), 1u);
  EXPECT_EQ(hid[0].name, SIM_HID_DEFAULT_PATH);
  EXPECT_EQ(hid[0].deviceIndex, 1);

  // Switch the reader to the keyboard format through its own port.
  std::unique_ptr<ReaderPort> port = CreateReaderPort(InterfaceType::UsbHid, readers);
  ASSERT_TRUE(port->Open(hid[0].deviceIndex));
  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, port.get()));
  settings.SelectHidFormat('8');
  EXPECT_EQ(WriteToReader(settings, port.get()), WriteOk);
  port->Close();

  EXPECT_TRUE(Readers(readers, InterfaceType::UsbHid).empty());
  const auto keyboard = Readers(readers, InterfaceType::UsbHidKb);
  ASSERT_EQ(keyboard.size(), 1u);
  EXPECT_EQ(keyboard[0].deviceIndex, 1);
  std::unique_ptr<ReaderPort> keyboardPort = CreateReaderPort(InterfaceType::UsbHidKb, readers);
  ASSERT_TRUE(keyboardPort->Open(keyboard[0].deviceIndex));
  std::string version;
  EXPECT_TRUE(keyboardPort->GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
}

TEST_F(SimulatedLineListingTest, KeyboardFormatLineStartsAsKeyboardClassReader) {
  SimulatedLine line(SimulatedLineKind::UsbHidKb);
  ASSERT_TRUE(line.Start());
  EXPECT_EQ(line.Reader().HidFormat(), '8');
  std::unique_ptr<ReaderPort> port = CreateReaderPort(InterfaceType::UsbHidKb, line.AddTo(Base(base_)));
  ASSERT_TRUE(port->Open(1));
  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, port.get()));
  EXPECT_EQ(settings.hidFormat, '8');

  // The factory settings keep the reader on its interface: the open handle reads them back.
  settings.beepVolume = settings.beepVolume == '4' ? '3' : '4';
  ASSERT_EQ(WriteToReader(settings, port.get()), WriteOk);
  ASSERT_TRUE(RestoreFactorySettings(port.get()));
  ReaderSettings readBack;
  ASSERT_TRUE(ReadFromReader(readBack, port.get()));
  EXPECT_EQ(readBack.beepVolume, ReaderSettings().beepVolume);
  EXPECT_EQ(readBack.hidFormat, '8');
  EXPECT_EQ(line.SimulatedHid()->Reenumerations(), 0u);
}

TEST(SimulatedLineFactoryTest, HidPathsOutsideTheLineReachTheFactoryOfTheBase) {
  auto asked = std::make_shared<std::vector<std::string>>();
  ReaderEnvironment base = Base();
  base.hidDevices = [asked](const std::string& path) -> std::unique_ptr<HidDevice> {
    asked->push_back(path);
    return nullptr;
  };
  {
    SimulatedLine line(SimulatedLineKind::UsbHid);
    ASSERT_TRUE(line.Start());
    const ReaderEnvironment readers = line.AddTo(base);
    EXPECT_NE(readers.MakeHidDevice(SIM_HID_DEFAULT_PATH), nullptr);
    EXPECT_EQ(readers.MakeHidDevice("/dev/hidraw7"), nullptr);
    EXPECT_EQ(*asked, std::vector<std::string>{"/dev/hidraw7"});
  }
  // The base never opens the simulated path: the recorder is asked for it.
  EXPECT_EQ(base.MakeHidDevice(SIM_HID_DEFAULT_PATH), nullptr);
  EXPECT_EQ(asked->size(), 2u);

  // Without a factory in the base, other paths open nothing.
  SimulatedLine line(SimulatedLineKind::UsbHid);
  ASSERT_TRUE(line.Start());
  EXPECT_EQ(line.AddTo(Base()).MakeHidDevice("/dev/hidraw-does-not-exist"), nullptr);
}

TEST(SimulatedLineFactoryTest, KeyboardLineBringsItsControllerAndLeavesTheBaseAlone) {
  auto previous = std::make_shared<PortIoController>(std::make_shared<SimulatedKeyboardController>());
  ReaderEnvironment base = Base();
  base.keyboardController = previous;
  {
    SimulatedLine line(SimulatedLineKind::Ps2);
    ASSERT_TRUE(line.Start());
    ASSERT_NE(line.KeyboardController(), nullptr);
    // The environment's controller runs its exchanges on the line's model.
    const std::shared_ptr<tessaron::KeyboardController> added = line.AddTo(base).keyboardController;
    PortError why;
    ASSERT_TRUE(added != previous && added->Start(&why));
    added->SetSeized(true, KeyboardTiming{});
    EXPECT_EQ(line.KeyboardController()->CommandByte(), KBC_COMMAND_BYTE_SEIZED);
    EXPECT_EQ(&line.KeyboardController()->Reader(), &line.Reader());
    line.Stop();
    EXPECT_FALSE(line.IsStarted());
    EXPECT_EQ(line.AddTo(base).keyboardController, previous);
    line.Stop();  // a second stop changes nothing
    EXPECT_EQ(line.AddTo(base).keyboardController, previous);
  }
  EXPECT_EQ(base.keyboardController, previous);
  // Through the helper: no model in this process, the helper's client in the environment.
  SimulatedLine helped(SimulatedLineKind::Ps2);
  helped.SetKeyboardThroughHelper(true);
  ASSERT_TRUE(helped.Start());
  EXPECT_EQ(helped.KeyboardController(), nullptr);
  EXPECT_NE(dynamic_cast<HelperKeyboardController*>(helped.AddTo(base).keyboardController.get()),
            nullptr);
}

}  // namespace
}  // namespace tessaron::sim
