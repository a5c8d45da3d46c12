#include "core/escape_names.h"

#include <array>
#include <string_view>

namespace tessaron {

namespace {

constexpr std::int32_t NameLength(const char* name) {
  std::int32_t n = 0;
  while (name[n] != '\0') ++n;
  return n;
}

constexpr CharNameEntry Entry(std::uint32_t code, const char* name) {
  return CharNameEntry{code, name, NameLength(name)};
}

// The order is also the order of every "Non-Printable Characters" drop-down list.
// "\bs" and "\esc" occur twice; lookups go from code to name, so the first row wins.
constexpr std::array<CharNameEntry, CHAR_NAME_COUNT> CHAR_NAME_TABLE = {{
    // ASCII control characters 0x00 to 0x1F
    Entry(0x00, "\\nul"), Entry(0x01, "\\soh"), Entry(0x02, "\\stx"), Entry(0x03, "\\etx"),
    Entry(0x04, "\\eot"), Entry(0x05, "\\enq"), Entry(0x06, "\\ack"), Entry(0x07, "\\bel"),
    Entry(0x08, "\\bs"), Entry(0x09, "\\ht"), Entry(0x0A, "\\lf"), Entry(0x0B, "\\vt"),
    Entry(0x0C, "\\ff"), Entry(0x0D, "\\cr"), Entry(0x0E, "\\so"), Entry(0x0F, "\\si"),
    Entry(0x10, "\\dle"), Entry(0x11, "\\dc1"), Entry(0x12, "\\dc2"), Entry(0x13, "\\dc3"),
    Entry(0x14, "\\dc4"), Entry(0x15, "\\nak"), Entry(0x16, "\\syn"), Entry(0x17, "\\etb"),
    Entry(0x18, "\\can"), Entry(0x19, "\\em"), Entry(0x1A, "\\sub"), Entry(0x1B, "\\esc"),
    Entry(0x1C, "\\fs"), Entry(0x1D, "\\gs"), Entry(0x1E, "\\rs"), Entry(0x1F, "\\us"),
    // Function keys F1 to F12
    Entry(0x81, "\\f1"), Entry(0x82, "\\f2"), Entry(0x83, "\\f3"), Entry(0x84, "\\f4"),
    Entry(0x85, "\\f5"), Entry(0x86, "\\f6"), Entry(0x87, "\\f7"), Entry(0x88, "\\f8"),
    Entry(0x89, "\\f9"), Entry(0x8A, "\\fa"), Entry(0x8B, "\\fb"), Entry(0x8C, "\\fc"),
    // Cursor and editing keys
    Entry(0x8D, "\\home"), Entry(0x8E, "\\end"), Entry(0x8F, "\\right"), Entry(0x90, "\\left"),
    Entry(0x91, "\\up"), Entry(0x92, "\\down"), Entry(0x93, "\\pgup"), Entry(0x94, "\\pgdn"),
    Entry(0x95, "\\tab"), Entry(0x96, "\\btab"), Entry(0x97, "\\esc"), Entry(0x98, "\\enter"),
    Entry(0x99, "\\num_enter"), Entry(0x9A, "\\del"), Entry(0x9B, "\\ins"), Entry(0x9C, "\\bs"),
    Entry(0x9D, "\\sp"), Entry(0x9E, "\\ps"),
    // Control keys
    Entry(0x9F, "\\ctr1"), Entry(0xA0, "\\ctr2"), Entry(0xA1, "\\ctr3"),
    // Left and right modifiers, make and break codes
    Entry(0xA2, "\\l_ctrl_bk"), Entry(0xA3, "\\l_ctrl_mk"), Entry(0xA4, "\\l_shift_bk"),
    Entry(0xA5, "\\l_shift_mk"), Entry(0xA6, "\\l_windows"), Entry(0xA7, "\\l_alt_bk"),
    Entry(0xA8, "\\l_alt_mk"), Entry(0xA9, "\\r_ctrl_bk"), Entry(0xAA, "\\r_ctrl_mk"),
    Entry(0xAB, "\\r_shift_bk"), Entry(0xAC, "\\r_shift_mk"), Entry(0xAD, "\\r_windows"),
    Entry(0xAE, "\\r_alt_bk"), Entry(0xAF, "\\r_alt_mk"),
    // Numeric pad
    Entry(0xB0, "\\num_lock"), Entry(0xB1, "\\num0"), Entry(0xB2, "\\num1"),
    Entry(0xB3, "\\num2"), Entry(0xB4, "\\num3"), Entry(0xB5, "\\num4"), Entry(0xB6, "\\num5"),
    Entry(0xB7, "\\num6"), Entry(0xB8, "\\num7"), Entry(0xB9, "\\num8"), Entry(0xBA, "\\num9"),
    Entry(0xBB, "\\num_home"), Entry(0xBC, "\\num_pgup"), Entry(0xBD, "\\num_pgdn"),
    Entry(0xBE, "\\num_end"), Entry(0xBF, "\\num_up"), Entry(0xC0, "\\num_right"),
    Entry(0xC1, "\\num_down"), Entry(0xC2, "\\num_left"),
    // System keys and the rest of the numeric pad
    Entry(0xC3, "\\prt_sc"), Entry(0xC4, "\\sysrq"), Entry(0xC5, "\\scroll"),
    Entry(0xC6, "\\menu"), Entry(0xC7, "\\break"), Entry(0xC8, "\\caps_lock"),
    Entry(0xC9, "\\num_/"), Entry(0xCA, "\\num_*"), Entry(0xCB, "\\num_-"),
    Entry(0xCC, "\\num_+"), Entry(0xCD, "\\num_del"), Entry(0xCE, "\\num_ins"),
    // Carriage return and line feed as one key
    Entry(0xD1, "\\cr_lf"),
}};

static_assert(CHAR_NAME_TABLE.back().code == 0xD1, "every row of the table is filled");

bool IsRow(int row) { return row >= 0 && row < CHAR_NAME_COUNT; }

constexpr char HEX_DIGITS[] = "0123456789abcdef";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The row of the longest name that text starts with; -1 when it starts with none.
int LongestNameAt(std::string_view text) {
  int best = -1;
  for (int row = 0; row < CHAR_NAME_COUNT; ++row) {
    const std::string_view name = CHAR_NAME_TABLE[row].name;
    if (text.starts_with(name) &&
        (best < 0 || static_cast<std::int32_t>(name.size()) > CHAR_NAME_TABLE[best].nameLength)) {
      best = row;
    }
  }
  return best;
}

// The name that stands for value in the exact text: its row's name when that name reads
// back as value (a shared name reads as the first row that has it); else nullptr.
const char* ExactName(Byte value) {
  int row = 0;
  if (!FindCharName(value, &row)) return nullptr;
  const int readBack = LongestNameAt(CHAR_NAME_TABLE[row].name);
  return CHAR_NAME_TABLE[readBack].code == value ? CHAR_NAME_TABLE[row].name : nullptr;
}

// Whether a name followed by c begins a longer name.
bool RunsOn(std::string_view name, char c) {
  for (const CharNameEntry& entry : CHAR_NAME_TABLE) {
    const std::string_view other = entry.name;
    if (other.size() > name.size() && other.starts_with(name) && other[name.size()] == c) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool FindCharName(Byte value, int* row) {
  for (int i = 0; i < CHAR_NAME_COUNT; ++i) {
    if ((CHAR_NAME_TABLE[i].code & 0xFF) == value) {
      if (row != nullptr) *row = i;
      return true;
    }
  }
  return false;
}

std::int32_t CharNameLength(int row) { return IsRow(row) ? CHAR_NAME_TABLE[row].nameLength : 0; }

const char* CharNameAt(int row) { return IsRow(row) ? CHAR_NAME_TABLE[row].name : ""; }

Byte CharCodeAt(int row) {
  return IsRow(row) ? static_cast<Byte>(CHAR_NAME_TABLE[row].code & 0xFF) : 0;
}

int CharNameCount() { return CHAR_NAME_COUNT; }

std::string CharToText(Byte value) {
  int row = 0;
  if (FindCharName(value, &row)) return CHAR_NAME_TABLE[row].name;
  return std::string(1, static_cast<char>(value));
}

std::string BytesToText(const ByteString& bytes) {
  std::string text;
  for (Byte b : bytes) text += CharToText(b);
  return text;
}

std::string BytesToExactText(const ByteString& bytes) {
  std::string text;
  const char* previousName = nullptr;
  for (Byte b : bytes) {
    const char* name = ExactName(b);
    const bool printable = b >= 0x20 && b < 0x7F;
    if (name != nullptr) {
      text += name;
    } else if (b == '\\') {
      text += "\\\\";
    } else if (printable &&
               (previousName == nullptr || !RunsOn(previousName, static_cast<char>(b)))) {
      text += static_cast<char>(b);
    } else {
      text += "\\x";
      text += HEX_DIGITS[b >> 4];
      text += HEX_DIGITS[b & 0x0F];
    }
    previousName = name;
  }
  return text;
}

bool TextToBytes(const std::string& text, ByteString* bytes, std::string* error) {
  bytes->clear();
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view rest = std::string_view(text).substr(i);
    if (rest[0] != '\\') {
      bytes->push_back(static_cast<Byte>(rest[0]));
      ++i;
    } else if (rest.starts_with("\\\\")) {
      bytes->push_back('\\');
      i += 2;
    } else if (rest.size() >= 4 && (rest[1] == 'x' || rest[1] == 'X') && HexValue(rest[2]) >= 0 &&
               HexValue(rest[3]) >= 0) {
      bytes->push_back(static_cast<Byte>(HexValue(rest[2]) * 16 + HexValue(rest[3])));
      i += 4;
    } else if (const int row = LongestNameAt(rest); row >= 0) {
      bytes->push_back(CharCodeAt(row));
      i += static_cast<std::size_t>(CHAR_NAME_TABLE[row].nameLength);
    } else {
      if (error != nullptr) {
        *error = "no escape name starts at \"" + std::string(rest.substr(0, 12)) +
                 "\" (write a backslash as \\\\, any byte as \\x and two hexadecimal digits)";
      }
      return false;
    }
  }
  return true;
}

}  // namespace tessaron
