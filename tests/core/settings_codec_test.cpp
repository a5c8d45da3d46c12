#include "core/settings_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/data_edit_model.h"
#include "core/reader_settings.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using test_support::DEFAULT_STREAM;

// Encodes into a 1024-byte buffer; empty when the encode fails.
ByteString Encode(const ReaderSettings& settings) {
  std::vector<Byte> buffer(1024, 0);
  std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
  if (!EncodeSettings(settings, buffer.data(), &length)) return {};
  buffer.resize(length);
  return buffer;
}

// Decodes from a buffer of exactly the given size, so that any read past it is caught by
// the address sanitizer.
DecodeStatus DecodeStatusOf(const ByteString& bytes, ReaderSettings& settings) {
  auto copy = std::make_unique<Byte[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return DecodeSettingsStatus(copy.get(), static_cast<std::uint32_t>(bytes.size()), &settings);
}

bool Decode(const ByteString& bytes, ReaderSettings& settings) {
  return DecodeStatusOf(bytes, settings) == DecodeStatus::Ok;
}

// STX, 0x53, the records, ETX and the LRC.
ByteString Frame(std::initializer_list<ByteString> records) {
  ByteString frame = {0x02, 0x53};
  for (const auto& record : records) frame.insert(frame.end(), record.begin(), record.end());
  frame.push_back(0x03);
  return test_support::WithLrc(frame);
}

// The same stream without ETX and LRC.
ByteString Unterminated(std::initializer_list<ByteString> records) {
  ByteString frame = Frame(records);
  frame.resize(frame.size() - 2);
  return frame;
}

bool Contains(const ByteString& haystack, const ByteString& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

// A record with every kind of content: strings, all three blocks, values no table knows.
ReaderSettings FullRecord() {
  ReaderSettings s;
  s.baudRate = '9';
  s.terminator = 0x00;
  s.option25 = 0xFE;
  s.hidKbPollingInterval = 200;
  s.track1EndSentinel = '!';
  s.track3EndSentinel = 0x03;  // the ETX value as a record value must not end the decode
  s.preamble = {0x1B, 'P', 'R', 'E'};
  s.postamble = {0x02};
  s.track2Prefix = {'A', 'B', 'C', 'D', 'E', 'F'};
  s.track3Suffix = {0x0D, 0x0A};
  s.dataEditMode = '3';
  s.addedFields = {{'X'}, {1, 2, 3, 4, 5, 6, 7, 8}};
  s.lengthLimits[0] = {0xF0, 0x20, 0x01, 0x4F};
  s.lengthLimits[2] = {0xF0, 0x60, 0x00, 0x6B};
  s.matchStrings[1] = {0xF1, 0x40, 0x02, 0x03, '4', '5', '6'};
  s.customFields = {
      {0xF2, 0x20, 0x01, 0x02, 'A', 'B'},                                   // Before
      {0xF3, 0x41, 0x01, 0x01, '=', 0x02, 0x02, 'x', 'y'},                  // Between
      {0xF4, 0x62, 0x01, 0x03, 0x04, 0x01, '^'},                            // After
      {0xF5, 0x23, 0x01, 0x01, '%', 0x01, 0x02, '?', '?', 0x05, 0x06},      // Among
  };
  s.formulas[0] = {0x22, 0x41};
  s.formulas[3] = {0x20, 0x41, 0x00, 0x62};
  return s;
}

// --- Encoding ----------------------------------------------------------------------------

TEST(SettingsEncode, DefaultRecordGivesTheFactoryStreamByteForByte) {
  ReaderSettings settings;
  EXPECT_EQ(Encode(settings), DEFAULT_STREAM);
  EXPECT_EQ(DEFAULT_STREAM.size(), DEFAULT_STREAM_LENGTH);
}

TEST(SettingsEncode, BlocksCarryTheirContentLength) {
  ReaderSettings added;
  added.addedFields = {{0x41, 0x42}};
  EXPECT_TRUE(Contains(Encode(added),
                       {0xD3, 0x01, 0x00, 0xFA, 0x09, 0x02, 0x41, 0x42, 0, 0, 0, 0, 0, 0, 0xFB}));

  ReaderSettings limit;
  limit.lengthLimits[1] = {0xF0, 0x40, 0x05, 0x14};
  EXPECT_TRUE(Contains(Encode(limit), {0xFA, 0x00, 0xFB, 0x04, 0xF0, 0x40, 0x05, 0x14, 0xFC}));

  ReaderSettings formula;
  formula.formulas[0] = {0x22, 0x41};
  EXPECT_TRUE(Contains(Encode(formula), {0xFB, 0x00, 0xFC, 0x0B, 0x03, 0xE0, 0x22, 0x41, 0xFF,
                                         0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x69}));

  // Limits of tracks 1 to 3, then match strings, then custom fields, whatever the list order.
  ReaderSettings rules;
  rules.customFields = {{0xF2, 0x21, 0x01, 0x01, 'C'}};
  rules.matchStrings[0] = {0xF1, 0x20, 0x00, 0x01, 'M'};
  rules.lengthLimits[2] = {0xF0, 0x60, 0x01, 0x02};
  EXPECT_TRUE(Contains(Encode(rules), {0xFB, 0x0E, 0xF0, 0x60, 0x01, 0x02, 0xF1, 0x20, 0x00, 0x01,
                                       'M', 0xF2, 0x21, 0x01, 0x01, 'C', 0xFC}));

  // A formula in the last slot gets the kind byte 0xE3.
  ReaderSettings custom;
  custom.formulas[3] = {0x21};
  EXPECT_TRUE(Contains(Encode(custom),
                       {0xFC, 0x0A, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x02, 0xE3, 0x21, 0xFF}));
}

TEST(SettingsEncode, StringsCarryLengthPlusOneThenLength) {
  ReaderSettings settings;
  settings.preamble = {0x41, 0x42};
  settings.track3Suffix = {0x00};
  const ByteString stream = Encode(settings);
  EXPECT_TRUE(Contains(stream, {0xD2, 0x03, 0x02, 0x41, 0x42, 0xD3, 0x01, 0x00}));
  EXPECT_TRUE(Contains(stream, {0x39, 0x02, 0x01, 0x00, 0x03}));
  EXPECT_EQ(stream.size(), DEFAULT_STREAM_LENGTH + 3);
}

TEST(SettingsEncode, SendsTrackOneEndSentinelNeverTheReportCopy) {
  ReaderSettings settings;
  settings.endSentinel = 'Z';
  settings.track1EndSentinel = '!';
  const ByteString stream = Encode(settings);
  EXPECT_TRUE(Contains(stream, {0x69, 0x01, '!', 0x6A, 0x01, '?'}));
  EXPECT_FALSE(Contains(stream, {'Z'}));
}

TEST(SettingsEncode, CapacityLimitsAndMissingArguments) {
  ReaderSettings settings;
  std::vector<Byte> buffer(1024, 0);

  std::uint32_t length = 608;
  EXPECT_FALSE(EncodeSettings(settings, buffer.data(), &length));
  EXPECT_EQ(length, 0u);

  length = 609;
  EXPECT_TRUE(EncodeSettings(settings, buffer.data(), &length));
  EXPECT_EQ(length, DEFAULT_STREAM_LENGTH);

  length = 1024;
  EXPECT_FALSE(EncodeSettings(settings, nullptr, &length));
  EXPECT_EQ(length, 0u);

  EXPECT_FALSE(EncodeSettings(settings, buffer.data(), nullptr));
}

TEST(SettingsEncode, StreamLargerThanTheBufferFailsWithoutWritingPastIt) {
  ReaderSettings settings;
  settings.preamble.assign(254, 'p');
  settings.postamble.assign(254, 'q');
  settings.track1Prefix.assign(100, 'r');
  constexpr std::uint32_t CAPACITY = 609;
  std::vector<Byte> buffer(CAPACITY + 64, 0xCC);
  std::uint32_t length = CAPACITY;
  EXPECT_FALSE(EncodeSettings(settings, buffer.data(), &length));
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(std::all_of(buffer.begin() + CAPACITY, buffer.end(),
                          [](Byte b) { return b == 0xCC; }));

  // The same record fits a larger buffer.
  std::vector<Byte> larger(1024, 0);
  length = static_cast<std::uint32_t>(larger.size());
  EXPECT_TRUE(EncodeSettings(settings, larger.data(), &length));
  EXPECT_EQ(length, DEFAULT_STREAM_LENGTH + 254 + 254 + 100);
}

TEST(SettingsEncode, RefusesWhatCannotTravelIntact) {
  // Block content of 255 bytes still fits its length byte; 256 would read back as 0.
  ReaderSettings fits;
  fits.customFields = {ByteString{0xF2, 0x20, 0x01, 251}};
  fits.customFields[0].resize(255, 'a');
  const ByteString stream = Encode(fits);
  ASSERT_FALSE(stream.empty());
  EXPECT_TRUE(Contains(stream, {0xFB, 0xFF, 0xF2, 0x20, 0x01, 251}));

  ReaderSettings tooLongBlock = fits;
  tooLongBlock.lengthLimits[0] = {0xF0, 0x20, 0x01, 0x02};
  EXPECT_TRUE(Encode(tooLongBlock).empty());

  ReaderSettings manyAddedFields;
  manyAddedFields.addedFields.assign(29, ByteString{'a'});  // 29 slots of 9 bytes
  EXPECT_TRUE(Encode(manyAddedFields).empty());
  manyAddedFields.addedFields.resize(28);
  EXPECT_FALSE(Encode(manyAddedFields).empty());

  ReaderSettings longField;
  longField.addedFields = {ByteString(9, 'a')};
  EXPECT_TRUE(Encode(longField).empty());

  ReaderSettings emptyField;
  emptyField.addedFields = {{'a'}, {}, {'b'}};
  EXPECT_TRUE(Encode(emptyField).empty());

  ReaderSettings longString;
  longString.track2Suffix.assign(255, 's');
  EXPECT_TRUE(Encode(longString).empty());
  longString.track2Suffix.resize(254);
  EXPECT_FALSE(Encode(longString).empty());

  ReaderSettings longFormula;
  longFormula.formulas[1].assign(253, 0x21);  // item of 256 bytes
  EXPECT_TRUE(Encode(longFormula).empty());
}

// --- Decoding ----------------------------------------------------------------------------

TEST(SettingsDecode, RoundTripGivesBackTheRecord) {
  const ReaderSettings original = FullRecord();
  const ByteString stream = Encode(original);
  ASSERT_FALSE(stream.empty());

  ReaderSettings decoded(InterfaceType::UsbHidKb);
  decoded.interfaceSwitchPending = true;
  decoded.baudRate = '7';
  ASSERT_TRUE(Decode(stream, decoded));

  EXPECT_EQ(Encode(decoded), stream);
  EXPECT_EQ(decoded.endSentinel, '!');
  EXPECT_EQ(decoded.baudRate, '9');
  EXPECT_EQ(decoded.option25, 0xFE);
  EXPECT_EQ(decoded.track3EndSentinel, 0x03);
  EXPECT_EQ(decoded.preamble, original.preamble);
  EXPECT_EQ(decoded.track2Prefix, original.track2Prefix);
  EXPECT_EQ(decoded.addedFields, original.addedFields);
  EXPECT_EQ(decoded.customFields, original.customFields);
  EXPECT_EQ(decoded.lengthLimits, original.lengthLimits);
  EXPECT_EQ(decoded.matchStrings, original.matchStrings);
  EXPECT_EQ(decoded.formulas, original.formulas);
  EXPECT_EQ(decoded.interfaceType, InterfaceType::UsbHidKb);
  EXPECT_TRUE(decoded.interfaceSwitchPending);
}

TEST(SettingsDecode, StartsFromDefaults) {
  ReaderSettings settings = FullRecord();
  ASSERT_TRUE(Decode(Frame({{0x11, 0x01, '0'}}), settings));
  EXPECT_EQ(settings.beepVolume, '0');
  EXPECT_EQ(Encode(settings), Encode([] {
              ReaderSettings expected;
              expected.beepVolume = '0';
              return expected;
            }()));
}

TEST(SettingsDecode, ReplyLeadInAndFrameStart) {
  const ByteString frame = Frame({{0x41, 0x01, '7'}});
  for (Byte leadIn : {Byte{0x06}, Byte{0xFA}}) {
    ByteString reply = {leadIn};
    reply.insert(reply.end(), frame.begin(), frame.end());
    ReaderSettings settings;
    EXPECT_TRUE(Decode(reply, settings)) << int(leadIn);
    EXPECT_EQ(settings.baudRate, '7');
  }

  ReaderSettings plain;
  EXPECT_TRUE(Decode(frame, plain));
  EXPECT_EQ(plain.baudRate, '7');

  ByteString refused = {0x15};
  refused.insert(refused.end(), frame.begin(), frame.end());
  ReaderSettings settings;
  EXPECT_FALSE(Decode(refused, settings));

  EXPECT_FALSE(Decode({0x06}, settings));
  EXPECT_FALSE(Decode({0x53, 0x02}, settings));
}

TEST(SettingsDecode, MissingArgumentsLeaveTheRecordAlone) {
  ReaderSettings settings;
  settings.beepVolume = '4';
  EXPECT_FALSE(DecodeSettings(nullptr, 10, &settings));
  EXPECT_EQ(settings.beepVolume, '4');
  const Byte bytes[] = {0x02};
  EXPECT_FALSE(DecodeSettings(bytes, 1, nullptr));
  EXPECT_FALSE(DecodeSettings(bytes, 0, &settings));
}

TEST(SettingsDecode, CheckByte) {
  ByteString stream = Frame({{0x11, 0x01, '3'}, {0x12, 0x01, '5'}});
  stream.back() ^= 0x01;
  ReaderSettings settings;
  EXPECT_FALSE(Decode(stream, settings));
  // The records before the ETX have been read all the same.
  EXPECT_EQ(settings.beepVolume, '3');
  EXPECT_EQ(settings.interCharDelay, '5');

  // An ETX with nothing after it cannot be checked.
  stream.pop_back();
  EXPECT_FALSE(Decode(stream, settings));

  // Bytes after the check byte are not looked at.
  ByteString trailing = Frame({{0x11, 0x01, '3'}});
  trailing.push_back(0x99);
  EXPECT_TRUE(Decode(trailing, settings));
}

TEST(SettingsDecode, RecordLayoutsAsTheReaderSendsThem) {
  ReaderSettings settings;
  // A one-byte record is tag, length, value whatever its length byte says.
  ASSERT_TRUE(Decode(Frame({{0x11, 0x05, '3'}, {0x12, 0x00, '4'}}), settings));
  EXPECT_EQ(settings.beepVolume, '3');
  EXPECT_EQ(settings.interCharDelay, '4');

  // Unknown FuncIDs are passed over by their length byte.
  ASSERT_TRUE(Decode(Frame({{0x11, 0x01, '1'}, {0x30, 0x02, 0xAA, 0xBB}, {0x12, 0x01, '2'}}),
                     settings));
  EXPECT_EQ(settings.beepVolume, '1');
  EXPECT_EQ(settings.interCharDelay, '2');

  // Direction letters between records are skipped.
  ASSERT_TRUE(Decode(Frame({{0x52, 0x53, 0x11, 0x01, '4'}}), settings));
  EXPECT_EQ(settings.beepVolume, '4');

  // 0x69 fills both the track 1 end sentinel and the one the report prints.
  ASSERT_TRUE(Decode(Frame({{0x69, 0x01, '#'}}), settings));
  EXPECT_EQ(settings.track1EndSentinel, '#');
  EXPECT_EQ(settings.endSentinel, '#');
}

TEST(SettingsDecode, StringRecords) {
  ReaderSettings settings;
  ASSERT_TRUE(Decode(Frame({{0x34, 0x01, 0x00}, {0x11, 0x01, '0'}}), settings));
  EXPECT_TRUE(settings.track1Prefix.empty());
  EXPECT_EQ(settings.beepVolume, '0');

  ASSERT_TRUE(Decode(Frame({{0x34, 0x00}, {0x11, 0x01, '3'}}), settings));
  EXPECT_TRUE(settings.track1Prefix.empty());
  EXPECT_EQ(settings.beepVolume, '3');

  ASSERT_TRUE(Decode(Frame({{0x34, 0x03, 0x02, 0x41, 0x42}, {0x11, 0x01, '4'}}), settings));
  EXPECT_EQ(settings.track1Prefix, (ByteString{0x41, 0x42}));
  EXPECT_EQ(settings.beepVolume, '4');

  // The count byte is not consulted; k decides.
  ASSERT_TRUE(Decode(Frame({{0xD3, 0x02, 0x07, 0x03}}), settings));
  EXPECT_EQ(settings.postamble, (ByteString{0x03}));
}

TEST(SettingsDecode, AddedFieldSlots) {
  ReaderSettings settings;
  // 20 bytes announced: two whole slots, the last two bytes are read as records.
  ByteString block = {0xFA, 20, 2, 'a', 'b', 0, 0, 0, 0, 0, 0, 1, 'c', 0, 0, 0, 0, 0, 0, 0};
  block.insert(block.end(), {0x11, 0x01, '3'});
  ASSERT_TRUE(Decode(Frame({block}), settings));
  EXPECT_EQ(settings.addedFields, (ByteStringList{{'a', 'b'}, {'c'}}));
  EXPECT_EQ(settings.beepVolume, '3');

  // An empty slot adds nothing; a slot claiming more than 8 bytes is skipped, and the slot
  // after it is still read from its own place.
  ByteString mixed = {0xFA, 27, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 1, 2, 3, 4, 5, 6, 7, 8,
                      8, 1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(Decode(Frame({mixed, {0x12, 0x01, '2'}}), settings));
  EXPECT_EQ(settings.addedFields, (ByteStringList{{1, 2, 3, 4, 5, 6, 7, 8}}));
  EXPECT_EQ(settings.interCharDelay, '2');
}

TEST(SettingsDecode, KeepsAtMostEightAddedFields) {
  // Eleven slots: 'a', an empty one, then 'b' to 'j'. The empty slot does not count; the
  // fields after the eighth are passed over, and the record after the block is still read.
  ByteString block = {0xFA, 99};
  for (Byte letter : {Byte{'a'}, Byte{0}, Byte{'b'}, Byte{'c'}, Byte{'d'}, Byte{'e'}, Byte{'f'},
                      Byte{'g'}, Byte{'h'}, Byte{'i'}, Byte{'j'}}) {
    block.push_back(letter == 0 ? 0 : 1);
    block.push_back(letter);
    block.insert(block.end(), 7, 0);
  }
  ReaderSettings settings;
  ASSERT_TRUE(Decode(Frame({block, {0x11, 0x01, '3'}}), settings));
  ASSERT_EQ(settings.addedFields.size(), static_cast<std::size_t>(MAX_ADDED_FIELDS));
  EXPECT_EQ(settings.addedFields.front(), ByteString{'a'});
  EXPECT_EQ(settings.addedFields.back(), ByteString{'h'});
  EXPECT_EQ(settings.beepVolume, '3');
}

TEST(SettingsDecode, StatusTellsTheFailuresApart) {
  const ByteString good = Frame({{0x11, 0x01, '3'}});
  ByteString refused = {0x15};
  refused.insert(refused.end(), good.begin(), good.end());
  ByteString badCheck = good;
  badCheck.back() ^= 0x01;
  const struct {
    const char* name;
    ByteString bytes;
    DecodeStatus expected;
  } cases[] = {
      {"good", good, DecodeStatus::Ok},
      {"nothing", {}, DecodeStatus::NoStream},
      {"refusal", refused, DecodeStatus::NoStx},
      {"bad check byte", badCheck, DecodeStatus::BadChecksum},
      {"no check byte", ByteString(good.begin(), good.end() - 1), DecodeStatus::CutOff},
      {"no ETX", Unterminated({{0x11, 0x01, '3'}}), DecodeStatus::CutOff},
  };
  for (const auto& c : cases) {
    ReaderSettings settings;
    EXPECT_EQ(DecodeStatusOf(c.bytes, settings), c.expected) << c.name;
  }
}

TEST(SettingsDecode, FieldRuleBlock) {
  ReaderSettings settings;
  // The block ends at a byte that is no record tag; that byte is read as a FuncID.
  ASSERT_TRUE(Decode(Frame({{0xFB, 0x08, 0x10, 0x01, '4'}}), settings));
  EXPECT_EQ(settings.terminalType, '4');
  EXPECT_TRUE(settings.customFields.empty());

  // Two limits of one track are both kept; a limit for track 0 has no slot and is passed
  // over; a custom field keeps whatever track it names.
  const ByteString rules = {0xFB, 22, 0xF0, 0x40, 1, 2, 0xF0, 0x40, 3, 4, 0xF0, 0x00, 5, 6,
                            0xF1, 0xE0, 0, 1, 'z', 0xF2, 0x05, 0, 1, 'q'};
  ASSERT_TRUE(Decode(Frame({rules, {0x11, 0x01, '0'}}), settings));
  EXPECT_EQ(settings.lengthLimits[1], (ByteString{0xF0, 0x40, 1, 2, 0xF0, 0x40, 3, 4}));
  EXPECT_TRUE(settings.lengthLimits[0].empty());
  for (const auto& slot : settings.matchStrings) EXPECT_TRUE(slot.empty());
  EXPECT_EQ(settings.customFields, (ByteStringList{{0xF2, 0x05, 0, 1, 'q'}}));
  EXPECT_EQ(settings.beepVolume, '0');
}

TEST(SettingsDecode, FieldRuleBlockCountsDownModulo256) {
  // A block whose content passed 255 bytes carries its length modulo 256; counting down the
  // same way reads every record of it.
  ByteString rules = {0xFB, 6, 0xF2, 0x20, 1, 250};
  rules.resize(rules.size() + 250, 'r');  // 254 bytes
  rules.insert(rules.end(), {0xF0, 0x20, 1, 2, 0xF0, 0x60, 3, 4});  // 262 bytes in all
  ReaderSettings settings;
  ASSERT_TRUE(Decode(Frame({rules, {0x11, 0x01, '4'}}), settings));
  ASSERT_EQ(settings.customFields.size(), 1u);
  EXPECT_EQ(settings.customFields[0].size(), 254u);
  EXPECT_EQ(settings.lengthLimits[0], (ByteString{0xF0, 0x20, 1, 2}));
  EXPECT_EQ(settings.lengthLimits[2], (ByteString{0xF0, 0x60, 3, 4}));
  EXPECT_EQ(settings.beepVolume, '4');
}

TEST(SettingsDecode, FormulaBlock) {
  ReaderSettings settings;
  // Items name their kind; an item for kind 0xE7 has no slot and is passed over.
  const ByteString block = {0xFC, 13, 0x02, 0xE7, 0x11, 0xFF, 0x00, 0xFF,
                            0x03, 0xE2, 0x21, 0x22, 0xFF, 0x00, 0xFF};
  ASSERT_TRUE(Decode(Frame({block, {0x11, 0x01, '4'}}), settings));
  EXPECT_EQ(settings.formulas[2], (ByteString{0x21, 0x22}));
  EXPECT_TRUE(settings.formulas[0].empty());
  EXPECT_TRUE(settings.formulas[1].empty());
  EXPECT_TRUE(settings.formulas[3].empty());
  EXPECT_EQ(settings.beepVolume, '4');
}

TEST(SettingsDecode, StreamCutOffAnywhereIsRefused) {
  const ByteString stream = Encode(FullRecord());
  ASSERT_FALSE(stream.empty());
  // Every prefix that stops before the check byte is a cut-off stream, and fails; the whole
  // records before the cut have been read, never part of one.
  for (std::size_t cut = 1; cut + 1 < stream.size(); ++cut) {
    ReaderSettings settings = FullRecord();
    const ByteString prefix(stream.begin(), stream.begin() + static_cast<long>(cut));
    EXPECT_EQ(DecodeStatusOf(prefix, settings), DecodeStatus::CutOff) << "cut at " << cut;
    // A string is either complete or at its reset value, never a part of itself.
    EXPECT_TRUE(settings.preamble.empty() || settings.preamble == FullRecord().preamble)
        << "cut at " << cut;
    EXPECT_TRUE(settings.customFields.size() <= 4u);
    for (const auto& field : settings.customFields) {
      EXPECT_NE(std::find(FullRecord().customFields.begin(), FullRecord().customFields.end(),
                          field),
                FullRecord().customFields.end())
          << "cut at " << cut;
    }
  }

  ReaderSettings settings;
  EXPECT_FALSE(Decode(Unterminated({{0x11, 0x01, '3'}, {0x12, 0x01}}), settings));
  EXPECT_EQ(settings.beepVolume, '3');
  EXPECT_EQ(settings.interCharDelay, '0');
}

TEST(SettingsDecode, LengthsRunningPastTheCountStoreNothing) {
  const struct {
    const char* what;
    ByteString record;
  } cases[] = {
      {"string", {0x34, 0xFF, 0xFE, 'a', 'b'}},
      {"added fields", {0xFA, 0xFF, 2, 'a', 'b', 0, 0}},
      {"length limit", {0xFB, 0xFF, 0xF0, 0x20, 1}},
      {"match string", {0xFB, 0xFF, 0xF1, 0x20, 0, 200, 'a'}},
      {"between", {0xFB, 0xFF, 0xF3, 0x21, 1, 1, 'a', 1, 200, 'b'}},
      {"between length", {0xFB, 0xFF, 0xF3, 0x21, 1, 100}},
      {"after", {0xFB, 0xFF, 0xF4, 0x21, 1, 2, 3}},
      {"among", {0xFB, 0xFF, 0xF5, 0x21, 1, 1, 'a', 1, 250}},
      {"formula", {0xFC, 0xFF, 0x40, 0xE0, 0x21}},
      {"formula past its block", {0xFC, 0x03, 0x40, 0xE0, 0x21}},
      {"formula kind", {0xFC, 0x08, 0x02}},
      {"unknown", {0x30, 0xFF, 0x00}},
      {"block length", {0xFC}},
  };
  for (const auto& c : cases) {
    ReaderSettings settings;
    EXPECT_EQ(DecodeStatusOf(Unterminated({{0x11, 0x01, '3'}, c.record}), settings),
              DecodeStatus::CutOff)
        << c.what;
    EXPECT_EQ(settings.beepVolume, '3') << c.what;
    EXPECT_TRUE(settings.track1Prefix.empty()) << c.what;
    EXPECT_TRUE(settings.addedFields.empty()) << c.what;
    EXPECT_TRUE(settings.customFields.empty()) << c.what;
    EXPECT_TRUE(settings.lengthLimits[0].empty()) << c.what;
    EXPECT_TRUE(settings.matchStrings[0].empty()) << c.what;
    EXPECT_TRUE(settings.formulas[0].empty()) << c.what;
  }
}

TEST(SettingsDecode, ValueOutsideEveryTableSurvives) {
  ReaderSettings settings;
  settings.baudRate = '9';
  settings.hidFormat = 0x7F;
  ReaderSettings decoded;
  ASSERT_TRUE(Decode(Encode(settings), decoded));
  EXPECT_EQ(decoded.baudRate, '9');
  EXPECT_EQ(decoded.hidFormat, 0x7F);
  EXPECT_EQ(Encode(decoded), Encode(settings));
}

}  // namespace
}  // namespace tessaron
