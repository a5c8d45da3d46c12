#include "core/settings_report.h"

#include "core/data_edit_model.h"
#include "core/escape_names.h"
#include "core/settings_table.h"

namespace tessaron {

namespace {

constexpr char LINE_END[] = "\r\n";

// "Name: value" followed by CR LF.
void AppendLine(std::string& text, const char* name, const std::string& value) {
  text += name;
  text += ": ";
  text += value;
  text += LINE_END;
}

// A tab-indented word on a line of its own.
void AppendIndented(std::string& text, const char* word) {
  text += '\t';
  text += word;
  text += LINE_END;
}

using R = ReaderSettings;

// The report's word for the value of a one-byte setting, or of one bit of it.
const char* Word(const ReaderSettings& settings, Byte ReaderSettings::*member, Byte mask = 0) {
  return ReportWord(*ControlOf(member, mask), settings);
}

}  // namespace

std::string BuildSettingsReport(const ReaderSettings& settings,
                                const std::string& firmwareVersion) {
  // A setting is shown where it applies to the record's line; a record of no known line
  // (or of a number that names none) shows what applies on every line.
  const InterfaceType type = InterfaceOfNumber(InterfaceNumber(settings.interfaceType));
  const auto applies = [type](Byte ReaderSettings::*member, Byte mask = 0) {
    const PageControl& control = *ControlOf(member, mask);
    return control.lines == LineSet::Any() ||
           (type != InterfaceType::Unknown && AppliesOn(control, type));
  };
  std::string text;
  text += "=============Check Current Tessaron Settings===============\r\n";
  text += "Software version: ";
  text += SOFTWARE_NAME;
  text += ' ';
  text += SOFTWARE_VERSION;
  text += LINE_END;

  // "Name: word" of a setting, and "Name: character" of a one-byte one.
  const auto word = [&](const char* name, Byte ReaderSettings::*member, Byte mask = 0) {
    if (applies(member, mask)) AppendLine(text, name, Word(settings, member, mask));
  };
  const auto character = [&](const char* name, Byte ReaderSettings::*member) {
    if (applies(member)) AppendLine(text, name, CharToText(settings.*member));
  };
  word("Terminal Type", &R::terminalType);
  word("Beep Volume", &R::beepVolume);
  word("Inter Character Delay", &R::interCharDelay);
  word("HandShake", &R::handshake);
  word("Stop Bit", &R::stopBits);
  word("Baud Rate", &R::baudRate);
  word("Data Bit", &R::dataBits);
  word("Parity", &R::parity);
  character("XOn Character", &R::xonChar);
  character("XOff Character", &R::xoffChar);
  word("Track Select", &R::trackSelect);
  character("Track Separator", &R::trackSeparator);
  word("Data Format", &R::dataFormat);
  word("USB HID Format", &R::hidFormat);
  word("UIC LRC Option", &R::formatOptions, 0x01);
  if (applies(&R::formatOptions, 0x02)) {
    text += "MagTek Options: \r\n";
    for (int bit = 1; bit <= 6; ++bit) {
      AppendIndented(text, Word(settings, &R::formatOptions, static_cast<Byte>(1 << bit)));
    }
  }
  character("Terminator", &R::terminator);
  text += "Send Out Format: \r\n";
  for (int bit = 0; bit <= 2; ++bit) {
    AppendIndented(text, Word(settings, &R::sendOutFormat, static_cast<Byte>(1 << bit)));
  }
  AppendIndented(text, Word(settings, &R::lrcOption));
  word("Enable/Disable MSR", &R::msrReading);
  word("Format & Direction", &R::decodingMethod);

  // The start sentinels track by track, 7, 6 and 5 bits (track 2 has no 6-bit one).
  for (int track = 0; track < SENTINEL_TRACKS; ++track) {
    for (int row = 0; row < SENTINEL_ROWS - 1; ++row) {
      const SettingsRecordInfo* record = SentinelRecord(row, track);
      if (record == nullptr) continue;
      const std::string name = "Track " + std::to_string(track + 1) + " " +
                               std::to_string(7 - row) + " bit encoding Start Sentinel";
      AppendLine(text, name.c_str(), CharToText(*RecordByte(*record, settings)));
    }
  }
  AppendLine(text, "End Sentinel", CharToText(settings.endSentinel));

  // Preamble and postamble share the line break between them; neither has a separator.
  text += "Preamble:";
  text += BytesToText(settings.preamble);
  text += "\r\nPostamble:";
  text += BytesToText(settings.postamble);
  text += LINE_END;

  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    text += "Data Edit-";
    text += CardKindReportName(kind);
    text += ':';
    text += FormulaText(settings.formulas[static_cast<std::size_t>(kind)], kind);
    text += LINE_END;
  }

  text += "\r\nINTERFACE_TYPE: ";
  text += InterfaceDisplayName(type);
  text += LINE_END;
  text += "Firmware Version: ";
  text += firmwareVersion;
  return text;
}

}  // namespace tessaron
