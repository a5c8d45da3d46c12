#include "cli/stream_dump.h"

#include <cstdio>

#include "core/command_frame.h"
#include "core/settings_table.h"
#include "core/settings_stream_walker.h"

namespace tessaron {

namespace {

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
  const SettingsRecordInfo* record = FindSettingsRecord(funcId);
  return record ? record->memberName : "";
}

std::string DumpSettingsStream(const Byte* bytes, std::size_t count) {
  std::string text;
  if (!bytes || count == 0) {
    text += "(no settings stream)\n";
    return text;
  }

  std::size_t stx = 0;
  if (!FindSettingsStreamStart(bytes, count, &stx)) {
    AppendLine(text, "(no STX)", bytes, count);
    return text;
  }
  if (stx > 0) AppendLine(text, "lead-in", bytes, stx);

  // The direction letter right after the STX shares its line.
  const bool direction =
      stx + 1 < count && (bytes[stx + 1] == DIR_SET || bytes[stx + 1] == DIR_READ);
  AppendLine(text, direction ? "STX, direction" : "STX", bytes + stx, direction ? 2 : 1);

  SettingsStreamWalker walker(bytes, count, stx);
  StreamStep step;
  while (walker.Next(step)) {
    const Byte* at = bytes + step.offset;
    const std::string name = step.record ? step.record->memberName : "(unknown)";
    switch (step.kind) {
      case StreamStepKind::Direction:
        // A direction letter inside the stream is skipped by the decoder: listed alone.
        if (!(direction && step.offset == stx + 1)) AppendLine(text, "direction", at, 1);
        break;
      case StreamStepKind::Record:
        AppendLine(text, name, at, step.length);
        break;
      case StreamStepKind::CutRecord:
        AppendLine(text, name, at, step.length, CutShortNote(step.length, step.wanted));
        break;
      case StreamStepKind::NoEtx:
        text += "(no ETX)\n";
        break;
      case StreamStepKind::Etx: {
        AppendLine(text, "ETX", at, 1);
        const std::size_t left = count - step.offset;
        if (left < 2) {
          text += "(no LRC)\n";
          break;
        }
        std::string note;
        if (at[1] != step.expectedCheckByte) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", step.expectedCheckByte);
          note = std::string("(does not match, expected ") + hex + ")";
        }
        AppendLine(text, "LRC", at + 1, 1, note);
        if (left > 2) AppendLine(text, "(after the LRC)", at + 2, left - 2);
        break;
      }
    }
  }
  return text;
}

}  // namespace tessaron
