#include "cli/stream_dump.h"

#include <cstdio>

#include "core/command_frame.h"

namespace tessaron {

namespace {

enum class RecordForm { OneByte, Generic };

struct RecordInfo {
  Byte funcId;
  const char* name;
  RecordForm form;
};

// One-byte records are read as FuncID, length, value whatever their length byte says;
// strings and blocks carry their own length and are listed as FuncID, L, L bytes.
constexpr RecordInfo RECORDS[] = {
    {0x10, "terminalType", RecordForm::OneByte},
    {0x11, "beepVolume", RecordForm::OneByte},
    {0x12, "interCharDelay", RecordForm::OneByte},
    {0x13, "trackSelect", RecordForm::OneByte},
    {0x14, "hidKbPollingInterval", RecordForm::OneByte},
    {0x15, "dataFormat", RecordForm::OneByte},
    {0x16, "formatOptions", RecordForm::OneByte},
    {0x17, "trackSeparator", RecordForm::OneByte},
    {0x19, "sendOutFormat", RecordForm::OneByte},
    {0x1A, "msrReading", RecordForm::OneByte},
    {0x1B, "dataEditMode", RecordForm::OneByte},
    {0x1D, "decodingMethod", RecordForm::OneByte},
    {0x21, "terminator", RecordForm::OneByte},
    {0x23, "hidFormat", RecordForm::OneByte},
    {0x24, "languageOption", RecordForm::OneByte},
    {0x25, "option25", RecordForm::OneByte},
    {0x41, "baudRate", RecordForm::OneByte},
    {0x42, "dataBits", RecordForm::OneByte},
    {0x43, "parity", RecordForm::OneByte},
    {0x44, "handshake", RecordForm::OneByte},
    {0x45, "stopBits", RecordForm::OneByte},
    {0x47, "xonChar", RecordForm::OneByte},
    {0x48, "xoffChar", RecordForm::OneByte},
    {0x60, "lrcOption", RecordForm::OneByte},
    {0x61, "track1StartSentinel7Bit", RecordForm::OneByte},
    {0x62, "track1StartSentinel6Bit", RecordForm::OneByte},
    {0x63, "track1StartSentinel5Bit", RecordForm::OneByte},
    {0x64, "track2StartSentinel7Bit", RecordForm::OneByte},
    {0x65, "track2StartSentinel5Bit", RecordForm::OneByte},
    {0x66, "track3StartSentinel7Bit", RecordForm::OneByte},
    {0x67, "track3StartSentinel6Bit", RecordForm::OneByte},
    {0x68, "track3StartSentinel5Bit", RecordForm::OneByte},
    {0x69, "track1EndSentinel", RecordForm::OneByte},
    {0x6A, "track2EndSentinel", RecordForm::OneByte},
    {0x6B, "track3EndSentinel", RecordForm::OneByte},
    {0xD2, "preamble", RecordForm::Generic},
    {0xD3, "postamble", RecordForm::Generic},
    {0x34, "track1Prefix", RecordForm::Generic},
    {0x35, "track2Prefix", RecordForm::Generic},
    {0x36, "track3Prefix", RecordForm::Generic},
    {0x37, "track1Suffix", RecordForm::Generic},
    {0x38, "track2Suffix", RecordForm::Generic},
    {0x39, "track3Suffix", RecordForm::Generic},
    {0xFA, "addedFields", RecordForm::Generic},
    {0xFB, "lengthLimits/matchStrings/customFields", RecordForm::Generic},
    {0xFC, "formulas", RecordForm::Generic},
};

const RecordInfo* FindRecord(Byte funcId) {
  for (const RecordInfo& info : RECORDS) {
    if (info.funcId == funcId) return &info;
  }
  return nullptr;
}

// Width of the name column; longer names are followed by two blanks.
constexpr std::size_t NAME_WIDTH = 25;

void AppendHex(std::string& line, const Byte* bytes, std::size_t count) {
  char hex[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    if (i > 0) line += ' ';
    line += hex;
  }
}

// "name<padding>hex bytes[ note]\n"
void AppendLine(std::string& text, const std::string& name, const Byte* bytes,
                std::size_t count, const std::string& note = std::string()) {
  std::string line = name;
  line.append(line.size() < NAME_WIDTH ? NAME_WIDTH - line.size() : 2, ' ');
  AppendHex(line, bytes, count);
  if (!note.empty()) {
    if (count > 0) line += ' ';
    line += note;
  }
  text += line;
  text += '\n';
}

std::string CutShortNote(std::size_t have, std::size_t want) {
  return "(cut short: " + std::to_string(have) + " of " + std::to_string(want) + " bytes)";
}

}  // namespace

const char* SettingsRecordName(Byte funcId) {
  const RecordInfo* info = FindRecord(funcId);
  return info ? info->name : "";
}

std::string DumpSettingsStream(const Byte* bytes, std::size_t count) {
  std::string text;
  if (!bytes || count == 0) {
    text += "(no settings stream)\n";
    return text;
  }

  std::size_t p = 0;
  if (bytes[0] != STX) {
    AppendLine(text, "(no STX)", bytes, count);
    return text;
  }
  if (count > 1 && (bytes[1] == DIR_SET || bytes[1] == DIR_READ)) {
    AppendLine(text, "STX, direction", bytes, 2);
    p = 2;
  } else {
    AppendLine(text, "STX", bytes, 1);
    p = 1;
  }

  while (p < count) {
    const Byte funcId = bytes[p];
    const std::size_t left = count - p;

    if (funcId == ETX) {
      AppendLine(text, "ETX", bytes + p, 1);
      if (left < 2) {
        text += "(no LRC)\n";
        return text;
      }
      const Byte expected = ComputeLrc(bytes, static_cast<std::uint32_t>(p + 1));
      std::string note;
      if (bytes[p + 1] != expected) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", expected);
        note = std::string("(does not match, expected ") + hex + ")";
      }
      AppendLine(text, "LRC", bytes + p + 1, 1, note);
      if (left > 2) AppendLine(text, "(after the LRC)", bytes + p + 2, left - 2);
      return text;
    }

    // A direction letter inside the stream is skipped by the decoder: list it alone.
    if (funcId == DIR_SET || funcId == DIR_READ) {
      AppendLine(text, "direction", bytes + p, 1);
      p += 1;
      continue;
    }

    const RecordInfo* info = FindRecord(funcId);
    std::size_t size = 0;
    if (info && info->form == RecordForm::OneByte) {
      size = 3;
    } else if (left >= 2) {
      size = 2 + static_cast<std::size_t>(bytes[p + 1]);
    } else {
      size = 2;
    }
    const std::string name = info ? info->name : "(unknown)";
    if (size > left) {
      AppendLine(text, name, bytes + p, left, CutShortNote(left, size));
      return text;
    }
    AppendLine(text, name, bytes + p, size);
    p += size;
  }
  text += "(no ETX)\n";
  return text;
}

}  // namespace tessaron
