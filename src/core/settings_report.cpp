#include "core/settings_report.h"

#include "core/data_edit_model.h"
#include "core/escape_names.h"
#include "core/settings_words.h"

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

std::string Word(ValueTable table, Byte value) { return ValueWord(table, value); }

}  // namespace

std::int32_t HidFormatIndex(Byte value) {
  switch (value) {
    case '0': return 0;
    case '1': return 1;
    case '8': return 2;
    default: return -1;
  }
}

std::string BuildSettingsReport(const ReaderSettings& settings,
                                const std::string& firmwareVersion) {
  const InterfaceType type = settings.interfaceType;
  const bool rs232 = type == INTERFACE_RS232;  // "USB-RS232" does not count
  const bool keyboard = type == INTERFACE_PS2_KEYBOARD;
  const bool hid = IsHidInterface(type);
  const auto formatBits = FormatOptionBits();
  const auto sendOutBits = SendOutFormatBits();

  std::string text;
  text += "=============Check Current Tessaron Settings===============\r\n";
  text += "Software version: ";
  text += SOFTWARE_NAME;
  text += ' ';
  text += SOFTWARE_VERSION;
  text += LINE_END;

  if (keyboard) AppendLine(text, "Terminal Type", Word(ValueTable::TerminalType, settings.terminalType));
  AppendLine(text, "Beep Volume", Word(ValueTable::BeepVolume, settings.beepVolume));
  if (keyboard) {
    AppendLine(text, "Inter Character Delay",
               Word(ValueTable::InterCharDelay, settings.interCharDelay));
  }
  if (rs232) {
    AppendLine(text, "HandShake", Word(ValueTable::Handshake, settings.handshake));
    AppendLine(text, "Stop Bit", Word(ValueTable::StopBits, settings.stopBits));
    AppendLine(text, "Baud Rate", Word(ValueTable::BaudRate, settings.baudRate));
    AppendLine(text, "Data Bit", Word(ValueTable::DataBits, settings.dataBits));
    AppendLine(text, "Parity", Word(ValueTable::Parity, settings.parity));
    AppendLine(text, "XOn Character", CharToText(settings.xonChar));
    AppendLine(text, "XOff Character", CharToText(settings.xoffChar));
  }
  AppendLine(text, "Track Select", Word(ValueTable::TrackSelect, settings.trackSelect));
  AppendLine(text, "Track Separator", CharToText(settings.trackSeparator));
  AppendLine(text, "Data Format", Word(ValueTable::DataFormat, settings.dataFormat));
  if (hid) AppendLine(text, "USB HID Format", HidFormatWord(HidFormatIndex(settings.hidFormat)));
  if (rs232) {
    AppendLine(text, "UIC LRC Option", OptionBitWord(formatBits[0], settings.formatOptions));
    text += "MagTek Options: \r\n";
    for (std::size_t bit = 1; bit <= 6; ++bit) {
      AppendIndented(text, OptionBitWord(formatBits[bit], settings.formatOptions));
    }
  }
  AppendLine(text, "Terminator", CharToText(settings.terminator));
  text += "Send Out Format: \r\n";
  for (std::size_t bit = 0; bit <= 2; ++bit) {
    AppendIndented(text, OptionBitWord(sendOutBits[bit], settings.sendOutFormat));
  }
  AppendIndented(text, ValueWord(ValueTable::LrcOption, settings.lrcOption));
  AppendLine(text, "Enable/Disable MSR", Word(ValueTable::MsrReading, settings.msrReading));
  AppendLine(text, "Format & Direction",
             Word(ValueTable::DecodingMethod, settings.decodingMethod));

  AppendLine(text, "Track 1 7 bit encoding Start Sentinel",
             CharToText(settings.track1StartSentinel7Bit));
  AppendLine(text, "Track 1 6 bit encoding Start Sentinel",
             CharToText(settings.track1StartSentinel6Bit));
  AppendLine(text, "Track 1 5 bit encoding Start Sentinel",
             CharToText(settings.track1StartSentinel5Bit));
  AppendLine(text, "Track 2 7 bit encoding Start Sentinel",
             CharToText(settings.track2StartSentinel7Bit));
  AppendLine(text, "Track 2 5 bit encoding Start Sentinel",
             CharToText(settings.track2StartSentinel5Bit));
  AppendLine(text, "Track 3 7 bit encoding Start Sentinel",
             CharToText(settings.track3StartSentinel7Bit));
  AppendLine(text, "Track 3 6 bit encoding Start Sentinel",
             CharToText(settings.track3StartSentinel6Bit));
  AppendLine(text, "Track 3 5 bit encoding Start Sentinel",
             CharToText(settings.track3StartSentinel5Bit));
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
