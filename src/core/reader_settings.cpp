#include "core/reader_settings.h"

namespace tessaron {

DataEditSettings::DataEditSettings() : dataEditMode('0') { ResetDataEdit(); }

DataEditSettings::~DataEditSettings() {
  ClearByteStringList(addedFields);
  ClearByteStringList(customFields);
}

void DataEditSettings::ResetDataEdit() {
  dataEditMode = '0';
  ClearByteStringList(addedFields);
  ClearByteStringList(customFields);
  for (auto& slot : lengthLimits) slot.clear();
  for (auto& slot : matchStrings) slot.clear();
  for (auto& formula : formulas) formula.clear();
}

ReaderSettings::ReaderSettings() : ReaderSettings(INTERFACE_UNKNOWN) {}

ReaderSettings::ReaderSettings(InterfaceType type)
    : interfaceType(type), interfaceSwitchPending(false) {
  ResetToDefaults();
}

ReaderSettings::~ReaderSettings() = default;

void ReaderSettings::ResetToDefaults() {
  ResetGeneralDefaults();
  ResetSentinelDefaults();
  ResetSerialDefaults();
  ResetTrackDefaults();
  ResetFormatDefaults();
  ResetKeyboardDefaults();
  ResetDataEdit();
  option25 = 0x40;
}

void ReaderSettings::ResetGeneralDefaults() {
  msrReading = '1';
  terminalType = '0';
  decodingMethod = '1';
  beepVolume = '2';
  interCharDelay = '0';
}

void ReaderSettings::ResetSentinelDefaults() {
  track1StartSentinel7Bit = '%';
  track1StartSentinel6Bit = '%';
  track1StartSentinel5Bit = ';';
  track2StartSentinel7Bit = '%';
  track2StartSentinel5Bit = ';';
  track3StartSentinel7Bit = '%';
  track3StartSentinel6Bit = '!';
  track3StartSentinel5Bit = ';';
  track1Prefix.clear();
  track2Prefix.clear();
  track3Prefix.clear();
  track1Suffix.clear();
  track2Suffix.clear();
  track3Suffix.clear();
  endSentinel = '?';
  track1EndSentinel = '?';
  track2EndSentinel = '?';
  track3EndSentinel = '?';
  preamble.clear();
  postamble.clear();
}

void ReaderSettings::ResetSerialDefaults() {
  handshake = '0';
  stopBits = '0';
  baudRate = '5';
  dataBits = '0';
  parity = '0';
  xonChar = 0x11;
  xoffChar = 0x13;
  // The serial page's default also resets the send-out options it shares with the track page.
  sendOutFormat = 0x31;
}

void ReaderSettings::ResetTrackDefaults() {
  terminator = 0x0D;
  trackSelect = '0';
  trackSeparator = 0x0D;
  sendOutFormat = 0x31;
  lrcOption = '0';
}

void ReaderSettings::ResetFormatDefaults() {
  dataFormat = '0';
  hidFormat = HID_FORMAT_KALDOR_DATA;
  formatOptions = 0x59;
}

void ReaderSettings::ResetKeyboardDefaults() {
  sendOutFormat = static_cast<Byte>(sendOutFormat & ~0x08);  // function keys back to Ctrl
  languageOption = '0';
  hidKbPollingInterval = 1;
}

void ReaderSettings::SelectHidFormat(Byte value) {
  hidFormat = value;
  interfaceSwitchPending = true;
}

}  // namespace tessaron
