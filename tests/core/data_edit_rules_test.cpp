#include "core/data_edit_rules.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

ByteString Entries(std::size_t count, Byte entry = FieldRef(1, 0)) {
  return ByteString(count, entry);
}

TEST(DataEditRules, AppendStopsAtTheFormulaAndSendLimits) {
  struct Case {
    const char* name;
    std::size_t others;   // entries of the three other kinds, stored
    std::size_t stored;   // stored entries of the kind being edited
    std::size_t working;  // entries of the working formula
    AppendCheck expected;
  };
  const Case cases[] = {
      {"room left", 9, 149, 149, AppendCheck::Ok},
      {"formula full below the total", 0, 150, 150, AppendCheck::FormulaFull},
      {"others and working reach 160", 100, 0, 60, AppendCheck::SendCommandFull},
      {"stored total 160 after Clear Seq.", 10, 150, 0, AppendCheck::SendCommandFull},
      {"stored total counts, not only the working one", 10, 140, 149, AppendCheck::Ok},
  };
  for (const Case& c : cases) {
    DataEditSettings settings;
    settings.formulas[CARD_KIND_DMV] = Entries(c.others);
    settings.formulas[CARD_KIND_AAMVA] = Entries(c.stored);
    EXPECT_EQ(CheckAppend(settings, CARD_KIND_AAMVA, Entries(c.working)), c.expected) << c.name;
  }
  EXPECT_EQ(AppendRefusalText(AppendCheck::SendCommandFull),
            "Only 160 items can be added for Send Command.");
  EXPECT_EQ(AppendRefusalText(AppendCheck::FormulaFull), "Only 150 items can be added for a Formula.");
}

TEST(DataEditRules, EachBrokenRuleIsOneProblemThatSaysWhere) {
  using R = DataEditRule;
  DataEditSettings settings;
  EXPECT_TRUE(DataEditProblems(settings).empty());
  settings.addedFields = {ByteString{0x41}};
  settings.customFields.assign(MAX_CUSTOM_FIELDS + 1, ByteString{TAG_BEFORE, FieldRef(1, 0)});
  settings.customFields[0][1] = FieldRef(2, 0);
  settings.formulas[CARD_KIND_CREDIT_CARD] = {FieldRef(0, 0), FieldRef(0, 1), FieldRef(3, 0)};
  settings.formulas[CARD_KIND_DMV] = Entries(MAX_FORMULA_ITEMS + 1);
  settings.formulas[CARD_KIND_AAMVA] = Entries(10);
  settings.formulas[CARD_KIND_CUSTOM] = {FieldRef(2, 0), FieldRef(3, 0)};
  settings.lengthLimits[2] = LengthLimitRecord(3, 9, 8);
  std::vector<DataEditProblem> expected = {
      {R::CustomFieldCount, 0, 0, MAX_CUSTOM_FIELDS + 1, MAX_CUSTOM_FIELDS}};
  // Every custom field after the first names the first one's letter.
  for (int k = 1; k <= MAX_CUSTOM_FIELDS; ++k) {
    expected.push_back({R::CustomFieldLetter, CARD_KIND_CUSTOM, k, FieldRef(1, 0), k});
  }
  expected.insert(expected.end(), {
      {R::AddedFieldMissing, CARD_KIND_CREDIT_CARD, 1, FieldRef(0, 1), 1},
      {R::CatalogueFieldMissing, CARD_KIND_CREDIT_CARD, 2, FieldRef(3, 0), 0},
      {R::FormulaLength, CARD_KIND_DMV, 0, MAX_FORMULA_ITEMS + 1, MAX_FORMULA_ITEMS},
      {R::CustomFieldMissing, CARD_KIND_CUSTOM, 1, FieldRef(3, 0), 0},
      {R::SendCommandLength, 0, 0, MAX_FORMULA_ITEMS + 16, MAX_SEND_ITEMS},
      {R::LengthLimitOrder, 2, 0, 9, 8}});
  EXPECT_EQ(DataEditProblems(settings), expected);
  DataEditSettings added;
  added.addedFields.assign(MAX_ADDED_FIELDS + 1, ByteString{0x41});
  const DataEditProblem tooMany{R::AddedFieldCount, 0, 0, MAX_ADDED_FIELDS + 1, MAX_ADDED_FIELDS};
  EXPECT_EQ(DataEditProblems(added), std::vector<DataEditProblem>{tooMany});
}

