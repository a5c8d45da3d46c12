#include "core/data_edit_model.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaron {
namespace {

Byte Ref(int track, int index) { return static_cast<Byte>(track * 32 + index); }

TEST(CardKindLabels, KindsOutsideTheFourGiveEmptyTexts) {
  EXPECT_STREQ(CardKindListPrefix(CARD_KIND_AAMVA), "AAMVA: ");
  for (int kind : {-1, 4, 100}) {
    EXPECT_STREQ(CardKindRadioCaption(kind), "");
    EXPECT_STREQ(CardKindListPrefix(kind), "");
    EXPECT_STREQ(CardKindEditorTitle(kind), "");
    EXPECT_STREQ(CardKindReportName(kind), "");
  }
}

TEST(FieldCatalogue, SizesAndTextsAsShown) {
  struct Expected {
    int kind;
    int track;
    std::size_t size;
  };
  const Expected sizes[] = {
      {CARD_KIND_CREDIT_CARD, 1, 12}, {CARD_KIND_CREDIT_CARD, 2, 9}, {CARD_KIND_CREDIT_CARD, 3, 0},
      {CARD_KIND_DMV, 1, 8},          {CARD_KIND_DMV, 2, 11},        {CARD_KIND_DMV, 3, 20},
      {CARD_KIND_AAMVA, 1, 10},       {CARD_KIND_AAMVA, 2, 12},      {CARD_KIND_AAMVA, 3, 18},
      {CARD_KIND_CUSTOM, 1, 0},       {CARD_KIND_AAMVA, 0, 0},       {CARD_KIND_DMV, 4, 0},
      {7, 1, 0},
  };
  for (const auto& e : sizes) {
    EXPECT_EQ(FieldCatalogue(e.kind, e.track).size(), e.size) << e.kind << "/" << e.track;
  }
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_CREDIT_CARD, 1)[1], "(1b)Format Code\"B\"");
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_CREDIT_CARD, 2)[3], "(2d)Expiration date \"YYMM\"");
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_AAMVA, 2)[2], "(2c))ANSI User ID.");
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_DMV, 3)[1], "(3b)Classs");
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_DMV, 2)[1], "(2b)(ANSI User ID)ID No.");
  EXPECT_STREQ(FieldCatalogue(CARD_KIND_AAMVA, 3)[12], "(3m)ID #");
}

// The notation in front of every catalogue entry is what the formula text prints for the
// entry's position, two-digit forms included.
TEST(FieldCatalogue, NotationAgreesWithFormulaText) {
  for (int kind : {CARD_KIND_CREDIT_CARD, CARD_KIND_DMV, CARD_KIND_AAMVA}) {
    for (int track = 1; track <= 3; ++track) {
      const auto& list = FieldCatalogue(kind, track);
      for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string entry = list[i];
        ASSERT_EQ(entry[0], '(');
        const std::string notation = entry.substr(1, entry.find(')') - 1);
        EXPECT_EQ(FormulaText({Ref(track, static_cast<int>(i))}, kind), notation)
            << "kind " << kind << ": " << entry;
      }
    }
  }
}

TEST(FormulaText, SubstitutionsDependOnTheKind) {
  EXPECT_EQ(FormulaText({}, CARD_KIND_CREDIT_CARD), "");
  EXPECT_EQ(FormulaText({0x27, 0x01}, CARD_KIND_AAMVA), "100b");
  EXPECT_EQ(FormulaText({0x2A, 0x2B}, CARD_KIND_CREDIT_CARD), "1011");

  const ByteString track2Position8 = {Ref(2, 8)};
  EXPECT_EQ(FormulaText(track2Position8, CARD_KIND_DMV), "20");
  EXPECT_EQ(FormulaText(track2Position8, CARD_KIND_CREDIT_CARD), "21");
  EXPECT_EQ(FormulaText(track2Position8, CARD_KIND_AAMVA), "2i");
  EXPECT_EQ(FormulaText(track2Position8, CARD_KIND_CUSTOM), "2i");

  const ByteString mixed = {Ref(1, 0), Ref(2, 7), Ref(1, 10), Ref(3, 19), Ref(2, 9)};
  EXPECT_EQ(FormulaText(mixed, CARD_KIND_CREDIT_CARD), "1a20103t2j");
  EXPECT_EQ(FormulaText(mixed, CARD_KIND_DMV), "1a2h1k3t21");
  EXPECT_EQ(FormulaText(mixed, CARD_KIND_CUSTOM), "1a2h1k3t2j");
}

