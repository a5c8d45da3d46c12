#include "sim/simulated_hid_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "sim/simulated_reader.h"
#include "support/settings_streams.h"
#include "transport/discovery.h"

namespace tessaron::sim {
namespace {

const ByteString VERSION_QUERY = {0x02, 0x52, 0x22, 0x03, 0x71};

SimulatedReaderConfig HidConfig() {
  SimulatedReaderConfig config;
  config.interfaceType = InterfaceType::UsbHid;
  return config;
}

// Sends bytes the way the host does: chunks of n - 1 behind report ID 0, zero-padded.
bool SendFrame(HidDevice& handle, const ByteString& frame, std::size_t n) {
  for (std::size_t offset = 0; offset < frame.size(); offset += n - 1) {
    ByteString report(n, 0);
    const std::size_t count = std::min(n - 1, frame.size() - offset);
    std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(offset), count, report.begin() + 1);
    if (!handle.SetFeature(report.data(), report.size())) return false;
  }
  return true;
}

// Reads reports until the first idle one (or a failure); returns their payloads joined.
ByteString ReadReply(HidDevice& handle, std::size_t n, bool* sawIdle = nullptr) {
  ByteString reply;
  if (sawIdle != nullptr) *sawIdle = false;
  for (int i = 0; i < 1000; ++i) {
    ByteString report(n, 0);
    if (!handle.GetFeature(report.data(), report.size())) break;
    if (report[1] == 0x15 && std::all_of(report.begin() + 2, report.end(), [](Byte b) { return b == 0; })) {
      if (sawIdle != nullptr) *sawIdle = true;
      break;
    }
    reply.insert(reply.end(), report.begin() + 1, report.end());
  }
  return reply;
}

ByteString Padded(ByteString bytes, std::size_t chunk) {
  bytes.resize((bytes.size() + chunk - 1) / chunk * chunk, 0);
  return bytes;
}

// The reader's settings stream with another USB HID format.
ByteString StreamWithHidFormat(const SimulatedReader& reader, Byte format) {
  ReaderSettings settings;
  EXPECT_TRUE(tessaron::test_support::DecodeStream(reader.SettingsStream(), &settings));
  settings.hidFormat = format;
  ByteString stream;
  EXPECT_TRUE(tessaron::test_support::EncodeStream(settings, &stream));
  return stream;
}

TEST(SimulatedHidDeviceTest, PresentsTheIdsOfTheReadersFormat) {
  SimulatedReader reader(HidConfig());
  SimulatedHidDevice device(reader);
  EXPECT_EQ(device.Path(), SIM_HID_DEFAULT_PATH);
  EXPECT_EQ(device.VendorId(), READER_VENDOR_ID);
  EXPECT_EQ(device.ProductId(), USB_HID_PRODUCT_ID);
  const ListedDevice listed = device.Listing();
  EXPECT_EQ(listed.node, SIM_HID_DEFAULT_PATH);
  EXPECT_TRUE(listed.idsKnown);
  EXPECT_EQ(listed.productId, USB_HID_PRODUCT_ID);

  ASSERT_TRUE(reader.SetSettingsStream(StreamWithHidFormat(reader, '8')));
  SimulatedHidDevice keyboard(reader);
  EXPECT_EQ(keyboard.ProductId(), USB_HID_KB_PRODUCT_ID);

  SimulatedHidOptions fixed;
  fixed.productId = USB_HID_PRODUCT_ID_ALT;
  EXPECT_EQ(SimulatedHidDevice(reader, fixed).ProductId(), USB_HID_PRODUCT_ID_ALT);
}

TEST(SimulatedHidDeviceTest, HandleWorksOnlyWhenOpenOnItsPath) {
  SimulatedReader reader(HidConfig());
  SimulatedHidDevice device(reader);
  ByteString report(9, 0);
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint32_t length = 0;
  EXPECT_FALSE(device.GetAttributes(&vendor, &product));
  EXPECT_FALSE(device.SetFeature(report.data(), report.size()));
  EXPECT_FALSE(device.GetFeature(report.data(), report.size()));
  EXPECT_FALSE(device.Open("/dev/hidraw9", true));
  EXPECT_FALSE(device.GetFeatureReportLength(&length));

  ASSERT_TRUE(device.Open(SIM_HID_DEFAULT_PATH, false));
  EXPECT_FALSE(device.LastOpenReadWrite());
  ASSERT_TRUE(device.GetAttributes(&vendor, &product));
  EXPECT_EQ(vendor, 0x0F3E);
  EXPECT_EQ(product, 0x0222);
  ASSERT_TRUE(device.GetFeatureReportLength(&length));
  EXPECT_EQ(length, 9u);
  // Reports of another length or another report ID are refused.
  ByteString shortReport(8, 0);
  EXPECT_FALSE(device.SetFeature(shortReport.data(), shortReport.size()));
  EXPECT_FALSE(device.GetFeature(shortReport.data(), shortReport.size()));
  report[0] = 1;
  EXPECT_FALSE(device.SetFeature(report.data(), report.size()));
  EXPECT_TRUE(device.ReceivedReports().empty());

  device.Close();
  EXPECT_FALSE(device.GetFeature(report.data(), report.size()));

  // Handles from the factory share the device; other paths get none.
  const HidDeviceFactory factory = device.Factory();
  EXPECT_EQ(factory("/dev/hidraw9"), nullptr);
  auto handle = factory(SIM_HID_DEFAULT_PATH);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(handle->Open(SIM_HID_DEFAULT_PATH, true));
  EXPECT_TRUE(device.LastOpenReadWrite());
  EXPECT_EQ(device.OpenCalls(), 3u);
}

TEST(SimulatedHidDeviceTest, FrameAcrossReportsIsAnsweredChunkByChunkThenIdle) {
  SimulatedReader reader(HidConfig());
  SimulatedHidOptions options;
  options.featureReportLength = 3;
  SimulatedHidDevice device(reader, options);
  ASSERT_TRUE(device.Open(device.Path(), true));

  // Noise before the frame is ignored; the frame spans three reports.
  ASSERT_TRUE(SendFrame(device, {0x00, 0x7F}, 3));
  EXPECT_EQ(reader.CommandCount(), 0u);
  ASSERT_TRUE(SendFrame(device, VERSION_QUERY, 3));
  EXPECT_EQ(reader.CommandCount(), 1u);

  SimulatedReader fresh(HidConfig());
  const ByteString expected = fresh.HandleCommand(VERSION_QUERY.data(), VERSION_QUERY.size(), ReplyStyle::Hid);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected[0], REPLY_ACK);
  bool idle = false;
  EXPECT_EQ(ReadReply(device, 3, &idle), Padded(expected, 2));
  EXPECT_TRUE(idle);
  // Idle reports go on for as long as the host asks.
  EXPECT_TRUE(ReadReply(device, 3, &idle).empty());
  EXPECT_TRUE(idle);

