#include "core/data_edit_model.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "core/escape_names.h"

namespace tessaron {

namespace {

struct CardKindLabels {
  const char* radioCaption;
  const char* listPrefix;
  const char* editorTitle;
  const char* reportName;
};

constexpr CardKindLabels CARD_KIND_LABELS[] = {
    {"Credit Card", "Credit Card: ", "Credit Card Sent Sequence(Formula)", "CreditCard"},
    {"CDL", "DMV: ", "DMV Sent Sequence(Formula)", "CDL"},
    {"AAMVA", "AAMVA: ", "AAMVA Sent Sequence(Formula)", "AAMVA"},
    {"Custom", "Custom: ", "Customized Card Sent Sequence(Formula)", "Customized"},
};

bool IsCardKind(int kind) { return kind >= CARD_KIND_CREDIT_CARD && kind <= CARD_KIND_CUSTOM; }

// Track-field lists as the formula editors show them; the position of an entry is the
// field index of its FieldRef.
const std::vector<const char*> CREDIT_CARD_TRACK1 = {
    "(1a)Start Sentinel", "(1b)Format Code\"B\"", "(1c)Account Code", "(1d)Separator\"^\"",
    "(1e)Cardholder Name", "(1f)Separator\"^\"", "(1g)Expiration Date",
    "(1h)Optional Discretionary data", "(1i)End Sentinel", "(1j)LRC", "(10)First Name",
    "(11)Last Name",
};

const std::vector<const char*> CREDIT_CARD_TRACK2 = {
    "(2a)Start Sentinel", "(2b)Account Number", "(2c)Separator \"=\"",
    "(2d)Expiration date \"YYMM\"", "(2e)Optional discretionary data", "(2f)End Sentinel",
    "(2g)LRC", "(20)Expiration Year(YY)", "(21)Expiration Month(MM)",
};

const std::vector<const char*> DMV_TRACK1 = {
    "(1a)Start Sentinel", "(1b)Format Type", "(1c)Name Line 1", "(1d)Name Line 2",
    "(1e)Address Line 1", "(1f)City", "(1g)End Sentinel", "(1h)LRC",
};

const std::vector<const char*> DMV_TRACK2 = {
    "(2a)Start Sentinel", "(2b)(ANSI User ID)ID No.", "(2c)Field Separator \"=\"",
    "(2d)Expiration Date", "(2e)Field Separator \"=\"", "(2f)Discretionary Data",
    "(2g)End Sentinel", "(2h)LRC", "(20)DL/ID Alpha Translated", "(21)DL/ID Alpha",
    "(22)DL/ID digit number",
};

const std::vector<const char*> DMV_TRACK3 = {
    "(3a)Start Sentinel", "(3b)Classs", "(3c)Endorsements", "(3d)State Code",
    "(3e)Zip Code", "(3f)Sex", "(3g)Hair", "(3h)Eyes", "(3i)Height", "(3j)Weight",
    "(3k)Restrictions", "(3l)Issue Date", "(3m)Office", "(3n)Employee ID", "(3o)LRE ID",
    "(3p)Fee Due Year", "(3q)Address Line 2", "(3r)Reserved Space", "(3s)End Sentinel",
    "(3t)LRC",
};

const std::vector<const char*> AAMVA_TRACK1 = {
    "(1a)Start Sentinel", "(1b)State or Province", "(1c)City", "(1d)Name", "(1e)Address",
    "(1f)End Sentinel", "(1g)LRC", "(10)First Name", "(11)Middle Name", "(12)Last Name",
};

const std::vector<const char*> AAMVA_TRACK2 = {
    "(2a)Start Sentinel", "(2b)ANSI User Code", "(2c))ANSI User ID.",
    "(2d)Jurisdiction ID/DL", "(2e)Expiration Date", "(2f)Birthdate",
    "(2g)Remainder of Jurisdiction ID/DL", "(2h)End Sentinel", "(2i)LRC",
    "(20)DL/ID Alpha Translated", "(21)DL/ID Alpha", "(22)DL/ID digit number",
};

const std::vector<const char*> AAMVA_TRACK3 = {
    "(3a)Start Sentinel", "(3b)Template Version #", "(3c)Security Version #",
    "(3d)Postal Code", "(3e)Class", "(3f)Restrictions", "(3g)Endorsements", "(3h)Sex",
    "(3i)Height", "(3j)Weight", "(3k)Hair Color", "(3l)Eye Color", "(3m)ID #",
    "(3n)Reserved Space", "(3o)Error Correction", "(3p)Security", "(3q)End Sentinel",
    "(3r)LRC",
};

const std::vector<const char*> NO_FIELDS;

using Substitution = std::pair<std::string_view, std::string_view>;

// Positions after the lettered fields of a track print with two digits, as the
// catalogues show them. Applied in this order, each to the whole text.
constexpr Substitution CREDIT_CARD_SUBSTITUTIONS[] = {
    {"1k", "10"}, {"1l", "11"}, {"2h", "20"}, {"2i", "21"}};
constexpr Substitution DMV_SUBSTITUTIONS[] = {{"2i", "20"}, {"2j", "21"}, {"2k", "22"}};
constexpr Substitution AAMVA_SUBSTITUTIONS[] = {{"1h", "10"}, {"1i", "11"}, {"1j", "12"},
                                                {"2j", "20"}, {"2k", "21"}, {"2l", "22"}};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::size_t pos = text.find(from);
  while (pos != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos = text.find(from, pos + to.size());
  }
}

template <std::size_t N>
void ApplySubstitutions(std::string& text, const Substitution (&substitutions)[N]) {
  for (const auto& [from, to] : substitutions) ReplaceAll(text, from, to);
}

// "(T" + letter + ")": the notation of a field's own FieldRef byte.
std::string FieldRefNotation(Byte fieldRef) {
  std::string text = "(";
  text += std::to_string(fieldRef >> 5);
  text += static_cast<char>('a' + (fieldRef & 0x1F));
  text += ')';
  return text;
}

// Reads the parameters of a custom field record front to back; every read is checked
// against the record's length, so a short record is noticed instead of overrun.
class RecordReader {
 public:
  RecordReader(const ByteString& record, std::size_t pos) : record_(record), pos_(pos) {}

