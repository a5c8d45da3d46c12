#include "transport/hid_port.h"
#include "transport/reader_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_reader.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/hidraw_device.h"
#include "support/transport_fakes.h"

namespace tessaron {
namespace {

using sim::SimulatedHidDevice;
using sim::SimulatedHidOptions;
using Clock = std::chrono::steady_clock;

const ByteString VERSION_QUERY = {0x02, 0x52, 0x22, 0x03, 0x71};
const ByteString READ_ALL_QUERY = {0x02, 0x52, 0x1F, 0x03, 0x4C};
const ByteString SET_DEFAULTS = {0x02, 0x53, 0x18, 0x03, 0x4A};

using test_support::FastTiming;

sim::SimulatedReaderConfig HidReaderConfig() {
  sim::SimulatedReaderConfig config;
  config.interfaceType = InterfaceType::UsbHid;
  return config;
}

// What a fresh reader answers to a frame; the port must hand exactly this back.
ByteString ReaderAnswer(const ByteString& frame) {
  sim::SimulatedReader fresh(HidReaderConfig());
  return fresh.HandleCommand(frame.data(), frame.size(), sim::ReplyStyle::Hid);
}

// The answer as the port collects it: whole chunks, zero-padded.
ByteString InChunks(ByteString bytes, std::size_t chunk) {
  bytes.resize((bytes.size() + chunk - 1) / chunk * chunk, 0);
  return bytes;
}

struct TransactResult {
  bool ok = false;
  ByteString reply;
};

TransactResult Send(HidPort& port, const ByteString& command, std::uint32_t capacity = 1024) {
  ByteString buffer(capacity, 0xEE);
  const PortReply answer = port.Transact(command, buffer);
  return TransactResult{answer.ok, ByteString(answer.bytes.begin(), answer.bytes.end())};
}

class HidPortTest : public ::testing::Test {
 protected:
  HidPortTest() : reader(HidReaderConfig()), listing(std::make_shared<test_support::TestListing>()) {}

  // The simulated devices of the listing, by their paths.
  HidDeviceFactory Devices() {
    return [this](const std::string& path) {
      return sim::MakeSimulatedHidFactory(listing->simulated)(path);
    };
  }

  std::shared_ptr<SimulatedHidDevice> AddDevice(SimulatedHidOptions options = {}) {
    if (options.path == sim::SIM_HID_DEFAULT_PATH) {
      options.path = "/dev/hidraw-sim" + std::to_string(listing->simulated.size());
    }
    auto device = std::make_shared<SimulatedHidDevice>(reader, options);
    listing->simulated.push_back(device);
    return device;
  }

  sim::SimulatedReader reader;
  std::shared_ptr<test_support::TestListing> listing;
};

class HidPortReportLengthTest : public HidPortTest,
                                public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(HidPortReportLengthTest, CutsCommandsIntoChunksAndCollectsWholeChunks) {
  const std::uint32_t n = GetParam();
  const std::size_t chunk = n - 1;
  SimulatedHidOptions options;
  options.featureReportLength = n;
  auto device = AddDevice(options);
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));
  EXPECT_EQ(port.FeatureReportLength(), n);

  // 12 bytes that are no frame: the reader ignores them, so only the cutting matters.
  const ByteString command = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46,
                              0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C};
  const TransactResult noise = Send(port, command);
  EXPECT_TRUE(noise.ok);
  const std::vector<ByteString> reports = device->ReceivedReports();
  ASSERT_EQ(reports.size(), (command.size() + chunk - 1) / chunk);
  ByteString payload;
  for (const ByteString& report : reports) {
    ASSERT_EQ(report.size(), n);
    EXPECT_EQ(report[0], 0x00) << "report ID";
    payload.insert(payload.end(), report.begin() + 1, report.end());
  }
  EXPECT_EQ(payload, InChunks(command, chunk));
  // Nothing came back but idle reports: one chunk that begins with the idle marker.
  ByteString idle(chunk, 0);
  idle[0] = HID_IDLE_REPORT_MARKER;
  EXPECT_EQ(noise.reply, idle);

  const TransactResult version = Send(port, VERSION_QUERY);
  EXPECT_TRUE(version.ok);
  EXPECT_EQ(version.reply, InChunks(ReaderAnswer(VERSION_QUERY), chunk));
}

INSTANTIATE_TEST_SUITE_P(ReportLengths, HidPortReportLengthTest, ::testing::Values(2u, 3u, 9u, 65u));

