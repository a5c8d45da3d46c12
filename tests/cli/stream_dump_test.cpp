#include "cli/stream_dump.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "core/command_frame.h"
#include "core/settings_codec.h"
#include "core/settings_stream_walker.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using test_support::SplitLines;

// Appends ETX and the correct LRC to a stream that starts with STX.
ByteString Closed(ByteString stream) {
  stream.push_back(ETX);
  return test_support::WithLrc(stream);
}

std::vector<std::string> DumpLines(const ByteString& stream) {
  return SplitLines(DumpSettingsStream(stream.data(), stream.size()));
}

// The hexadecimal part of a listing line (after the name column).
std::string Hex(const std::string& line) {
  const std::size_t at = line.find_first_of("0123456789ABCDEF", 25);
  return at == std::string::npos ? "" : line.substr(at);
}

TEST(StreamDumpTest, RecordsAreDelimitedAsTheDecoderReadsThem) {
  const ByteString stream = Closed({
      STX, DIR_SET,
      0x10, 0x02, 0x34,              // one-byte record with a wrong length byte: still 3 bytes
      0x41, 0x01, 0x35,              // next record right after it
      0x30, 0x02, 0xAA, 0xBB,        // unknown FuncID: FuncID, L, L bytes
      0x34, 0x00,                    // string record without count
      0x35, 0x03, 0x02, 0x41, 0x42,  // string record of two bytes
      0xFA, 0x00,
  });
  const auto lines = DumpLines(stream);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(Hex(lines[0]), "02 53");
  EXPECT_EQ(lines[1].substr(0, 12), "terminalType");
  EXPECT_EQ(Hex(lines[1]), "10 02 34");
  EXPECT_EQ(Hex(lines[2]), "41 01 35");
  EXPECT_EQ(lines[3].substr(0, 9), "(unknown)");
  EXPECT_EQ(Hex(lines[3]), "30 02 AA BB");
  EXPECT_EQ(Hex(lines[4]), "34 00");
  EXPECT_EQ(Hex(lines[5]), "35 03 02 41 42");
  EXPECT_EQ(lines[6].substr(0, 11), "addedFields");
  EXPECT_EQ(lines[7].substr(0, 3), "ETX");
  EXPECT_EQ(lines[8].substr(0, 3), "LRC");
  EXPECT_EQ(lines[8].find("does not match"), std::string::npos);
}

TEST(StreamDumpTest, WrongLrcIsPointedOut) {
  ByteString stream = Closed({STX, DIR_SET, 0x11, 0x01, 0x32});
  const Byte good = stream.back();
  stream.back() = static_cast<Byte>(good ^ 0xFF);
  const auto lines = DumpLines(stream);
  char expected[32];
  std::snprintf(expected, sizeof expected, "expected %02X", good);
  EXPECT_NE(lines.back().find(expected), std::string::npos) << lines.back();
}

TEST(StreamDumpTest, RecordsCutShortByTheEndAreListedAsFarAsTheyGo) {
  auto last = [](const ByteString& stream) { return DumpLines(stream).back(); };
  EXPECT_NE(last({STX, DIR_SET, 0x10, 0x01}).find("10 01 (cut short: 2 of 3 bytes)"),
            std::string::npos);
  EXPECT_NE(last({STX, DIR_SET, 0xD2, 0x10, 0x0F, 0x41}).find("(cut short: 4 of 18 bytes)"),
            std::string::npos);
  EXPECT_NE(last({STX, DIR_SET, 0xFC}).find("FC (cut short"), std::string::npos);
  EXPECT_EQ(last({STX, DIR_SET, 0x11, 0x01, 0x32, ETX}), "(no LRC)");
  EXPECT_EQ(last({STX, DIR_SET, 0x11, 0x01, 0x32}), "(no ETX)");
}

TEST(StreamDumpTest, StreamStartsOtherThanStxAndDirection) {
  EXPECT_EQ(DumpLines({}).front(), "(no settings stream)");
  EXPECT_EQ(DumpLines({0x15, 0x02}).front().substr(0, 8), "(no STX)");
  // STX followed directly by a record, and a direction letter inside the stream.
  const auto lines = DumpLines(Closed({STX, 0x11, 0x01, 0x32, DIR_READ, 0x12, 0x01, 0x30}));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].substr(0, 4), "STX ");
  EXPECT_EQ(Hex(lines[1]), "11 01 32");
  EXPECT_EQ(lines[2].substr(0, 9), "direction");
  EXPECT_EQ(Hex(lines[3]), "12 01 30");
}

// The bytes of every line of a listing that lists a record (whole or cut short), in order.
std::vector<ByteString> ListedRecords(const ByteString& stream) {
  static const std::set<std::string> FRAME_LINES = {
      "lead-in", "STX", "STX, direction", "direction", "ETX", "LRC", "(after the LRC)"};
  std::vector<ByteString> records;
  for (const std::string& line : DumpLines(stream)) {
    const std::size_t nameEnd = line.find("  ");
    const std::string name = line.substr(0, nameEnd);
    if (nameEnd == std::string::npos || FRAME_LINES.count(name) > 0) continue;
    std::istringstream hex(line.substr(nameEnd));
    ByteString bytes;
    for (std::string token; hex >> token && token.size() == 2 && token[0] != '(';) {
      bytes.push_back(static_cast<Byte>(std::stoul(token, nullptr, 16)));
    }
    records.push_back(bytes);
  }
  return records;
}

