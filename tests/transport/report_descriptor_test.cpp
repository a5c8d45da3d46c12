#include "transport/report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tessaron {
namespace {

std::uint32_t LengthOf(const std::vector<Byte>& descriptor, bool* ok = nullptr) {
  std::uint32_t length = 0xDEADBEEF;
  const bool parsed = ComputeFeatureReportByteLength(descriptor.data(), descriptor.size(), &length);
  if (ok != nullptr) *ok = parsed;
  return length;
}

// A vendor-defined device without report IDs: one feature report of 8 bytes, as the
// reader's own HID function declares it.
const std::vector<Byte> VENDOR_FEATURE_8 = {
    0x06, 0x00, 0xFF,  // Usage Page (Vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x08,        //   Report Count (8)
    0x09, 0x01,        //   Usage (1)
    0xB1, 0x02,        //   Feature (Data, Var, Abs)
    0x95, 0x20,        //   Report Count (32)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Var, Abs): longer, but not a feature report
    0xC0,              // End Collection
};

// A device that numbers its reports: feature reports 1 (7 bytes) and 2 (63 bytes in two
// main items), and a longer output report 3 that does not count.
const std::vector<Byte> NUMBERED_REPORTS = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
    0x85, 0x01, 0x75, 0x08, 0x95, 0x07, 0x09, 0x01, 0xB1, 0x02,  // ID 1: 7 bytes
    0x85, 0x02, 0x95, 0x3E, 0x09, 0x02, 0xB1, 0x02,              // ID 2: 62 bytes ...
    0x75, 0x01, 0x95, 0x08, 0x09, 0x03, 0xB1, 0x02,              // ... plus 8 bits
    0x85, 0x03, 0x75, 0x08, 0x96, 0x00, 0x01, 0x09, 0x04, 0x91, 0x02,  // ID 3: output 256
    0xC0,
};

// The boot keyboard: input and output reports, no feature report.
const std::vector<Byte> BOOT_KEYBOARD = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01,
    0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07,
    0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
};

TEST(ReportDescriptorTest, RealWorldDescriptors) {
  bool ok = false;
  EXPECT_EQ(LengthOf(VENDOR_FEATURE_8, &ok), 9u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LengthOf(NUMBERED_REPORTS, &ok), 64u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LengthOf(BOOT_KEYBOARD, &ok), 0u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(LengthOf({}, &ok), 0u);
  EXPECT_TRUE(ok);
}

TEST(ReportDescriptorTest, ItemSizesAndBitRounding) {
  // Report Count as a two-byte item (256) and Report Size as a four-byte item.
  EXPECT_EQ(LengthOf({0x77, 0x08, 0x00, 0x00, 0x00, 0x96, 0x00, 0x01, 0xB1, 0x02}), 257u);
  // 3 bits take a whole byte; 9 bits take two.
  EXPECT_EQ(LengthOf({0x75, 0x01, 0x95, 0x03, 0xB1, 0x02}), 2u);
  EXPECT_EQ(LengthOf({0x75, 0x01, 0x95, 0x09, 0xB1, 0x02}), 3u);
  // A feature item of no bits still declares a report: just the report-ID byte.
  EXPECT_EQ(LengthOf({0x75, 0x08, 0x95, 0x00, 0xB1, 0x02}), 1u);
  // Huge sizes saturate instead of wrapping around to something small.
  EXPECT_EQ(LengthOf({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0x02,
                      0xB1, 0x02}),
            UINT32_MAX);
}

TEST(ReportDescriptorTest, PushPopRestoresGlobalState) {
  const std::vector<Byte> descriptor = {
      0x75, 0x08, 0x95, 0x04,  // 8 bits x 4
      0xA4,                    // Push
      0x75, 0x10, 0x95, 0x10,  // 16 bits x 16 ...
      0x85, 0x07, 0xB1, 0x02,  // ... as feature report 7: 32 bytes
      0xB4,                    // Pop: back to report 0, 8 x 4
      0xB1, 0x02, 0xB1, 0x02,  // report 0: 8 bytes
  };
  EXPECT_EQ(LengthOf(descriptor), 33u);
  // A count changed after the push is undone by the pop.
  EXPECT_EQ(LengthOf({0x75, 0x08, 0x95, 0x04, 0xA4, 0x95, 0x02, 0xB4, 0xB1, 0x02}), 5u);
}

TEST(ReportDescriptorTest, LongItemsAreSkippedWhole) {
  // A long item whose data looks like a feature item must not count.
  const std::vector<Byte> descriptor = {0x75, 0x08, 0x95, 0x02, 0xFE, 0x04, 0x10,
                                        0x95, 0x40, 0xB1, 0x02, 0xB1, 0x02};
  EXPECT_EQ(LengthOf(descriptor), 3u);
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefusedWithoutReadingPastTheEnd) {
  const std::vector<std::vector<Byte>> malformed = {
      {0x75},                                      // short item without its data byte
      {0x75, 0x08, 0x96, 0x01},                    // two-byte item cut after one byte
      {0x75, 0x08, 0x97, 0x01, 0x00, 0x00},        // four-byte item cut short
      {0xFE},                                      // long item without its header
      {0xFE, 0x05, 0x10, 0x01, 0x02},              // long item data cut short
      {0xFE, 0x03, 0x10, 0x01, 0x02},              // ... by one byte
      {0xB4},                                      // pop without push
      {0x75, 0x08, 0x95, 0x01, 0xB1, 0x02, 0x75},  // good report, then a cut item
  };
  for (const auto& descriptor : malformed) {
    // Each descriptor is copied into an exact-size heap block, so any read past its end is
    // caught by the address sanitizer.
    std::vector<Byte> exact(descriptor);
    exact.shrink_to_fit();
    bool ok = true;
    EXPECT_EQ(LengthOf(exact, &ok), 0u);
    EXPECT_FALSE(ok);
  }
  std::vector<Byte> deepPushes(REPORT_DESCRIPTOR_MAX_PUSH_DEPTH + 1, 0xA4);
  bool ok = true;
  LengthOf(deepPushes, &ok);
  EXPECT_FALSE(ok);
  deepPushes.pop_back();
  EXPECT_EQ(LengthOf(deepPushes, &ok), 0u);
  EXPECT_TRUE(ok);

  std::uint32_t length = 7;
  EXPECT_FALSE(ComputeFeatureReportByteLength(nullptr, 4, &length));
  EXPECT_EQ(length, 0u);
  EXPECT_FALSE(ComputeFeatureReportByteLength(VENDOR_FEATURE_8.data(), VENDOR_FEATURE_8.size(),
                                              nullptr));
}

}  // namespace
}  // namespace tessaron