TEST_F(HidPortTest, NineByteReportsCarrySixAndTwelveByteCommands) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));
  Send(port, {1, 2, 3, 4, 5, 6});
  Send(port, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const std::vector<ByteString> expected = {
      {0, 1, 2, 3, 4, 5, 6, 0, 0},
      {0, 1, 2, 3, 4, 5, 6, 7, 8},
      {0, 9, 10, 11, 12, 0, 0, 0, 0},
  };
  EXPECT_EQ(device->ReceivedReports(), expected);
}

TEST_F(HidPortTest, EmptyCommandSendsNoReportButStillPolls) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));
  const TransactResult empty = Send(port, {}, 64);
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(device->SetFeatureCalls(), 0u);
  EXPECT_EQ(device->GetFeatureCalls(), 3u);
  EXPECT_EQ(empty.reply, InChunks({HID_IDLE_REPORT_MARKER}, 8));
}

TEST_F(HidPortTest, SetCommandsNeedAnAcknowledgementFirst) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));

  const TransactResult acked = Send(port, SET_DEFAULTS, 64);
  EXPECT_TRUE(acked.ok);
  EXPECT_EQ(acked.reply, InChunks({REPLY_ACK}, 8));
  EXPECT_FALSE(port.LastError().Failed());

  device->SetIdleOnly(true);
  const ByteString idle = InChunks({HID_IDLE_REPORT_MARKER}, 8);
  const TransactResult unanswered = Send(port, SET_DEFAULTS, 64);
  EXPECT_FALSE(unanswered.ok);
  EXPECT_EQ(unanswered.reply, idle);
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NoReply);
  // A query is not judged by the transport: the exchange ran.
  const TransactResult query = Send(port, VERSION_QUERY, 128);
  EXPECT_TRUE(query.ok);
  EXPECT_EQ(query.reply, idle);
}

TEST_F(HidPortTest, ReplyThatOverflowsTheBufferKeepsTheChunksThatFit) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));

  const ByteString settings = ReaderAnswer(READ_ALL_QUERY);
  ASSERT_GT(settings.size(), 40u);
  TransactResult cut = Send(port, READ_ALL_QUERY, 32);
  EXPECT_FALSE(cut.ok);
  EXPECT_EQ(cut.reply, ByteString(settings.begin(), settings.begin() + 32));
  cut = Send(port, READ_ALL_QUERY, 20);
  EXPECT_FALSE(cut.ok);
  EXPECT_EQ(cut.reply, ByteString(settings.begin(), settings.begin() + 16));

  // The closing polling step needs room for one more chunk too, even though it appends
  // nothing.
  const ByteString version = InChunks(ReaderAnswer(VERSION_QUERY), 8);
  ASSERT_EQ(version.size(), 16u);
  TransactResult exact = Send(port, VERSION_QUERY, 16);
  EXPECT_FALSE(exact.ok);
  EXPECT_EQ(exact.reply, version);
  exact = Send(port, VERSION_QUERY, 24);
  EXPECT_TRUE(exact.ok);
  EXPECT_EQ(exact.reply, version);
  EXPECT_FALSE(Send(port, VERSION_QUERY, 0).ok);
}

TEST_F(HidPortTest, ReportSentInThreeAttemptsAtMost) {
  auto device = AddDevice();
  TransportTiming timing = FastTiming();
  timing.hid.retryPause = Millis{15};
  HidPort port(InterfaceType::UsbHid, timing, listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));

  device->FailNextSetFeatures(3);
  const auto start = Clock::now();
  const TransactResult failed = Send(port, VERSION_QUERY, 128);
  EXPECT_GE(Clock::now() - start, Millis{45});  // a pause after every failed attempt
  EXPECT_FALSE(failed.ok);
  EXPECT_TRUE(failed.reply.empty());
  EXPECT_EQ(device->SetFeatureCalls(), 3u);
  EXPECT_EQ(device->GetFeatureCalls(), 0u);

  device->FailNextSetFeatures(2);
  const TransactResult retried = Send(port, VERSION_QUERY, 128);
  EXPECT_TRUE(retried.ok);
  EXPECT_EQ(retried.reply, InChunks(ReaderAnswer(VERSION_QUERY), 8));
  EXPECT_EQ(device->SetFeatureCalls(), 6u);
}

