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

std::int32_t HidFormatIndex(Byte value) {
  const auto options = ControlOf(&R::hidFormat)->options;
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (options[i].value == value) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::string BuildSettingsReport(const ReaderSettings& settings,
                                const std::string& firmwareVersion) {
  const InterfaceType type = settings.interfaceType;
  const bool rs232 = type == InterfaceType::Rs232;  // "USB-RS232" does not count
  const bool keyboard = type == InterfaceType::Ps2Keyboard;
  const bool hid = IsHidInterface(type);

  std::string text;
  text += "=============Check Current Tessaron Settings===============\r\n";
  text += "Software version: ";
  text += SOFTWARE_NAME;
  text += ' ';
  text += SOFTWARE_VERSION;
  text += LINE_END;

  if (keyboard) AppendLine(text, "Terminal Type", Word(settings, &R::terminalType));
  AppendLine(text, "Beep Volume", Word(settings, &R::beepVolume));
  if (keyboard) {
    AppendLine(text, "Inter Character Delay", Word(settings, &R::interCharDelay));
  }
  if (rs232) {
    AppendLine(text, "HandShake", Word(settings, &R::handshake));
    AppendLine(text, "Stop Bit", Word(settings, &R::stopBits));
    AppendLine(text, "Baud Rate", Word(settings, &R::baudRate));
    AppendLine(text, "Data Bit", Word(settings, &R::dataBits));
    AppendLine(text, "Parity", Word(settings, &R::parity));
    AppendLine(text, "XOn Character", CharToText(settings.xonChar));
    AppendLine(text, "XOff Character", CharToText(settings.xoffChar));
  }
  AppendLine(text, "Track Select", Word(settings, &R::trackSelect));
  AppendLine(text, "Track Separator", CharToText(settings.trackSeparator));
  AppendLine(text, "Data Format", Word(settings, &R::dataFormat));
  if (hid) AppendLine(text, "USB HID Format", Word(settings, &R::hidFormat));
  if (rs232) {
    AppendLine(text, "UIC LRC Option", Word(settings, &R::formatOptions, 0x01));
    text += "MagTek Options: \r\n";
    for (int bit = 1; bit <= 6; ++bit) {
      AppendIndented(text, Word(settings, &R::formatOptions, static_cast<Byte>(1 << bit)));
    }
  }
  AppendLine(text, "Terminator", CharToText(settings.terminator));
  text += "Send Out Format: \r\n";
  for (int bit = 0; bit <= 2; ++bit) {
    AppendIndented(text, Word(settings, &R::sendOutFormat, static_cast<Byte>(1 << bit)));
  }
  AppendIndented(text, Word(settings, &R::lrcOption));
  AppendLine(text, "Enable/Disable MSR", Word(settings, &R::msrReading));
  AppendLine(text, "Format & Direction", Word(settings, &R::decodingMethod));

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
