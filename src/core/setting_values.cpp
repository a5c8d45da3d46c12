#include "core/setting_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include "core/data_edit_model.h"
#include "core/escape_names.h"
#include "core/settings_stream_walker.h"

namespace tessaron {

namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";
// A byte string in a field rule carries its length in one byte.
constexpr std::size_t MAX_RULE_TEXT = 255;
// Letters "a" to "z" name the first 26 fields of a track; later ones have no field name.
constexpr int FIELD_LETTERS = 26;
constexpr const char* FIELD_NAME_FORMS =
    "a track digit and a letter (1a), a two-digit catalogue name (10) or a raw byte (0x2a)";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Fail(ValueProblem* problem, std::string message, std::string path = std::string()) {
  problem->path = std::move(path);
  problem->message = std::move(message);
  return false;
}

// Puts the position of a list entry or the key of an object in front of a problem's path.
bool Inside(ValueProblem* problem, const std::string& step) {
  problem->path = "/" + step + problem->path;
  return false;
}

// Checks that an object has no key but the given ones.
bool OnlyKeys(const SettingJson& object, const std::vector<std::string_view>& keys,
              ValueProblem* problem) {
  for (const auto& [key, ignored] : object.items()) {
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    std::string expected;
    for (std::string_view allowed : keys) {
      expected += (expected.empty() ? "" : ", ") + std::string(allowed);
    }
    return Fail(problem, "unknown key; expected " + expected, "/" + key);
  }
  return true;
}

// ---- raw bytes: {"bytes": "f2 21 01 01 3d"} ----

std::string HexBytesText(const Byte* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += HEX_DIGITS[bytes[i] >> 4];
    text += HEX_DIGITS[bytes[i] & 0x0F];
  }
  return text;
}

SettingJson RawRecordValue(const Byte* bytes, std::size_t count) {
  SettingJson value = SettingJson::object();
  value["bytes"] = HexBytesText(bytes, count);
  return value;
}

bool ReadHexBytes(const SettingJson& value, ByteString* bytes, ValueProblem* problem) {
  if (!OnlyKeys(value, {"bytes"}, problem)) return false;
  const SettingJson& text = value["bytes"];
  const char* expected = "hexadecimal bytes separated by blanks expected (\"f0 20 05 14\")";
  if (!text.is_string()) return Fail(problem, expected, "/bytes");
  bytes->clear();
  const std::string& digits = text.get_ref<const std::string&>();
  for (std::size_t i = 0; i < digits.size();) {
    if (digits[i] == ' ') {
      ++i;
    } else if (i + 1 < digits.size() && HexValue(digits[i]) >= 0 && HexValue(digits[i + 1]) >= 0 &&
               (i + 2 == digits.size() || digits[i + 2] == ' ')) {
      bytes->push_back(static_cast<Byte>(HexValue(digits[i]) * 16 + HexValue(digits[i + 1])));
      i += 2;
    } else {
      return Fail(problem, expected, "/bytes");
    }
  }
  return true;
}

// ---- field rules: length limits, match strings, custom fields ----

// What the bytes of a rule record hold, one piece after the other: the track bits, a field
// name, a number, or a text after its length byte.
enum class RulePieceKind { Track, Field, Number, Text };
struct RulePiece {
  const char* key;
  RulePieceKind kind;
};
struct RuleLayout {
  Byte tag;
  const char* rule;  // the custom field's rule word; nullptr for a track's limit or match
  std::span<const RulePiece> pieces;  // the bytes after the tag, in order
};

using enum RulePieceKind;
constexpr RulePiece LENGTH_LIMIT_PIECES[] = {{"", Track}, {"min", Number}, {"max", Number}};
constexpr RulePiece MATCH_STRING_PIECES[] = {{"", Track}, {"offset", Number}, {"text", Text}};
constexpr RulePiece BEFORE_PIECES[] = {{"field", Field}, {"times", Number}, {"text", Text}};
constexpr RulePiece BETWEEN_PIECES[] = {{"field", Field}, {"times1", Number}, {"text1", Text},
                                        {"times2", Number}, {"text2", Text}};
constexpr RulePiece AFTER_PIECES[] = {{"field", Field},   {"times", Number}, {"offset", Number},
                                      {"length", Number}, {"text", Text}};
