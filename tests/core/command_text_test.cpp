#include "core/command_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaron {
namespace {

struct Parsed {
  CommandTextResult result;
  ByteString bytes;
};

Parsed Parse(const std::string& text, std::uint32_t capacity = MANUAL_COMMAND_MAX_BYTES) {
  ByteString buffer(capacity + 4, 0xEE);
  std::uint32_t count = 12345;
  Parsed parsed{ParseCommandText(text, buffer.data(), capacity, &count), {}};
  parsed.bytes.assign(buffer.begin(), buffer.begin() + count);
  // Nothing is written past the capacity.
  for (std::uint32_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << text;
  return parsed;
}

// n items "\x1" ... each one byte.
std::string Items(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += "\\x1";
  return text;
}

TEST(ParseCommandTextTest, ReadsOneAndTwoDigitItemsInAnyCase) {
  const Parsed version = Parse("\\x2\\x52\\x22\\x3");
  EXPECT_EQ(version.result, CommandTextResult::Ok);
  EXPECT_EQ(version.bytes, (ByteString{0x02, 0x52, 0x22, 0x03}));

  EXPECT_EQ(Parse("\\X2\\xfF\\XaB\\x0").bytes, (ByteString{0x02, 0xFF, 0xAB, 0x00}));
  EXPECT_EQ(Parse("\\xF").bytes, ByteString{0x0F});
}

TEST(ParseCommandTextTest, SkipsWhatComesBeforeTheFirstBackslash) {
  EXPECT_EQ(Parse("AB\\x2\\x3").bytes, (ByteString{0x02, 0x03}));
  // Without any backslash the whole text is one item.
  const Parsed whole = Parse("X2");
  EXPECT_EQ(whole.result, CommandTextResult::Ok);
  EXPECT_EQ(whole.bytes, ByteString{0x02});
  EXPECT_EQ(Parse("x41").bytes, ByteString{0x41});
}

TEST(ParseCommandTextTest, ABadEscapeIsRefusedWithItsPlaceInTheTextAsTyped) {
  for (const auto& [text, problem] :
       {std::pair{"\\x2\\xZZ\\x3", "\"\\xZZ\" at character 4 "}, {"\\x2 \\x4G\\x3", "\"\\x4G\" at character 5 "},
        {" \\x2\\x3\\x?", "\"\\x?\" at character 8 "}, {"\\x2\\\\x3", "\"\\\" at character 4 "}}) {
    ByteString frame;
    std::string told;
    EXPECT_EQ(PrepareManualCommand(text, &frame, &told), ManualCommandCheck::InvalidValue);
    EXPECT_TRUE(frame.empty() && told.starts_with(problem)) << text << " -> " << told;
  }
}

TEST(ParseCommandTextTest, RefusesMalformedItems) {
  for (const char* text : {
           "\\x2\\x\\x3",     // no digit after the X
           "\\x2\\x123\\x3",  // three digits
           "\\x2\\\\x3",      // two backslashes in a row
           "\\x2\\x3\\",      // backslash at the end
           "\\x2\\52\\x3",    // item without X
           "AB",              // no backslash, and not an X item
           "",                // nothing at all
           "\\",
       }) {
    const Parsed parsed = Parse(text);
    EXPECT_EQ(parsed.result, CommandTextResult::InvalidValue) << text;
    EXPECT_TRUE(parsed.bytes.empty()) << text;
  }
}

TEST(ParseCommandTextTest, MoreItemsThanTheBufferHoldsFail) {
  EXPECT_EQ(Parse(Items(4), 4).bytes.size(), 4u);
  const Parsed over = Parse(Items(5), 4);
  EXPECT_EQ(over.result, CommandTextResult::TooLong);
  EXPECT_TRUE(over.bytes.empty());
  EXPECT_EQ(Parse("\\x1", 0).result, CommandTextResult::TooLong);
}

TEST(ParseCommandTextTest, ToleratesNoOutput) {
  std::uint32_t count = 7;
  EXPECT_EQ(ParseCommandText("\\x1", nullptr, 0, &count), CommandTextResult::TooLong);
  EXPECT_EQ(count, 0u);
  Byte one = 0;
  EXPECT_EQ(ParseCommandText("\\x1", &one, 1, nullptr), CommandTextResult::Ok);
  EXPECT_EQ(one, 0x01);
}

TEST(PrepareManualCommandTest, AppendsTheLrcOfAFramedCommand) {
  ByteString frame;
  ASSERT_EQ(PrepareManualCommand("\\x2\\x52\\x22\\x3", &frame), ManualCommandCheck::Ok);
  EXPECT_EQ(frame, (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));

  // Blanks and tabs anywhere are dropped.
  ASSERT_EQ(PrepareManualCommand(" \\X2 \\x52\t\\x2 2 \\x3\t", &frame), ManualCommandCheck::Ok);
  EXPECT_EQ(frame, (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));

  ASSERT_EQ(PrepareManualCommand("AB\\x2\\x3", &frame), ManualCommandCheck::Ok);
  EXPECT_EQ(frame, (ByteString{0x02, 0x03, 0x01}));
}

TEST(PrepareManualCommandTest, SaysWhyACommandCannotBeSent) {
  ByteString frame{0x99};
  EXPECT_EQ(PrepareManualCommand("", &frame), ManualCommandCheck::Empty);
  EXPECT_TRUE(frame.empty());
  EXPECT_EQ(PrepareManualCommand(" \t ", &frame), ManualCommandCheck::Empty);
  EXPECT_EQ(PrepareManualCommand("\\x2\\x\\x3", &frame), ManualCommandCheck::InvalidValue);
  EXPECT_EQ(PrepareManualCommand("X2", &frame), ManualCommandCheck::NotFramed);
  EXPECT_EQ(PrepareManualCommand("\\x3\\x52\\x3", &frame), ManualCommandCheck::NotFramed);
  EXPECT_EQ(PrepareManualCommand("\\x2\\x52\\x2", &frame), ManualCommandCheck::NotFramed);
  EXPECT_TRUE(frame.empty());
}

TEST(PrepareManualCommandTest, HoldsAtMost513BytesBeforeTheLrc) {
  // STX, 511 filler bytes, ETX: 513 bytes, sent with the LRC as 514.
  std::string longest = "\\x2" + Items(511) + "\\x3";
  ByteString frame;
  ASSERT_EQ(PrepareManualCommand(longest, &frame), ManualCommandCheck::Ok);
  ASSERT_EQ(frame.size(), MANUAL_COMMAND_FRAME_MAX);
  // 511 bytes of 0x01 cancel to 0x01; with STX and ETX that gives 0x02.
  EXPECT_EQ(frame.back(), 0x02 ^ 0x03 ^ 0x01);

  const std::string tooLong = "\\x2" + Items(512) + "\\x3";
  EXPECT_EQ(PrepareManualCommand(tooLong, &frame), ManualCommandCheck::TooLong);
  EXPECT_TRUE(frame.empty());
}

}  // namespace
}  // namespace tessaron