TEST(FormulaText, AddedFieldReferencesAreNeverSubstituted) {
  const ByteString added = {0, 1, 2, 3, 4, 5, 6, 7};
  for (int kind = 0; kind < 4; ++kind) {
    EXPECT_EQ(FormulaText(added, kind), "0a0b0c0d0e0f0g0h");
  }
  // Any byte prints as a digit and a letter, whatever its value.
  EXPECT_EQ(FormulaText({0xFF, 0xE0}, CARD_KIND_CUSTOM), std::string("7\x80") + "7a");
}

TEST(CustomFieldText, FourRules) {
  EXPECT_EQ(CustomFieldText({TAG_BEFORE, Ref(2, 2), 2, 2, 'A', 'B'}), "(2c)Before: \"AB\"(2)");
  EXPECT_EQ(CustomFieldText({TAG_BETWEEN, Ref(1, 0), 1, 1, '^', 3, 2, '/', '/'}),
            "(1a)Between: \"^\"(1) and \"//\"(3)");
  EXPECT_EQ(CustomFieldText({TAG_AFTER, Ref(3, 11), 4, 200, 255, 1, '='}),
            "(3l)After: \"=\"(4) offset(200) length(255)");
  EXPECT_EQ(CustomFieldText({TAG_AMONG, Ref(1, 1), 1, 1, 'x', 2, 2, 'y', 'z', 0, 16}),
            "(1b)Among: \"x\"(1),\"yz\"(2) offset0 length16");
  // Bytes after what the rule needs are not part of the description.
  EXPECT_EQ(CustomFieldText({TAG_BEFORE, Ref(1, 0), 1, 1, 'A', 0x99}), "(1a)Before: \"A\"(1)");
}

TEST(CustomFieldText, UnknownTagsAndShortRecordsGiveNothing) {
  EXPECT_EQ(CustomFieldText({}), "");
  EXPECT_EQ(CustomFieldText({TAG_BEFORE}), "");
  EXPECT_EQ(CustomFieldText({TAG_LENGTH_LIMIT, 0x20, 1, 9}), "");
  EXPECT_EQ(CustomFieldText({0x00, 0x20, 1, 1, 'A'}), "");

  const ByteString complete[] = {
      {TAG_BEFORE, 0x20, 2, 2, 'A', 'B'},
      {TAG_BETWEEN, 0x20, 1, 1, '^', 3, 2, '/', '/'},
      {TAG_AFTER, 0x20, 4, 1, 2, 2, 'A', 'B'},
      {TAG_AMONG, 0x20, 1, 1, 'x', 2, 2, 'y', 'z', 0, 16},
  };
  for (const auto& record : complete) {
    ASSERT_NE(CustomFieldText(record), "");
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
      const ByteString shorter(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_EQ(CustomFieldText(shorter), "") << "tag " << int(record[0]) << " cut " << cut;
    }
  }
  // Length bytes that announce more than the record holds.
  EXPECT_EQ(CustomFieldText({TAG_BEFORE, 0x20, 1, 255, 'A'}), "");
  EXPECT_EQ(CustomFieldText({TAG_BETWEEN, 0x20, 1, 1, 'A', 1, 200, 'B'}), "");
  EXPECT_EQ(CustomFieldText({TAG_AMONG, 0x20, 1, 1, 'x', 1, 1, 'y', 0}), "");
}

TEST(AddedFieldText, LetterByPositionThenEscapeNames) {
  EXPECT_EQ(AddedFieldText({'A', 'B'}, 0), "(0a)AB");
  EXPECT_EQ(AddedFieldText({0x0D, 0x0A, 'X'}, 7), "(0h)\\cr\\lfX");
  EXPECT_EQ(AddedFieldText({}, 2), "(0c)");
}

}  // namespace
}  // namespace tessaron
