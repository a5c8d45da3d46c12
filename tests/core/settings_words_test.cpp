#include "core/settings_words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessaron {
namespace {

constexpr ValueTable ALL_TABLES[] = {
    ValueTable::TerminalType, ValueTable::BeepVolume,     ValueTable::InterCharDelay,
    ValueTable::TrackSelect,  ValueTable::DataFormat,     ValueTable::MsrReading,
    ValueTable::DecodingMethod, ValueTable::HidFormat,    ValueTable::LanguageOption,
    ValueTable::BaudRate,     ValueTable::DataBits,       ValueTable::Parity,
    ValueTable::Handshake,    ValueTable::StopBits,       ValueTable::LrcOption,
};

// Every byte of every table gives a word exactly when the table lists it, and a listed
// value always gives its own entry's word and caption.
TEST(ValueWordsTest, AnyByteIsSafeAndOnlyListedValuesHaveWords) {
  for (ValueTable table : ALL_TABLES) {
    std::set<int> listed;
    for (const ValueWordEntry& entry : ValueWords(table)) {
      EXPECT_TRUE(listed.insert(entry.value).second) << "duplicate value " << entry.value;
      ASSERT_NE(entry.word, nullptr);
      ASSERT_NE(entry.caption, nullptr);
      EXPECT_FALSE(std::string(entry.word).empty());
      EXPECT_FALSE(std::string(entry.caption).empty());
    }
    ASSERT_FALSE(listed.empty());
    for (int value = 0; value < 256; ++value) {
      const char* word = ValueWord(table, static_cast<Byte>(value));
      const char* caption = ValueCaption(table, static_cast<Byte>(value));
      ASSERT_NE(word, nullptr);
      ASSERT_NE(caption, nullptr);
      EXPECT_EQ(listed.count(value) == 1, !std::string(word).empty()) << value;
      EXPECT_EQ(listed.count(value) == 1, !std::string(caption).empty()) << value;
    }
  }
}

// The pages select a radio button by value - '0' (baud rate: value - '3'), so the tables
// must list their values contiguously in button order.
TEST(ValueWordsTest, ContiguousTablesRunInButtonOrder) {
  struct Case {
    ValueTable table;
    char first;
    std::size_t count;
  };
  const Case cases[] = {
      {ValueTable::BeepVolume, '0', 5},     {ValueTable::InterCharDelay, '0', 6},
      {ValueTable::TrackSelect, '0', 10},   {ValueTable::DataFormat, '0', 3},
      {ValueTable::MsrReading, '0', 2},     {ValueTable::DecodingMethod, '0', 4},
      {ValueTable::LanguageOption, '0', 11}, {ValueTable::BaudRate, '3', 5},
      {ValueTable::DataBits, '0', 2},       {ValueTable::Parity, '0', 5},
      {ValueTable::Handshake, '0', 2},      {ValueTable::StopBits, '0', 2},
      {ValueTable::LrcOption, '0', 2},
  };
  for (const Case& c : cases) {
    const auto words = ValueWords(c.table);
    ASSERT_EQ(words.size(), c.count);
    for (std::size_t i = 0; i < words.size(); ++i) {
      EXPECT_EQ(words[i].value, static_cast<Byte>(c.first + i));
    }
  }
}

// Values the pages and the report treat specially, and the captions that differ from
// the report's words.
TEST(ValueWordsTest, GapsOddValuesAndPageCaptions) {
  for (char value : {'1', '2', '3', '7'}) {
    EXPECT_STREQ(ValueWord(ValueTable::TerminalType, static_cast<Byte>(value)), "");
  }
  EXPECT_STREQ(ValueWord(ValueTable::TerminalType, '4'), "NoteBook");
  EXPECT_STREQ(ValueWord(ValueTable::LanguageOption, ':'), "Universal");
  EXPECT_STREQ(ValueWord(ValueTable::HidFormat, '2'), "");
  EXPECT_STREQ(ValueCaption(ValueTable::MsrReading, '1'), "MSR Reading Enabled");
  EXPECT_STREQ(ValueCaption(ValueTable::DecodingMethod, '0'), "Raw Data");
  EXPECT_STREQ(ValueCaption(ValueTable::HidFormat, '1'), "MagTek USB HID Data Format");
  EXPECT_STREQ(ValueCaption(ValueTable::HidFormat, '8'), "Kaldor USB HID Keyboard ");
  EXPECT_STREQ(ValueCaption(ValueTable::Parity, '3'), ValueWord(ValueTable::Parity, '3'));
}

TEST(HidFormatWordTest, PositionsOutsideTheTableGiveAnEmptyWord) {
  EXPECT_STREQ(HidFormatWord(0), "Kaldor USB HID Data Format");
  EXPECT_STREQ(HidFormatWord(2), "Kaldor USB HID KB Data Format");
  EXPECT_STREQ(HidFormatWord(-1), "");
  EXPECT_STREQ(HidFormatWord(HID_FORMAT_WORD_COUNT), "");
  EXPECT_STREQ(HidFormatWord(INT32_MIN), "");
}

// Each entry must stand for exactly one bit, in bit order, and its word must follow that
// bit alone, so that the report's "bits 1 to 6" and the page's option pairs line up with
// the stored byte.
TEST(OptionBitsTest, EntriesAreSingleBitsInOrder) {
  for (const auto bits : {FormatOptionBits(), SendOutFormatBits()}) {
    for (std::size_t bit = 0; bit < bits.size(); ++bit) {
      EXPECT_EQ(bits[bit].mask, 1u << bit);
      EXPECT_STREQ(OptionBitWord(bits[bit], bits[bit].mask), bits[bit].setWord);
      EXPECT_STREQ(OptionBitWord(bits[bit], static_cast<Byte>(~bits[bit].mask)),
                   bits[bit].clearWord);
    }
  }
  EXPECT_EQ(FormatOptionBits().size(), 7u);
  EXPECT_EQ(SendOutFormatBits().size(), 4u);
  EXPECT_STREQ(SendOutFormatBits()[3].setWord, "Alt Key Output");
}

}  // namespace
}  // namespace tessaron