  bool Number(int* value) {
    if (pos_ >= record_.size()) return false;
    *value = record_[pos_++];
    return true;
  }

  // A length byte followed by that many characters.
  bool String(std::string* value) {
    int len = 0;
    if (!Number(&len)) return false;
    if (record_.size() - pos_ < static_cast<std::size_t>(len)) return false;
    value->assign(record_.begin() + static_cast<std::ptrdiff_t>(pos_),
                  record_.begin() + static_cast<std::ptrdiff_t>(pos_ + len));
    pos_ += static_cast<std::size_t>(len);
    return true;
  }

 private:
  const ByteString& record_;
  std::size_t pos_;
};

std::string Quoted(const std::string& text, int times) {
  return "\"" + text + "\"(" + std::to_string(times) + ")";
}

}  // namespace

const char* CardKindRadioCaption(int kind) {
  return IsCardKind(kind) ? CARD_KIND_LABELS[kind].radioCaption : "";
}

const char* CardKindListPrefix(int kind) {
  return IsCardKind(kind) ? CARD_KIND_LABELS[kind].listPrefix : "";
}

const char* CardKindEditorTitle(int kind) {
  return IsCardKind(kind) ? CARD_KIND_LABELS[kind].editorTitle : "";
}

const char* CardKindReportName(int kind) {
  return IsCardKind(kind) ? CARD_KIND_LABELS[kind].reportName : "";
}

const std::vector<const char*>& FieldCatalogue(int kind, int track) {
  switch (kind) {
    case CARD_KIND_CREDIT_CARD:
      if (track == 1) return CREDIT_CARD_TRACK1;
      if (track == 2) return CREDIT_CARD_TRACK2;
      break;
    case CARD_KIND_DMV:
      if (track == 1) return DMV_TRACK1;
      if (track == 2) return DMV_TRACK2;
      if (track == 3) return DMV_TRACK3;
      break;
    case CARD_KIND_AAMVA:
      if (track == 1) return AAMVA_TRACK1;
      if (track == 2) return AAMVA_TRACK2;
      if (track == 3) return AAMVA_TRACK3;
      break;
    default:
      break;
  }
  return NO_FIELDS;
}

std::string FormulaText(const ByteString& formula, int kind) {
  std::string text;
  text.reserve(formula.size() * 2);
  for (Byte ref : formula) {
    text += static_cast<char>('0' + (ref >> 5));
    text += static_cast<char>('a' + (ref & 0x1F));
  }
  // Every entry is a digit and a letter, so a pattern can only match a whole entry.
  switch (kind) {
    case CARD_KIND_CREDIT_CARD:
      ApplySubstitutions(text, CREDIT_CARD_SUBSTITUTIONS);
      break;
    case CARD_KIND_DMV:
      ApplySubstitutions(text, DMV_SUBSTITUTIONS);
      break;
    case CARD_KIND_AAMVA:
      ApplySubstitutions(text, AAMVA_SUBSTITUTIONS);
      break;
    default:
      break;
  }
  return text;
}

std::string CustomFieldText(const ByteString& field) {
  if (field.size() < 2) return "";
  const Byte tag = field[0];
  const std::string head = FieldRefNotation(field[1]);
  RecordReader reader(field, 2);

  switch (tag) {
    case TAG_BEFORE: {
      int times = 0;
      std::string text;
      if (!(reader.Number(&times) && reader.String(&text))) return "";
      return head + "Before: " + Quoted(text, times);
    }
    case TAG_BETWEEN: {
      int times1 = 0;
      int times2 = 0;
      std::string text1;
      std::string text2;
      if (!(reader.Number(&times1) && reader.String(&text1) && reader.Number(&times2) &&
            reader.String(&text2))) {
        return "";
      }
      return head + "Between: " + Quoted(text1, times1) + " and " + Quoted(text2, times2);
    }
    case TAG_AFTER: {
      int times = 0;
      int offset = 0;
      int length = 0;
      std::string text;
      if (!(reader.Number(&times) && reader.Number(&offset) && reader.Number(&length) &&
            reader.String(&text))) {
        return "";
      }
      return head + "After: " + Quoted(text, times) + " offset(" + std::to_string(offset) +
             ") length(" + std::to_string(length) + ")";
    }
    case TAG_AMONG: {
      int times1 = 0;
      int times2 = 0;
      int offset = 0;
      int length = 0;
      std::string text1;
      std::string text2;
      if (!(reader.Number(&times1) && reader.String(&text1) && reader.Number(&times2) &&
            reader.String(&text2) && reader.Number(&offset) && reader.Number(&length))) {
        return "";
      }
      return head + "Among: " + Quoted(text1, times1) + "," + Quoted(text2, times2) +
             " offset" + std::to_string(offset) + " length" + std::to_string(length);
    }
    default:
      return "";
  }
}

std::string AddedFieldText(const ByteString& field, int position) {
  std::string text = "(0";
  text += static_cast<char>('a' + position);
  text += ')';
  return text + BytesToText(field);
}

}  // namespace tessaron
