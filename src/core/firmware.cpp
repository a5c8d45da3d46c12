#include "core/firmware.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/command_frame.h"
#include "core/reader_settings.h"

namespace tessaron {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FirmwareVersionText(std::span<const Byte> reply) {
  std::string text;
  if (reply.size() <= 4) return text;
  const auto stx = std::find(reply.begin(), reply.end(), STX);
  if (stx == reply.end()) return text;
  const auto limit = reply.end() - 2;
  for (auto at = stx + 1; at < limit && *at != ETX; ++at) text.push_back(static_cast<char>(*at));
  return text;
}

double ParseVersionNumber(std::string_view text) {
  // The first run of digits that a point and at least one more digit follow; a candidate
  // that breaks off is dropped and the search goes on after it.
  for (std::size_t start = 0; start < text.size(); ++start) {
    if (!IsDigit(text[start]) || (start > 0 && IsDigit(text[start - 1]))) continue;
    std::size_t at = start;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at + 1 >= text.size() || text[at] != '.' || !IsDigit(text[at + 1])) continue;
    ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    // from_chars reads '.' whatever the process locale is.
    double value = 0.0;
    const auto result =
        std::from_chars(text.data() + start, text.data() + at, value, std::chars_format::fixed);
    return result.ec == std::errc() ? value : 0.0;
  }
  return 0.0;
}

std::string VersionNumberText(double number) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", number);
  return text;
}

bool TakesEveryHidFormat(double firmware) { return firmware >= HID_KB_FORMAT_MIN_VERSION; }

bool WriteNeedsFirmware(InterfaceType line) { return line == InterfaceType::UsbHidKb; }

Byte HidFormatToWrite(InterfaceType line, double firmware, Byte requested) {
  return WriteNeedsFirmware(line) && !TakesEveryHidFormat(firmware) ? HID_FORMAT_KALDOR_DATA
                                                                    : requested;
}

Byte HidFormatToClone(InterfaceType line, double firmware, Byte source) {
  return line == InterfaceType::UsbHidKb && TakesEveryHidFormat(firmware)
             ? HID_FORMAT_KALDOR_KEYBOARD
             : source;
}

bool SwitchesInterface(InterfaceType line, Byte before, Byte after) {
  return IsHidInterface(line) && before != after;
}

std::string HidFormatFirmwareNote() {
  return "The reader's firmware takes the USB HID keyboard format from version " +
         VersionNumberText(HID_KB_FORMAT_MIN_VERSION) + " on";
}

}  // namespace tessaron
