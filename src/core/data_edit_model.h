#pragma once
// Data-edit records, limits, field catalogues and their text forms.

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_string.h"

namespace tessaron {

enum CardKind : int {
  CARD_KIND_CREDIT_CARD = 0,
  CARD_KIND_DMV = 1,
  CARD_KIND_AAMVA = 2,
  CARD_KIND_CUSTOM = 3,
};

constexpr int MAX_FORMULA_ITEMS = 150;
constexpr int MAX_SEND_ITEMS = 160;
constexpr int MAX_ADDED_FIELDS = 8;
constexpr int MAX_ADDED_FIELD_BYTES = 8;
constexpr int MAX_CUSTOM_FIELDS = 12;

// Record tags inside FuncID 0xFB and item kinds inside 0xFC.
constexpr Byte TAG_LENGTH_LIMIT = 0xF0;
constexpr Byte TAG_MATCH_STRING = 0xF1;
constexpr Byte TAG_BEFORE = 0xF2;
constexpr Byte TAG_BETWEEN = 0xF3;
constexpr Byte TAG_AFTER = 0xF4;
constexpr Byte TAG_AMONG = 0xF5;
constexpr Byte FORMULA_KIND_BASE = 0xE0;
constexpr Byte FORMULA_ITEM_END = 0xFF;

// Labels of a card kind: the page's radio caption, the formula list prefix (ends with a
// blank), the editor title and the name in the settings report. Kinds outside 0 to 3 give "".
const char* CardKindRadioCaption(int kind);
const char* CardKindListPrefix(int kind);
const char* CardKindEditorTitle(int kind);
const char* CardKindReportName(int kind);

// The fixed track-field list of a card kind and track (1 to 3); empty where there is none
// (Credit Card track 3, every Custom track, any other value).
const std::vector<const char*>& FieldCatalogue(int kind, int track);

// Notation of a formula of the given kind, with the kind's two-digit substitutions.
std::string FormulaText(const ByteString& formula, int kind);
// One-line description of a custom field; "" when the tag is not one of the four rules
// or the record is too short for what its bytes announce.
std::string CustomFieldText(const ByteString& field);
// "(0%c)" with the letter of position, then the field's bytes by escape name.
std::string AddedFieldText(const ByteString& field, int position);

}  // namespace tessaron