  // The padding after a frame does not disturb the next one.
  ASSERT_TRUE(SendFrame(device, VERSION_QUERY, 3));
  EXPECT_EQ(ReadReply(device, 3), Padded(expected, 2));
}

TEST(SimulatedHidDeviceTest, TestKnobs) {
  SimulatedReader reader(HidConfig());
  SimulatedHidDevice device(reader);
  ASSERT_TRUE(device.Open(device.Path(), true));

  device.FailNextSetFeatures(2);
  EXPECT_FALSE(SendFrame(device, VERSION_QUERY, 9));
  EXPECT_FALSE(SendFrame(device, VERSION_QUERY, 9));
  EXPECT_EQ(reader.CommandCount(), 0u) << "a failed report is not taken";
  ASSERT_TRUE(SendFrame(device, VERSION_QUERY, 9));

  device.StopAnsweringAfter(1);
  bool idle = true;
  EXPECT_EQ(ReadReply(device, 9, &idle).size(), 8u);
  EXPECT_FALSE(idle);
  device.SetAnswering(true);

  device.SetIdleOnly(true);
  ASSERT_TRUE(SendFrame(device, VERSION_QUERY, 9));
  EXPECT_EQ(reader.CommandCount(), 2u) << "the reader still gets the command";
  EXPECT_TRUE(ReadReply(device, 9, &idle).empty());
  EXPECT_TRUE(idle);

  device.SetIdleOnly(false);
  device.SetAnswering(false);
  ASSERT_TRUE(SendFrame(device, VERSION_QUERY, 9));
  EXPECT_TRUE(ReadReply(device, 9, &idle).empty());
  EXPECT_FALSE(idle);
  EXPECT_EQ(device.SetFeatureCalls(), 5u);
}