TEST(DataEditRules, FieldsInUseCountLaterReferencesToo) {
  DataEditSettings settings;
  settings.formulas[CARD_KIND_CREDIT_CARD] = {FieldRef(0, 2), FieldRef(1, 5)};
  settings.formulas[CARD_KIND_CUSTOM] = {FieldRef(0, 7), FieldRef(2, 1)};
  const ByteString calling{FieldRef(0, 4), FieldRef(3, 3)};

  // Added fields: any track-0 entry of a stored or calling formula at or after the position.
  EXPECT_TRUE(AddedFieldInUse(settings, nullptr, 1));  // "0b" while "0c" is used
  EXPECT_TRUE(AddedFieldInUse(settings, nullptr, 7));  // the Custom formula's "0h"
  settings.formulas[CARD_KIND_CUSTOM] = {FieldRef(2, 1)};
  EXPECT_FALSE(AddedFieldInUse(settings, nullptr, 3));
  EXPECT_TRUE(AddedFieldInUse(settings, &calling, 3));  // only the editor's formula has "0e"
  EXPECT_FALSE(AddedFieldInUse(settings, &calling, 5));

  // Custom fields: only card-track entries of the Custom formulas; track 0 does not count.
  EXPECT_TRUE(CustomFieldInUse(settings, ByteString{}, 1));
  EXPECT_FALSE(CustomFieldInUse(settings, ByteString{}, 2));
  EXPECT_TRUE(CustomFieldInUse(settings, calling, 3));
  EXPECT_FALSE(CustomFieldInUse(settings, ByteString{FieldRef(0, 9)}, 4));
}

TEST(DataEditRules, DeletingACustomFieldRenumbersTheRestKeepingTracks) {
  ByteStringList fields{{TAG_BEFORE, FieldRef(1, 0), 1, 1, 'A'},
                        {TAG_BEFORE, FieldRef(1, 2), 1, 1, 'C'}};  // "2b" deleted before
  RenumberCustomFields(fields);
  EXPECT_EQ(fields[0][1], FieldRef(1, 0));
  EXPECT_EQ(fields[1][1], FieldRef(1, 1));
}

TEST(DataEditRules, CustomFieldRecordsAndRefusals) {
  auto input = [](CustomFieldRule rule) {
    CustomFieldInput in;
    in.rule = rule;
    in.track = 2;
    in.times1 = "2";
    in.string1 = "AB";
    in.times2 = "1";
    in.string2 = "?";
    in.offset = "3";
    in.length = "4";
    return in;
  };
  struct Case {
    CustomFieldRule rule;
    ByteString record;
  };
  const Case cases[] = {
      {CustomFieldRule::Before, {TAG_BEFORE, 0x45, 2, 2, 'A', 'B'}},
      {CustomFieldRule::Between, {TAG_BETWEEN, 0x45, 2, 2, 'A', 'B', 1, 1, '?'}},
      {CustomFieldRule::After, {TAG_AFTER, 0x45, 2, 3, 4, 2, 'A', 'B'}},
      {CustomFieldRule::Among, {TAG_AMONG, 0x45, 2, 2, 'A', 'B', 1, 1, '?', 3, 4}},
  };
  for (const Case& c : cases) {
    ByteString record;
    EXPECT_EQ(BuildCustomField(input(c.rule), 5, &record), CustomFieldCheck::Ok);
    EXPECT_EQ(record, c.record) << static_cast<int>(c.rule);
  }

  CustomFieldInput between = input(CustomFieldRule::Between);
  between.times2.clear();
  CustomFieldInput before = input(CustomFieldRule::Before);
  before.times2.clear();  // an edit the rule does not use may stay empty
  CustomFieldInput times = input(CustomFieldRule::Before);
  times.times1 = "257";  // one byte cannot hold it: refused, never stored as 1
  CustomFieldInput text = input(CustomFieldRule::Among);
  text.string2 = std::string(MAX_FIELD_STRING_BYTES + 1, 'x');
  ByteString record{0x99};
  EXPECT_EQ(BuildCustomField(between, 0, &record), CustomFieldCheck::EmptyInput);
  EXPECT_EQ(BuildCustomField(times, 0, &record), CustomFieldCheck::NumberTooLarge);
  EXPECT_EQ(BuildCustomField(text, 0, &record), CustomFieldCheck::StringTooLong);
  EXPECT_EQ(record, ByteString{0x99});
  EXPECT_EQ(BuildCustomField(before, 0, &record), CustomFieldCheck::Ok);

  // The longest strings still fit their length bytes and, in the largest record, the block.
  CustomFieldInput longest = input(CustomFieldRule::Among);
  longest.string1 = longest.string2 = std::string(MAX_FIELD_STRING_BYTES, 'x');
  ASSERT_EQ(BuildCustomField(longest, 0, &record), CustomFieldCheck::Ok);
  EXPECT_LE(record.size(), 255u);
}

TEST(DataEditRules, TypedNumbersFitOneByteOrAreRefused) {
  EXPECT_EQ(RecordNumber("0"), Byte{0});
  EXPECT_EQ(RecordNumber("255"), Byte{255});
  EXPECT_EQ(RecordNumber("007"), Byte{7});
  EXPECT_EQ(RecordNumber("abc"), Byte{0});
  EXPECT_EQ(RecordNumber("256"), std::nullopt);
  EXPECT_EQ(RecordNumber("300"), std::nullopt);
  EXPECT_EQ(RecordNumber("99999999999999999999"), std::nullopt);
  EXPECT_EQ(MatchStringRecord(3, 7, ByteString{'%', 'B'}),
            (ByteString{TAG_MATCH_STRING, 0x60, 7, 2, '%', 'B'}));
  EXPECT_EQ(LengthLimitRecord(1, 10, 5), (ByteString{TAG_LENGTH_LIMIT, 0x20, 10, 5}));
}

}  // namespace
}  // namespace tessaron