TEST_F(HidPortTest, DeviceThatStopsAnswering) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.OpenPath(device->Path()));
  const ByteString zeros(8, 0);

  device->SetAnswering(false);
  TransactResult silent = Send(port, VERSION_QUERY, 128);
  EXPECT_TRUE(silent.ok);
  EXPECT_EQ(silent.reply, zeros);
  EXPECT_EQ(device->GetFeatureCalls(), 3u);
  silent = Send(port, SET_DEFAULTS, 64);
  EXPECT_FALSE(silent.ok);
  EXPECT_EQ(silent.reply, zeros);

  // Gone after the first chunk of the reply: the reply ends with what came.
  device->SetAnswering(true);
  device->StopAnsweringAfter(1);
  const TransactResult partial = Send(port, VERSION_QUERY, 128);
  EXPECT_TRUE(partial.ok);
  const ByteString answer = ReaderAnswer(VERSION_QUERY);
  EXPECT_EQ(partial.reply, ByteString(answer.begin(), answer.begin() + 8));
}

TEST_F(HidPortTest, AcceptsOnlyTheReadersOfItsInterface) {
  struct Case {
    InterfaceType type;
    std::uint16_t vendor;
    std::uint16_t product;
    bool accepted;
  };
  const Case cases[] = {
      {InterfaceType::UsbHidKb, 0x0F3E, 0x0221, true}, {InterfaceType::UsbHidKb, 0x0F3E, 0x0222, false},
      {InterfaceType::UsbHidKb, 0x1234, 0x0221, false}, {InterfaceType::UsbHid, 0x0F3E, 0x0222, true},
      {InterfaceType::UsbHid, 0x0F3E, 0x0223, true},     {InterfaceType::UsbHid, 0x0F3E, 0x0221, false},
      {InterfaceType::UsbHid, 0x0F3E, 0x0217, false},    {InterfaceType::UsbHid, 0x1234, 0x0222, false},
  };
  for (const Case& c : cases) {
    SimulatedHidOptions options;
    options.vendorId = c.vendor;
    options.productId = c.product;
    auto device = AddDevice(options);
    HidPort port(c.type, FastTiming(), listing, Devices());
    SCOPED_TRACE(::testing::Message() << "interface " << c.type << " vendor " << c.vendor
                                    << " product " << c.product);
    EXPECT_EQ(port.OpenPath(device->Path()), c.accepted);
    EXPECT_EQ(port.HasDevice(), c.accepted);
    // A refused device is named by the ids that were found instead.
    EXPECT_EQ(port.LastError().kind, c.accepted ? PortErrorKind::None : PortErrorKind::NotAReader);
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", c.vendor, c.product);
    EXPECT_EQ(port.LastError().detail.find(ids) != std::string::npos, !c.accepted);
    std::string name;
    EXPECT_EQ(port.GetPortName(name), c.accepted ? device->Path() : "");
    // The keyboard-class reader is opened for device queries and feature reports only.
    EXPECT_EQ(device->LastOpenReadWrite(), c.type == InterfaceType::UsbHid);
  }

  EXPECT_EQ(HidPort(InterfaceType::UsbHidKb).GetInterfaceType(), InterfaceType::UsbHidKb);
  EXPECT_EQ(HidPort(InterfaceType::UsbHid).GetInterfaceType(), InterfaceType::UsbHid);
  EXPECT_EQ(HidPort(InterfaceType::Rs232).GetInterfaceType(), InterfaceType::UsbHid);
  EXPECT_EQ(HidPort(InterfaceType::Unknown).GetInterfaceType(), InterfaceType::UsbHid);
  EXPECT_EQ(HidPort(static_cast<InterfaceType>(-7)).GetInterfaceType(), InterfaceType::UsbHid);
  EXPECT_FALSE(HidPort(InterfaceType::UsbHid).IsOpen());
}

TEST_F(HidPortTest, OpenPathRules) {
  auto first = AddDevice();
  auto second = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  EXPECT_FALSE(port.OpenPath(""));

  ASSERT_TRUE(port.OpenPath(first->Path()));
  EXPECT_TRUE(port.OpenPath(first->Path()));
  EXPECT_EQ(first->OpenCalls(), 2u) << "an open port is closed and opened anew";
  std::string name;
  EXPECT_EQ(port.GetPortName(name), first->Path());

  ASSERT_TRUE(port.OpenPath(second->Path()));
  EXPECT_EQ(port.GetPortName(name), second->Path());
  // A path that cannot be opened leaves the port closed: the old device was let go first.
  EXPECT_FALSE(port.OpenPath("/dev/hidraw-none"));
  EXPECT_FALSE(port.HasDevice());
  EXPECT_EQ(port.GetPortName(name), "");
  EXPECT_FALSE(Send(port, VERSION_QUERY, 128).ok);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(HidPortTest, DeviceWithoutRoomForACommandByteIsRefused) {
  for (std::uint32_t n : {0u, 1u}) {
    SimulatedHidOptions options;
    options.featureReportLength = n;
    auto device = AddDevice(options);
    HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
    EXPECT_FALSE(port.OpenPath(device->Path())) << n;
    EXPECT_FALSE(port.HasDevice());
    const TransactResult refused = Send(port, VERSION_QUERY, 16);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.reply.empty());
    EXPECT_EQ(device->SetFeatureCalls(), 0u);
  }
}