constexpr RulePiece AMONG_PIECES[] = {{"field", Field},   {"times1", Number}, {"text1", Text},
                                      {"times2", Number}, {"text2", Text},    {"offset", Number},
                                      {"length", Number}};

constexpr RuleLayout SLOT_LAYOUTS[] = {
    {TAG_LENGTH_LIMIT, nullptr, LENGTH_LIMIT_PIECES},
    {TAG_MATCH_STRING, nullptr, MATCH_STRING_PIECES},
};
constexpr RuleLayout CUSTOM_FIELD_LAYOUTS[] = {
    {TAG_BEFORE, "before", BEFORE_PIECES},
    {TAG_BETWEEN, "between", BETWEEN_PIECES},
    {TAG_AFTER, "after", AFTER_PIECES},
    {TAG_AMONG, "among", AMONG_PIECES},
};

const RuleLayout* LayoutOfTag(Byte tag) {
  for (const RuleLayout& layout : SLOT_LAYOUTS) {
    if (layout.tag == tag) return &layout;
  }
  for (const RuleLayout& layout : CUSTOM_FIELD_LAYOUTS) {
    if (layout.tag == tag) return &layout;
  }
  return nullptr;
}

Byte TrackBits(int track) { return static_cast<Byte>((track + 1) << 5); }

bool ReadRuleObject(const SettingJson& object, const RuleLayout& layout, int track,
                    ByteString* record, ValueProblem* problem);

// The object of a record that has exactly the layout's shape, and that reads back as the same
// record; nothing for any other record.
std::optional<SettingJson> RuleObject(const ByteString& record, const RuleLayout& layout,
                                      int track) {
  if (record.empty() || record[0] != layout.tag) return std::nullopt;
  SettingJson object = SettingJson::object();
  if (layout.rule != nullptr) object["rule"] = layout.rule;
  std::size_t at = 1;
  for (const RulePiece& piece : layout.pieces) {
    if (at >= record.size()) return std::nullopt;
    const Byte byte = record[at++];
    switch (piece.kind) {
      case Track:
        if (byte != TrackBits(track)) return std::nullopt;
        break;
      case Field:
        object[piece.key] = FieldRefText(byte, CARD_KIND_CUSTOM);
        break;
      case Number:
        object[piece.key] = byte;
        break;
      case Text:
        if (byte == 0 || record.size() - at < byte) return std::nullopt;
        object[piece.key] = BytesToExactText(ByteString(
            record.begin() + static_cast<long>(at), record.begin() + static_cast<long>(at + byte)));
        at += byte;
        break;
    }
  }
  ByteString rebuilt;
  ValueProblem ignored;
  if (at != record.size() || !ReadRuleObject(object, layout, track, &rebuilt, &ignored) ||
      rebuilt != record) {
    return std::nullopt;
  }
  return object;
}

bool ReadRuleObject(const SettingJson& object, const RuleLayout& layout, int track,
                    ByteString* record, ValueProblem* problem) {
  std::vector<std::string_view> keys;
  if (layout.rule != nullptr) keys.push_back("rule");
  for (const RulePiece& piece : layout.pieces) {
    if (piece.kind != Track) keys.push_back(piece.key);
  }
  if (!OnlyKeys(object, keys, problem)) return false;
  record->assign(1, layout.tag);
  for (const RulePiece& piece : layout.pieces) {
    if (piece.kind == Track) {
      record->push_back(TrackBits(track));
      continue;
    }
    if (!object.contains(piece.key))
      return Fail(problem, std::string("missing \"") + piece.key + "\"");
    const SettingJson& value = object[piece.key];
    bool ok = true;
    if (piece.kind == Field) {
      Byte ref = 0;
      ok = value.is_string() &&
           ParseFieldRef(value.get_ref<const std::string&>(), CARD_KIND_CUSTOM, &ref);
      if (!ok) Fail(problem, std::string("a field name expected: ") + FIELD_NAME_FORMS);
      record->push_back(ref);
    } else if (piece.kind == Number) {
      int number = 0;
      ok = ReadNumber(value, 0, 255, &number, problem);
      record->push_back(static_cast<Byte>(number));
    } else {
      ByteString text;
      ok = ReadByteString(value, 1, MAX_RULE_TEXT, &text, problem);
      record->push_back(static_cast<Byte>(text.size()));
      record->insert(record->end(), text.begin(), text.end());
    }
    if (!ok) return Inside(problem, piece.key);
  }
  return true;
}

