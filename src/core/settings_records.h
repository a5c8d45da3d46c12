#pragma once
// The one table of settings records: every FuncID that the settings stream carries, the form
// of its record, the member of ReaderSettings it fills, the page that edits that member and
// the member's name. The table is in the order the encoder writes the records; the decoder,
// the frame length, the stream listing and the simulated reader look FuncIDs up in it.

#include <span>

#include "core/byte_string.h"
#include "core/reader_settings.h"

namespace tessaron {

// How a record is laid out in the stream.
enum class RecordKind {
  OneByte,      // FuncID, 0x01, value
  String,       // FuncID, n + 1, n, then the n bytes
  AddedFields,  // FuncID, L, one 9-byte slot per added field
  FieldRules,   // FuncID, L, tagged length limits, match strings and custom fields
  Formulas,     // FuncID, L, one item per card kind
};

// The USB HID format's record: the one setting that makes a USB reader change its interface.
constexpr Byte FUNC_HID_FORMAT = 0x23;

// The settings page whose controls edit a record.
enum class RecordPage {
  None,              // shown by no page; the value is carried through unchanged
  GeneralSettings,   // "General Settings"
  PrePostamble,      // "Pre/Postamble"
  Rs232Parameters,   // "RS232 Parameters"
  TrackSettings,     // "Track Settings"
  KeyboardSettings,  // "Keyboard Settings"
  OutputFormat,      // "Output Format"
  DataEditing,       // "Data Editing"
};

struct SettingsRecordInfo {
  Byte funcId;
  RecordKind kind;
  RecordPage page;
  // The member's name as the stream listing prints it ("beepVolume"); a block that fills
  // several members names them all.
  const char* memberName;
  // The member a one-byte record fills; nullptr for the other kinds.
  Byte ReaderSettings::*byteMember;
  // The member a string record fills; nullptr for the other kinds.
  ByteString ReaderSettings::*stringMember;
};

// Every settings record, in the order the encoder writes them.
std::span<const SettingsRecordInfo> SettingsRecords();

// The record of a FuncID; nullptr for a FuncID that carries no setting.
const SettingsRecordInfo* FindSettingsRecord(Byte funcId);

// The byte a one-byte record fills in settings; nullptr when the record is of another kind.
Byte* RecordByte(const SettingsRecordInfo& record, ReaderSettings& settings);
const Byte* RecordByte(const SettingsRecordInfo& record, const ReaderSettings& settings);

// The byte string a string record fills in settings; nullptr when the record is of another kind.
ByteString* RecordString(const SettingsRecordInfo& record, ReaderSettings& settings);
const ByteString* RecordString(const SettingsRecordInfo& record, const ReaderSettings& settings);

}  // namespace tessaron
