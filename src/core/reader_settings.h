#pragma once
// The one record of every reader setting, each held as the raw byte (or byte string)
// that travels for it in the settings stream. Nothing is converted on the way in or out.

#include <array>
#include <cstdint>

#include "core/byte_string.h"
#include "core/interface_type.h"

namespace tessaron {

// Number of formula slots, one per card kind (Credit Card, DMV, AAMVA, Custom).
constexpr int CARD_KIND_COUNT = 4;
// Tracks of a magnetic stripe card.
constexpr int TRACK_COUNT = 3;

// Values of the data format (dataFormat, FuncID 0x15): the reader's own, or one of the two
// emulated serial formats whose options are in formatOptions.
constexpr Byte DATA_FORMAT_KALDOR = '0';
constexpr Byte DATA_FORMAT_UIC = '1';
constexpr Byte DATA_FORMAT_MAGTEK = '2';

// Values of the USB HID format (hidFormat, FuncID 0x23). The keyboard format makes a USB
// reader present itself as a keyboard ("USB-HID-KB"); the others as a HID data device.
constexpr Byte HID_FORMAT_KALDOR_DATA = '0';
constexpr Byte HID_FORMAT_MAGTEK_DATA = '1';
constexpr Byte HID_FORMAT_KALDOR_KEYBOARD = '8';

// Values of the data-edit mode (dataEditMode, FuncID 0x1B): off, or on with the matched or
// the unmatched output.
constexpr Byte DATA_EDIT_DISABLED = '0';
constexpr Byte DATA_EDIT_MATCHED = '1';
constexpr Byte DATA_EDIT_UNMATCHED = '3';

// The data-edit portion of the settings record.
class DataEditSettings {
 public:
  DataEditSettings();
  virtual ~DataEditSettings();

  DataEditSettings(const DataEditSettings&) = default;
  DataEditSettings& operator=(const DataEditSettings&) = default;

  // Mode "0", every list, slot and formula emptied.
  void ResetDataEdit();

  Byte dataEditMode;                                   // FuncID 0x1B
  ByteStringList addedFields;                          // FuncID 0xFA
  ByteStringList customFields;                         // FuncID 0xFB
  std::array<ByteString, TRACK_COUNT> lengthLimits;    // FuncID 0xFB, tracks 1 to 3
  std::array<ByteString, TRACK_COUNT> matchStrings;    // FuncID 0xFB, tracks 1 to 3
  std::array<ByteString, CARD_KIND_COUNT> formulas;    // FuncID 0xFC, by card kind
};

class ReaderSettings : public DataEditSettings {
 public:
  ReaderSettings();
  explicit ReaderSettings(InterfaceType type);
  ~ReaderSettings() override;

  ReaderSettings(const ReaderSettings&) = default;
  ReaderSettings& operator=(const ReaderSettings&) = default;

  // Every setting back to its default (settings_table.h holds them); interfaceType and
  // interfaceSwitchPending stay.
  void ResetToDefaults();
  void ResetGeneralDefaults();   // "General Settings" page
  void ResetSentinelDefaults();  // "Pre/Postamble" page
  void ResetSerialDefaults();    // "RS232 Parameters" page
  void ResetTrackDefaults();     // "Track Settings" page
  void ResetFormatDefaults();    // "Output Format" page
  void ResetKeyboardDefaults();  // "Keyboard Settings" page

  // Sets hidFormat and raises interfaceSwitchPending: the reader changes its
  // USB interface once a write with the new format has gone through.
  void SelectHidFormat(Byte value);
  bool IsInterfaceSwitchPending() const { return interfaceSwitchPending; }

  InterfaceType interfaceType;
  Byte terminalType;             // 0x10
  Byte beepVolume;               // 0x11
  Byte interCharDelay;           // 0x12
  Byte handshake;                // 0x44
  Byte stopBits;                 // 0x45
  Byte baudRate;                 // 0x41
  Byte dataBits;                 // 0x42
  Byte parity;                   // 0x43
  Byte xonChar;                  // 0x47
  Byte xoffChar;                 // 0x48
  Byte trackSelect;              // 0x13
  Byte trackSeparator;           // 0x17
  Byte dataFormat;               // 0x15
  Byte formatOptions;            // 0x16
  Byte terminator;               // 0x21
  Byte sendOutFormat;            // 0x19
  Byte msrReading;               // 0x1A
  Byte decodingMethod;           // 0x1D
  Byte lrcOption;                // 0x60
  Byte hidFormat;                // 0x23
  Byte track1StartSentinel7Bit;  // 0x61
  Byte track1StartSentinel6Bit;  // 0x62
  Byte track1StartSentinel5Bit;  // 0x63
  Byte track2StartSentinel7Bit;  // 0x64
  Byte track2StartSentinel5Bit;  // 0x65
  Byte track3StartSentinel7Bit;  // 0x66
  Byte track3StartSentinel6Bit;  // 0x67
  Byte track3StartSentinel5Bit;  // 0x68
  Byte endSentinel;              // 0x69 on input only; printed by the report
  ByteString preamble;           // 0xD2
  ByteString postamble;          // 0xD3
  Byte hidKbPollingInterval;     // 0x14, binary 1 to 255
  Byte languageOption;           // 0x24
  // 0x25: a setting of the reader that no page shows and the utility gives no meaning; the
  // name is the one the settings model gives it, since nothing more is known of it.
  Byte option25;
  ByteString track1Prefix;       // 0x34
  ByteString track2Prefix;       // 0x35
  ByteString track3Prefix;       // 0x36
  ByteString track1Suffix;       // 0x37
  ByteString track2Suffix;       // 0x38
  ByteString track3Suffix;       // 0x39
  Byte track1EndSentinel;        // 0x69
  Byte track2EndSentinel;        // 0x6A
  Byte track3EndSentinel;        // 0x6B
  bool interfaceSwitchPending;
};

}  // namespace tessaron
