#include "core/escape_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tessaron {
namespace {

TEST(EscapeNames, TableShapeAndRows) {
  ASSERT_EQ(CharNameCount(), 111);
  EXPECT_STREQ(CharNameAt(0), "\\nul");
  EXPECT_STREQ(CharNameAt(31), "\\us");
  EXPECT_STREQ(CharNameAt(32), "\\f1");
  EXPECT_STREQ(CharNameAt(44), "\\home");
  EXPECT_STREQ(CharNameAt(110), "\\cr_lf");
  EXPECT_EQ(CharCodeAt(110), 0xD1);
  EXPECT_EQ(CharNameLength(CharNameCount() - 1), 6);

  int row = -1;
  ASSERT_TRUE(FindCharName(0x99, &row));
  EXPECT_EQ(CharNameLength(row), 10);  // "\num_enter"

  // Every row: a backslash name whose length field matches, and a code that finds that row
  // again; the codes climb strictly, so no row shadows another.
  int previousCode = -1;
  for (int i = 0; i < CharNameCount(); ++i) {
    SCOPED_TRACE(i);
    const char* name = CharNameAt(i);
    ASSERT_EQ(name[0], '\\');
    EXPECT_EQ(CharNameLength(i), static_cast<std::int32_t>(std::strlen(name)));
    EXPECT_GT(CharCodeAt(i), previousCode);
    previousCode = CharCodeAt(i);
    ASSERT_TRUE(FindCharName(CharCodeAt(i), &row));
    EXPECT_EQ(row, i);
  }
}

TEST(EscapeNames, DuplicateNamesResolveByCode) {
  int row = -1;
  ASSERT_TRUE(FindCharName(0x1B, &row));
  EXPECT_EQ(row, 27);
  ASSERT_TRUE(FindCharName(0x97, &row));
  EXPECT_EQ(row, 54);
  EXPECT_STREQ(CharNameAt(27), CharNameAt(54));
  EXPECT_STREQ(CharNameAt(27), "\\esc");

  EXPECT_EQ(CharToText(0x08), "\\bs");
  EXPECT_EQ(CharToText(0x9C), "\\bs");
  ASSERT_TRUE(FindCharName(0x9C, &row));
  EXPECT_EQ(CharNameLength(row), 3);
}

TEST(EscapeNames, BytesWithoutNameAreNotFound) {
  int row = 42;
  for (int value : {0x20, 0x41, 0x7F, 0x80, 0xCF, 0xD0, 0xD2, 0xFF}) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(FindCharName(static_cast<Byte>(value), &row));
  }
  EXPECT_EQ(row, 42);
}

TEST(EscapeNames, RowsOutsideTheTableGiveNeutralValues) {
  for (int row : {-1, 111, 1000, -100000}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(CharNameLength(row), 0);
    EXPECT_STREQ(CharNameAt(row), "");
    EXPECT_EQ(CharCodeAt(row), 0);
  }
}

TEST(EscapeNames, CharToTextAndBytesToText) {
  EXPECT_EQ(CharToText(0x0D), "\\cr");
  EXPECT_EQ(CharToText(0x41), "A");
  EXPECT_EQ(CharToText(0x80), std::string(1, '\x80'));
  EXPECT_EQ(CharToText(0xD1), "\\cr_lf");
  EXPECT_EQ(CharToText(0x00), "\\nul");

  const std::string text = BytesToText(ByteString{0x02, 0x41, 0x0D, 0x0A});
  EXPECT_EQ(text, "\\stxA\\cr\\lf");
  EXPECT_EQ(text.size(), 11u);
  EXPECT_EQ(BytesToText(ByteString{}), "");
  EXPECT_EQ(BytesToText(ByteString{0xFF, 0x00, 0xFF}), std::string("\xff\\nul\xff"));
}

TEST(EscapeNames, ExactTextReadsBackEveryByteString) {
  const struct {
    ByteString bytes;
    std::string text;
  } forms[] = {
      {{0x02, 'A', 0x0D}, "\\stxA\\cr"},
      {{0xD1}, "\\cr_lf"},
      {{0x0D, '_', 'l', 'f'}, "\\cr\\x5flf"},   // would run on into \cr_lf
      {{0x0E, 'h'}, "\\so\\x68"},               // would run on into \soh
      {{0x1B, 0x97, 0x08, 0x9C}, "\\esc\\x97\\bs\\x9c"},  // shared names read as the first
      {{'\\', 'c', 'r', 0x80, 0xFF, 0x7F}, "\\\\cr\\x80\\xff\\x7f"},
  };
  for (const auto& form : forms) {
    EXPECT_EQ(BytesToExactText(form.bytes), form.text);
    ByteString read;
    EXPECT_TRUE(TextToBytes(form.text, &read, nullptr)) << form.text;
    EXPECT_EQ(read, form.bytes) << form.text;
  }
  // Every pair of bytes: a name can only run on into the byte right after it.
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const ByteString bytes{static_cast<Byte>(first), static_cast<Byte>(second)};
      ByteString read;
      ASSERT_TRUE(TextToBytes(BytesToExactText(bytes), &read, nullptr));
      ASSERT_EQ(read, bytes) << BytesToExactText(bytes);
    }
  }
  ByteString typed;
  EXPECT_TRUE(TextToBytes("\\X0d\\\\Cr\xe9", &typed, nullptr));  // hex in any case, raw bytes
  EXPECT_EQ(typed, (ByteString{0x0D, '\\', 'C', 'r', 0xE9}));
  for (const char* wrong : {"\\", "A\\q", "\\x1", "\\xg0", "\\CR"}) {
    std::string error;
    EXPECT_FALSE(TextToBytes(wrong, &typed, &error)) << wrong;
    EXPECT_NE(error.find("no escape name"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tessaron