TEST_F(HidPortTest, OpenByDeviceIndex) {
  const ListedDevice foreign = test_support::HidEntry("/dev/hidraw-mouse", 0x046D, 0xC077);
  listing->hid.push_back(foreign);
  auto dataReader = AddDevice();  // index 1
  SimulatedHidOptions keyboard;
  keyboard.productId = USB_HID_KB_PRODUCT_ID;
  auto keyboardReader = AddDevice(keyboard);  // index 2

  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  EXPECT_FALSE(port.Open(0));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotAReader);
  EXPECT_EQ(port.LastError().device, foreign.node);
  EXPECT_NE(port.LastError().detail.find("046d:c077"), std::string::npos);
  EXPECT_FALSE(port.Open(2));  // a reader, but of the other interface
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotAReader);
  EXPECT_FALSE(port.Open(3));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NotPresent);
  ASSERT_TRUE(port.Open(1));
  std::string name;
  EXPECT_EQ(port.GetPortName(name), dataReader->Path());
  EXPECT_FALSE(port.Open(2)) << "an open port is closed and opened at the new index";
  EXPECT_FALSE(port.IsOpen());
  port.Close();
  EXPECT_EQ(port.GetPortName(name), "");

  HidPort keyboardPort(InterfaceType::UsbHidKb, FastTiming(), listing, Devices());
  EXPECT_TRUE(keyboardPort.Open(2));
  EXPECT_EQ(keyboardPort.GetPortName(name), keyboardReader->Path());
}

TEST_F(HidPortTest, FirmwareVersionIsAskedOnceAndCached) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  std::string version = "stale";
  EXPECT_FALSE(port.GetFirmwareVersion(version)) << "no device index stored yet";
  EXPECT_EQ(version, "");

  ASSERT_TRUE(port.Open(0));
  port.Close();
  ASSERT_TRUE(port.GetFirmwareVersion(version));  // reopens with the stored index
  EXPECT_EQ(version, "V1.90");
  EXPECT_FALSE(port.HasDevice()) << "closed after a good exchange";

  const std::size_t calls = device->SetFeatureCalls() + device->GetFeatureCalls();
  device->SetAnswering(false);
  ASSERT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
  EXPECT_EQ(device->SetFeatureCalls() + device->GetFeatureCalls(), calls);
  EXPECT_FALSE(port.HasDevice());
}

TEST_F(HidPortTest, FailedVersionExchangeLeavesTheDeviceOpen) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.Open(0));
  device->FailNextSetFeatures(3);
  std::string version;
  EXPECT_FALSE(port.GetFirmwareVersion(version));
  EXPECT_TRUE(port.HasDevice());
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
}

TEST_F(HidPortTest, ReadAndWriteSettingsThroughTheSimulatedReader) {
  auto device = AddDevice();
  TransportTiming timing = FastTiming();
  timing.hid.replyPause = Millis{20};
  timing.hid.pollPause = Millis{5};
  HidPort port(InterfaceType::UsbHid, timing, listing, Devices());
  ASSERT_TRUE(port.Open(0));

  ReaderSettings settings;
  const auto start = Clock::now();
  ASSERT_TRUE(ReadFromReader(settings, &port));
  // The reply pause, then three empty reads with their pauses at the end.
  EXPECT_GE(Clock::now() - start, Millis{20 + 3 * 5});
  EXPECT_EQ(settings.interfaceType, InterfaceType::UsbHid);
  EXPECT_EQ(settings.beepVolume, '2');

  settings.beepVolume = '0';
  settings.preamble = {'A', 'B', 'C'};
  EXPECT_EQ(WriteToReader(settings, &port), WriteOk);
  port.Close();

  ReaderSettings readBack;
  ASSERT_TRUE(port.Open(0));
  ASSERT_TRUE(ReadFromReader(readBack, &port));
  EXPECT_EQ(readBack.beepVolume, '0');
  EXPECT_EQ(readBack.preamble, (ByteString{'A', 'B', 'C'}));
}