// Raw records are taken as they stand when they are whole records of the right kind, so that
// the stream they go into is read back the same: each record's own bytes give its length.
bool CheckRawRecords(const ByteString& bytes, Byte firstTag, Byte lastTag, int track,
                     ValueProblem* problem) {
  if (bytes.empty()) return Fail(problem, "no bytes", "/bytes");
  for (std::size_t at = 0; at < bytes.size();) {
    const Byte tag = bytes[at];
    const std::size_t length = FieldRuleLength(bytes.data() + at, bytes.size() - at);
    if (tag < firstTag || tag > lastTag || length == 0 || length > bytes.size() - at ||
        (track >= 0 && (length < 2 || (bytes[at + 1] >> 5) != track + 1))) {
      return Fail(problem, "the bytes are no record of this setting", "/bytes");
    }
    at += length;
    if (track < 0 && at != bytes.size()) {
      return Fail(problem, "the bytes hold more than one record", "/bytes");
    }
  }
  return true;
}

bool IsRawObject(const SettingJson& value) { return value.is_object() && value.contains("bytes"); }

// Command lines and settings files are UTF-8 text; the record holds one byte per character,
// as the window's fields do. A character of the Latin-1 range becomes its one byte (Ä is
// 0xC4); any other character, and any byte that is no UTF-8, is refused.
bool Utf8ToLatin1(const std::string& text, std::string* bytes, std::string* error) {
  constexpr const char* HINT = "; write a byte as \\xHH";
  bytes->clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      *bytes += static_cast<char>(lead);
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    bool whole = length != 0 && lead <= 0xF4 && i + length <= text.size();
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; whole && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      whole = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!whole || (length == 2 && code < 0x80)) {
      *error = "the byte " + RawByteText(lead) + " is no UTF-8 text" + HINT;
      return false;
    }
    if (code > 0xFF) {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      *error = "the character \"" + text.substr(i, length) + "\" (" + name +
               ") is not one byte" + HINT;
      return false;
    }
    *bytes += static_cast<char>(code);
    i += length;
  }
  return true;
}

}  // namespace

std::string CompactJson(const SettingJson& value) {
  std::string text;
  if (value.is_array()) {
    text += '[';
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (i > 0) text += ", ";
      text += CompactJson(value[i]);
    }
    return text + ']';
  }
  if (value.is_object()) {
    text += '{';
    for (const auto& [key, item] : value.items()) {
      if (text.size() > 1) text += ", ";
      text += SettingJson(key).dump(-1, ' ', false, SettingJson::error_handler_t::replace);
      text += ": " + CompactJson(item);
    }
    return text + '}';
  }
  return value.dump(-1, ' ', false, SettingJson::error_handler_t::replace);
}