TEST(SimulatedHidDeviceTest, FormatChangeReenumeratesAfterTheAcknowledgement) {
  SimulatedReader reader(HidConfig());
  SimulatedHidDevice device(reader);
  ASSERT_TRUE(device.Open(device.Path(), true));

  // A write that keeps the format does not re-enumerate.
  ASSERT_TRUE(SendFrame(device, StreamWithHidFormat(reader, '0'), 9));
  EXPECT_EQ(ReadReply(device, 9), Padded({REPLY_ACK}, 8));
  EXPECT_EQ(device.Reenumerations(), 0u);

  ASSERT_TRUE(SendFrame(device, StreamWithHidFormat(reader, '8'), 9));
  EXPECT_EQ(device.ProductId(), USB_HID_PRODUCT_ID) << "still there until the reply is out";
  bool idle = true;
  EXPECT_EQ(ReadReply(device, 9, &idle), Padded({REPLY_ACK}, 8));
  EXPECT_FALSE(idle) << "the old handle fails after the acknowledgement";
  EXPECT_EQ(device.ProductId(), USB_HID_KB_PRODUCT_ID);
  EXPECT_EQ(device.Listing().productId, USB_HID_KB_PRODUCT_ID);
  EXPECT_EQ(device.Reenumerations(), 1u);
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  EXPECT_FALSE(device.GetAttributes(&vendor, &product));

  // A new handle finds the keyboard-format device; switching back gives the data format.
  auto handle = device.NewHandle();
  ASSERT_TRUE(handle->Open(device.Path(), false));
  ASSERT_TRUE(handle->GetAttributes(&vendor, &product));
  EXPECT_EQ(product, USB_HID_KB_PRODUCT_ID);
  ASSERT_TRUE(SendFrame(*handle, StreamWithHidFormat(reader, '1'), 9));
  EXPECT_EQ(ReadReply(*handle, 9), Padded({REPLY_ACK}, 8));
  EXPECT_EQ(device.ProductId(), USB_HID_PRODUCT_ID);
  EXPECT_EQ(device.Reenumerations(), 2u);
}

TEST(SimulatedHidDeviceTest, FactoryServesSeveralDevicesByPath) {
  SimulatedReader first(HidConfig());
  SimulatedReader second(HidConfig());
  SimulatedHidOptions otherPath;
  otherPath.path = "/dev/hidraw-sim7";
  otherPath.featureReportLength = 65;
  const auto a = std::make_shared<SimulatedHidDevice>(first);
  const auto b = std::make_shared<SimulatedHidDevice>(second, otherPath);
  const HidDeviceFactory factory = MakeSimulatedHidFactory({a, b});
  EXPECT_EQ(factory("/dev/hidraw0"), nullptr);
  auto handle = factory("/dev/hidraw-sim7");
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(handle->Open("/dev/hidraw-sim7", true));
  std::uint32_t length = 0;
  ASSERT_TRUE(handle->GetFeatureReportLength(&length));
  EXPECT_EQ(length, 65u);
  ASSERT_TRUE(SendFrame(*handle, VERSION_QUERY, 65));
  EXPECT_EQ(second.CommandCount(), 1u);
  EXPECT_EQ(first.CommandCount(), 0u);
}

}  // namespace
}  // namespace tessaron::sim