TEST_F(HidPortTest, ReaderReappearsOnTheOtherInterfaceAfterAFormatSwitch) {
  auto device = AddDevice();
  HidPort port(InterfaceType::UsbHid, FastTiming(), listing, Devices());
  ASSERT_TRUE(port.Open(0));
  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, &port));
  settings.SelectHidFormat('8');
  EXPECT_EQ(WriteToReader(settings, &port), WriteOk) << "the acknowledgement comes first";
  EXPECT_EQ(device->ProductId(), USB_HID_KB_PRODUCT_ID);

  // The handle of the vanished device is dead.
  EXPECT_FALSE(Send(port, VERSION_QUERY, 128).ok);
  port.Close();
  EXPECT_FALSE(port.Open(0));

  HidPort keyboardPort(InterfaceType::UsbHidKb, FastTiming(), listing, Devices());
  ASSERT_TRUE(keyboardPort.Open(0));
  std::string version;
  EXPECT_TRUE(keyboardPort.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
}

TEST_F(HidPortTest, FastModeEndsOnAWholeReplyWithinTheNormalLimits) {
  auto device = AddDevice();
  TransportTiming timing = FastTiming();
  // The pause is long enough that the normal mode (two pauses) cannot pass for the fast one
  // on a busy machine.
  timing.hid.replyPause = Millis{300};
  timing.hid.pollPause = Millis{20};
  timing.fastReplies = true;
  HidPort port(InterfaceType::UsbHid, timing, listing, Devices());
  ASSERT_TRUE(port.Open(0));

  // A reader that answers at once: no pause, no closing polling step.
  ReaderSettings settings;
  auto start = Clock::now();
  ASSERT_TRUE(ReadFromReader(settings, &port));
  EXPECT_EQ(WriteToReader(settings, &port), WriteOk);
  EXPECT_LT(Clock::now() - start, Millis{300});

  // A slow reader that also dribbles its chunks still gives the whole reply.
  device->SetIdleReadsBeforeChunks(30);
  const TransactResult version = Send(port, VERSION_QUERY, 128);
  EXPECT_TRUE(version.ok);
  EXPECT_EQ(version.reply, InChunks(ReaderAnswer(VERSION_QUERY), sim::SIM_HID_DEFAULT_REPORT_LENGTH - 1));

  // A silent one fails after the pause and a polling step, as in the normal mode.
  device->SetIdleOnly(true);
  start = Clock::now();
  EXPECT_FALSE(Send(port, SET_DEFAULTS, 64).ok);
  EXPECT_GE(Clock::now() - start, Millis{300 + 3 * 20 - 10});
}

TEST(HidPortTimingTest, RealTimingIsTheDefault) {
  const TransportTiming real = TransportTiming::Real();
  EXPECT_EQ(real.hid.retryPause, Millis{10});
  EXPECT_EQ(real.hid.replyPause, Millis{200});
  EXPECT_EQ(real.hid.pollPause, Millis{40});
  EXPECT_EQ(real.hid.fastPollPause, Millis{1});
  const HidPort port(InterfaceType::UsbHid);
  EXPECT_EQ(port.Timing().hid.retryPause, Millis{10});
  EXPECT_EQ(port.Timing().hid.replyPause, Millis{200});
  EXPECT_EQ(port.Timing().hid.pollPause, Millis{40});
}

TEST(HidrawDeviceTest, NodesThatAreNoHidDeviceFailCleanly) {
  // The system's factory gives the hidraw back-end.
  std::unique_ptr<HidDevice> device = ReaderEnvironment::System().MakeHidDevice("/dev/null");
  ASSERT_NE(dynamic_cast<HidrawDevice*>(device.get()), nullptr);

  EXPECT_FALSE(device->Open("/dev/hidraw-absent", true));
  EXPECT_FALSE(device->Open("", false));
  ASSERT_TRUE(device->Open("/dev/null", false));
  std::uint16_t vendor = 1;
  std::uint16_t product = 1;
  std::uint32_t length = 1;
  Byte report[9] = {};
  EXPECT_FALSE(device->GetAttributes(&vendor, &product));
  EXPECT_FALSE(device->GetFeatureReportLength(&length));
  EXPECT_EQ(length, 0u);
  EXPECT_FALSE(device->SetFeature(report, sizeof report));
  EXPECT_FALSE(device->GetFeature(report, sizeof report));
  device->Close();
  EXPECT_FALSE(device->GetFeature(report, sizeof report));

  // A port refuses such a node at the attribute check.
  HidPort port(InterfaceType::UsbHid, FastTiming(), nullptr,
               [](const std::string&) { return std::make_unique<HidrawDevice>(); });
  EXPECT_FALSE(port.OpenPath("/dev/null"));
  EXPECT_FALSE(port.HasDevice());
}

}  // namespace
}  // namespace tessaron