// The records the decoder takes, whole or cut short, as the walk it reads by delimits them.
std::vector<ByteString> WalkedRecords(const ByteString& stream) {
  std::vector<ByteString> records;
  std::size_t stx = 0;
  if (!FindSettingsStreamStart(stream.data(), stream.size(), &stx)) return records;
  SettingsStreamWalker walker(stream.data(), stream.size(), stx);
  StreamStep step;
  while (walker.Next(step)) {
    if (step.kind != StreamStepKind::Record && step.kind != StreamStepKind::CutRecord) continue;
    const auto from = stream.begin() + static_cast<long>(step.offset);
    records.emplace_back(from, from + static_cast<long>(step.length));
  }
  return records;
}

// Streams whose records a naive FuncID, L, L bytes reading would delimit differently from the
// decoder: the listing must show exactly the records the decoder reads and stop where it stops.
TEST(StreamDumpTest, ListsTheRecordsTheDecoderReadsInCraftedStreams) {
  const ByteString slot = {1, 'a', 0, 0, 0, 0, 0, 0, 0};
  ByteString nineFields = {0xFA, 81};
  for (int i = 0; i < 9; ++i) nineFields.insert(nineFields.end(), slot.begin(), slot.end());
  ByteString oddAdded = {0xFA, 12};
  oddAdded.insert(oddAdded.end(), slot.begin(), slot.end());

  const struct {
    const char* name;
    ByteString stream;
    std::vector<ByteString> records;
    DecodeStatus status;
  } cases[] = {
      {"field rules end at a byte that is no tag",
       Closed({STX, DIR_SET, 0xFB, 0x08, 0x10, 0x01, '4', 0x41, 0x01, '5'}),
       {{0xFB, 0x08}, {0x10, 0x01, '4'}, {0x41, 0x01, '5'}},
       DecodeStatus::Ok},
      {"added fields beyond their whole slots",
       [&] {
         ByteString s = {STX, DIR_SET};
         s.insert(s.end(), oddAdded.begin(), oddAdded.end());
         s.insert(s.end(), {0x11, 0x01, '3'});
         return Closed(s);
       }(),
       {oddAdded, {0x11, 0x01, '3'}},
       DecodeStatus::Ok},
      {"more than eight added fields",
       [&] {
         ByteString s = {STX, DIR_SET};
         s.insert(s.end(), nineFields.begin(), nineFields.end());
         return Closed(s);
       }(),
       {nineFields},
       DecodeStatus::Ok},
      {"formula item longer than its block announces",
       Closed({STX, DIR_SET, 0xFC, 0x02, 0x03, 0xE0, 0x41, 0x42, 0xFF, 0x12, 0x01, '1'}),
       {{0xFC, 0x02, 0x03, 0xE0, 0x41, 0x42, 0xFF}, {0x12, 0x01, '1'}},
       DecodeStatus::Ok},
      {"unknown FuncID",
       Closed({STX, DIR_SET, 0x11, 0x01, '3', 0x30, 0x02, 0xAA, 0xBB, 0x12, 0x01, '0'}),
       {{0x11, 0x01, '3'}, {0x30, 0x02, 0xAA, 0xBB}, {0x12, 0x01, '0'}},
       DecodeStatus::Ok},
      {"record cut off", {STX, DIR_SET, 0x11, 0x01, '3', 0xD2, 0x05, 0x02, 'A'},
       {{0x11, 0x01, '3'}, {0xD2, 0x05, 0x02, 'A'}},
       DecodeStatus::CutOff},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ListedRecords(c.stream), c.records);
    EXPECT_EQ(WalkedRecords(c.stream), c.records);
    ReaderSettings settings;
    EXPECT_EQ(DecodeSettingsStatus(c.stream.data(), static_cast<std::uint32_t>(c.stream.size()),
                                   &settings),
              c.status);
    // The listing ends with the check byte exactly when the decoder reached it.
    const std::string last = DumpLines(c.stream).back();
    EXPECT_EQ(last.rfind("LRC", 0) == 0 && last.find("does not match") == std::string::npos,
              c.status == DecodeStatus::Ok)
        << last;
  }
}

// Whatever the bytes, the listing stays inside them and every line ends.
TEST(StreamDumpTest, ArbitraryBytesAreListedSafely) {
  std::mt19937 random(20240607);
  for (int round = 0; round < 2000; ++round) {
    const std::size_t size = random() % 64;
    ByteString bytes(size);
    for (Byte& b : bytes) b = static_cast<Byte>(random());
    if (size > 0 && round % 2 == 0) bytes[0] = STX;
    // A copy of exactly the right size, so that a read past the end is caught by the
    // address sanitizer.
    std::vector<Byte> exact(bytes.begin(), bytes.end());
    const std::string text = DumpSettingsStream(exact.empty() ? nullptr : exact.data(),
                                                exact.size());
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');
  }
}

}  // namespace
}  // namespace tessaron