bool ParseJson(const std::string& text, SettingJson* value, std::string* error) {
  // A settings file nests four deep; far deeper input is refused before it is parsed.
  constexpr int MAX_DEPTH = 16;
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if ((c == '[' || c == '{') && ++depth > MAX_DEPTH) {
      *error = "lists and objects nest deeper than " + std::to_string(MAX_DEPTH);
      return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  // A key given twice in one object would leave one of its values unseen by a reviewer.
  std::vector<std::set<std::string>> objects;
  std::string twice;
  const auto watch = [&objects, &twice](int, SettingJson::parse_event_t event,
                                        SettingJson& parsed) {
    if (event == SettingJson::parse_event_t::object_start) objects.emplace_back();
    if (event == SettingJson::parse_event_t::object_end) objects.pop_back();
    if (event == SettingJson::parse_event_t::key &&
        !objects.back().insert(parsed.get<std::string>()).second && twice.empty()) {
      twice = parsed.get<std::string>();
    }
    return true;
  };
  try {
    *value = SettingJson::parse(text, watch);
    if (twice.empty()) return true;
    *error = "the key \"" + twice + "\" is given twice in one object";
    return false;
  } catch (const SettingJson::exception& failure) {
    // "[json.exception.parse_error.101] parse error at line 2, column 5: ..." without its tag.
    std::string message = failure.what();
    const std::size_t tagEnd = message.find("] ");
    *error = tagEnd == std::string::npos ? message : message.substr(tagEnd + 2);
    return false;
  }
}

std::string RawByteText(Byte value) {
  return std::string("0x") + HEX_DIGITS[value >> 4] + HEX_DIGITS[value & 0x0F];
}

bool ParseRawByte(std::string_view text, Byte* value) {
  if (text.size() != 4 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  const int high = HexValue(text[2]);
  const int low = HexValue(text[3]);
  if (high < 0 || low < 0) return false;
  *value = static_cast<Byte>(high * 16 + low);
  return true;
}

namespace {

// A value as a message quotes it: a whole number too large for an integer (kept as a floating
// point number) with all its digits, not in exponent form.
std::string QuotedValue(const SettingJson& value) {
  if (value.is_number_float()) {
    const double number = value.get<double>();
    if (std::isfinite(number) && std::floor(number) == number && std::fabs(number) < 1e21) {
      char digits[32];
      std::snprintf(digits, sizeof digits, "%.0f", number);
      return digits;
    }
  }
  return CompactJson(value);
}

}  // namespace

bool ReadNumber(const SettingJson& value, int minimum, int maximum, int* number,
                ValueProblem* problem) {
  const std::string expected = "a whole number from " + std::to_string(minimum) + " to " +
                               std::to_string(maximum) + " expected, not " + QuotedValue(value);
  if (value.is_number_unsigned()) {
    const auto n = value.get<std::uint64_t>();
    if (n > static_cast<std::uint64_t>(maximum) || n < static_cast<std::uint64_t>(minimum)) {
      return Fail(problem, expected);
    }
    *number = static_cast<int>(n);
    return true;
  }
  if (value.is_number_integer()) {
    const auto n = value.get<std::int64_t>();
    if (n < minimum || n > maximum) return Fail(problem, expected);
    *number = static_cast<int>(n);
    return true;
  }
  return Fail(problem, expected);
}

bool ReadByteString(const SettingJson& value, std::size_t minimum, std::size_t maximum,
                    ByteString* bytes, ValueProblem* problem) {
  const std::string limits = std::to_string(minimum) + " to " + std::to_string(maximum);
  if (!value.is_string()) {
    return Fail(problem,
                "a byte string of " + limits + " bytes expected, not " + CompactJson(value));
  }
  std::string error;
  std::string latin1;
  if (!Utf8ToLatin1(value.get_ref<const std::string&>(), &latin1, &error) ||
      !TextToBytes(latin1, bytes, &error)) {
    return Fail(problem, error);
  }
  if (bytes->size() < minimum || bytes->size() > maximum) {
    return Fail(problem, "a byte string of " + limits + " bytes expected; this one has " +
                             std::to_string(bytes->size()));
  }
  return true;
}

std::string FieldRefText(Byte ref, int kind) {
  if ((ref & 0x1F) >= FIELD_LETTERS) return RawByteText(ref);
  return FormulaText(ByteString{ref}, kind);
}

bool ParseFieldRef(std::string_view text, int kind, Byte* ref) {
  if (ParseRawByte(text, ref)) return true;
  if (text.size() != 2 || text[0] < '0' || text[0] > '7') return false;
  if (text[1] >= 'a' && text[1] < 'a' + FIELD_LETTERS) {
    *ref = static_cast<Byte>(((text[0] - '0') << 5) | (text[1] - 'a'));
    return true;
  }
  // Two digits: a catalogue position that the kind prints that way.
  for (int byte = 0; byte < 256; ++byte) {
    if ((byte & 0x1F) < FIELD_LETTERS && FieldRefText(static_cast<Byte>(byte), kind) == text) {
      *ref = static_cast<Byte>(byte);
      return true;
    }
  }
  return false;
}

SettingJson FormulaValue(const ByteString& formula, int kind) {
  SettingJson value = SettingJson::array();
  for (Byte ref : formula) value.push_back(FieldRefText(ref, kind));
  return value;
}

bool ReadFormula(const SettingJson& value, int kind, ByteString* formula, ValueProblem* problem) {
  if (!value.is_array()) return Fail(problem, "a list of field names expected");
  formula->clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    Byte ref = 0;
    if (!value[i].is_string() ||
        !ParseFieldRef(value[i].get_ref<const std::string&>(), kind, &ref)) {
      return Fail(
          problem,
          "no field name: " + CompactJson(value[i]) + "; a field name is " + FIELD_NAME_FORMS,
          "/" + std::to_string(i));
    }
    formula->push_back(ref);
  }
  return true;
}

SettingJson AddedFieldsValue(const ByteStringList& fields) {
  SettingJson value = SettingJson::array();
  for (const ByteString& field : fields) value.push_back(BytesToExactText(field));
  return value;
}

bool ReadAddedFields(const SettingJson& value, ByteStringList* fields, ValueProblem* problem) {
  if (!value.is_array()) return Fail(problem, "a list of byte strings expected");
  if (value.size() > static_cast<std::size_t>(MAX_ADDED_FIELDS)) {
    return Fail(problem, "at most " + std::to_string(MAX_ADDED_FIELDS) + " added fields, not " +
                             std::to_string(value.size()));
  }
  ByteStringList read;
  for (std::size_t i = 0; i < value.size(); ++i) {
    read.emplace_back();
    if (!ReadByteString(value[i], 1, MAX_ADDED_FIELD_BYTES, &read.back(), problem)) {
      return Inside(problem, std::to_string(i));
    }
  }
  *fields = std::move(read);
  return true;
}

SettingJson RuleSlotValue(const ByteString& slot, Byte tag, int track) {
  if (slot.empty()) return nullptr;
  if (auto object = RuleObject(slot, *LayoutOfTag(tag), track)) return *object;
  return RawRecordValue(slot.data(), slot.size());
}

bool ReadRuleSlot(const SettingJson& value, Byte tag, int track, ByteString* slot,
                  ValueProblem* problem) {
  if (value.is_null()) {
    slot->clear();
    return true;
  }
  if (!value.is_object()) return Fail(problem, "null or an object expected");
  ByteString read;
  if (IsRawObject(value)) {
    if (!ReadHexBytes(value, &read, problem) || !CheckRawRecords(read, tag, tag, track, problem)) {
      return false;
    }
  } else if (!ReadRuleObject(value, *LayoutOfTag(tag), track, &read, problem)) {
    return false;
  }
  *slot = std::move(read);
  return true;
}

SettingJson CustomFieldsValue(const ByteStringList& fields) {
  SettingJson value = SettingJson::array();
  for (const ByteString& field : fields) {
    const RuleLayout* layout = field.empty() ? nullptr : LayoutOfTag(field[0]);
    std::optional<SettingJson> object;
    if (layout != nullptr && layout->rule != nullptr) object = RuleObject(field, *layout, 0);
    value.push_back(object ? *object : RawRecordValue(field.data(), field.size()));
  }
  return value;
}

bool ReadCustomFields(const SettingJson& value, ByteStringList* fields, ValueProblem* problem) {
  if (!value.is_array()) return Fail(problem, "a list of custom fields expected");
  ByteStringList read;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const SettingJson& field = value[i];
    read.emplace_back();
    bool ok = false;
    if (!field.is_object()) {
      ok = Fail(problem, "an object expected");
    } else if (IsRawObject(field)) {
      ok = ReadHexBytes(field, &read.back(), problem) &&
           CheckRawRecords(read.back(), TAG_BEFORE, TAG_AMONG, -1, problem);
    } else {
      const RuleLayout* layout = nullptr;
      std::string rule = field.contains("rule") && field["rule"].is_string()
                             ? field["rule"].get<std::string>()
                             : std::string();
      for (char& c : rule) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      for (const RuleLayout& each : CUSTOM_FIELD_LAYOUTS) {
        if (rule == each.rule) layout = &each;
      }
      ok = layout != nullptr
               ? ReadRuleObject(field, *layout, 0, &read.back(), problem)
               : Fail(problem, "\"rule\" must be before, between, after or among", "/rule");
    }
    if (!ok) return Inside(problem, std::to_string(i));
  }
  *fields = std::move(read);
  return true;
}

}  // namespace tessaron
