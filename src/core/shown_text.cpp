#include "core/shown_text.h"

#include <cstddef>

namespace tessaron {

namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";

void AppendEscaped(std::string& shown, unsigned char byte) {
  shown += "\\x";
  shown += HEX_DIGITS[byte >> 4];
  shown += HEX_DIGITS[byte & 0x0F];
}

// The length of the valid UTF-8 character at the start of text, or 0 when it starts with a
// byte that begins none (a stray continuation byte, an overlong or cut-off sequence, a
// surrogate, a code point beyond U+10FFFF).
std::size_t CharacterLength(std::string_view text, char32_t* code) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code = value;
  return length;
}

bool IsControl(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

}  // namespace

std::string ShownText(std::string_view text, bool keepLayout) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = 0;
    const std::size_t length = CharacterLength(text.substr(at), &code);
    const bool layout = keepLayout && (code == '\n' || code == '\r' || code == '\t');
    if (length == 0) {
      AppendEscaped(shown, static_cast<unsigned char>(text[at++]));
    } else if (IsControl(code) && !layout) {
      for (std::size_t i = 0; i < length; ++i) {
        AppendEscaped(shown, static_cast<unsigned char>(text[at + i]));
      }
      at += length;
    } else {
      shown.append(text.substr(at, length));
      at += length;
    }
  }
  return shown;
}

}  // namespace tessaron
