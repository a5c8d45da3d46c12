#include "core/settings_records.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tessaron {

namespace {

// A one-byte or string record names its member once: the pointer and the printed name are
// both made from it.
#define TESSARON_BYTE_RECORD(funcId, member, page)                                          \
  SettingsRecordInfo {                                                                      \
    funcId, RecordKind::OneByte, RecordPage::page, #member, &ReaderSettings::member, nullptr \
  }
#define TESSARON_STRING_RECORD(funcId, member, page)                                       \
  SettingsRecordInfo {                                                                     \
    funcId, RecordKind::String, RecordPage::page, #member, nullptr, &ReaderSettings::member \
  }

constexpr SettingsRecordInfo BlockRecord(Byte funcId, RecordKind kind, const char* name) {
  return SettingsRecordInfo{funcId, kind, RecordPage::DataEditing, name, nullptr, nullptr};
}

// The order is the one the reader expects on a write. 0x69 fills track1EndSentinel; the
// decoder also copies its value into endSentinel, which is never written.
constexpr SettingsRecordInfo RECORDS[] = {
    TESSARON_BYTE_RECORD(0x10, terminalType, GeneralSettings),
    TESSARON_BYTE_RECORD(0x11, beepVolume, GeneralSettings),
    TESSARON_BYTE_RECORD(0x12, interCharDelay, GeneralSettings),
    TESSARON_BYTE_RECORD(0x44, handshake, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x45, stopBits, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x41, baudRate, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x42, dataBits, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x43, parity, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x47, xonChar, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x48, xoffChar, Rs232Parameters),
    TESSARON_BYTE_RECORD(0x13, trackSelect, TrackSettings),
    TESSARON_BYTE_RECORD(0x17, trackSeparator, TrackSettings),
    TESSARON_BYTE_RECORD(0x15, dataFormat, OutputFormat),
    TESSARON_BYTE_RECORD(0x16, formatOptions, OutputFormat),
    TESSARON_BYTE_RECORD(0x21, terminator, TrackSettings),
    TESSARON_BYTE_RECORD(0x1B, dataEditMode, DataEditing),
    // Bits 0 to 2 are on the Track Settings page, bit 3 on the Keyboard Settings page.
    TESSARON_BYTE_RECORD(0x19, sendOutFormat, TrackSettings),
    TESSARON_BYTE_RECORD(0x1A, msrReading, GeneralSettings),
    TESSARON_BYTE_RECORD(0x1D, decodingMethod, GeneralSettings),
    TESSARON_BYTE_RECORD(0x60, lrcOption, TrackSettings),
    TESSARON_BYTE_RECORD(FUNC_HID_FORMAT, hidFormat, OutputFormat),
    TESSARON_BYTE_RECORD(0x61, track1StartSentinel7Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x62, track1StartSentinel6Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x63, track1StartSentinel5Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x64, track2StartSentinel7Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x65, track2StartSentinel5Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x66, track3StartSentinel7Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x67, track3StartSentinel6Bit, PrePostamble),
    TESSARON_BYTE_RECORD(0x68, track3StartSentinel5Bit, PrePostamble),
    TESSARON_STRING_RECORD(0xD2, preamble, PrePostamble),
    TESSARON_STRING_RECORD(0xD3, postamble, PrePostamble),
    BlockRecord(0xFA, RecordKind::AddedFields, "addedFields"),
    BlockRecord(0xFB, RecordKind::FieldRules, "lengthLimits/matchStrings/customFields"),
    BlockRecord(0xFC, RecordKind::Formulas, "formulas"),
    TESSARON_BYTE_RECORD(0x69, track1EndSentinel, PrePostamble),
    TESSARON_BYTE_RECORD(0x6A, track2EndSentinel, PrePostamble),
    TESSARON_BYTE_RECORD(0x6B, track3EndSentinel, PrePostamble),
    TESSARON_BYTE_RECORD(0x14, hidKbPollingInterval, KeyboardSettings),
    TESSARON_BYTE_RECORD(0x24, languageOption, KeyboardSettings),
    TESSARON_BYTE_RECORD(0x25, option25, None),
    TESSARON_STRING_RECORD(0x34, track1Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x35, track2Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x36, track3Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x37, track1Suffix, PrePostamble),
    TESSARON_STRING_RECORD(0x38, track2Suffix, PrePostamble),
    TESSARON_STRING_RECORD(0x39, track3Suffix, PrePostamble),
};

#undef TESSARON_BYTE_RECORD
#undef TESSARON_STRING_RECORD

constexpr std::size_t RECORD_COUNT = sizeof RECORDS / sizeof RECORDS[0];
constexpr std::uint8_t NO_RECORD = 0xFF;
static_assert(RECORD_COUNT < NO_RECORD);

// Position in RECORDS of every FuncID, NO_RECORD where there is none.
constexpr std::array<std::uint8_t, 256> BuildIndex() {
  std::array<std::uint8_t, 256> index{};
  index.fill(NO_RECORD);
  for (std::size_t i = 0; i < RECORD_COUNT; ++i) {
    index[RECORDS[i].funcId] = static_cast<std::uint8_t>(i);
  }
  return index;
}

constexpr std::array<std::uint8_t, 256> INDEX = BuildIndex();

// A FuncID that appeared twice would leave one of its rows unreachable by lookup.
constexpr bool EveryFuncIdOnce() {
  for (std::size_t i = 0; i < RECORD_COUNT; ++i) {
    if (INDEX[RECORDS[i].funcId] != i) return false;
  }
  return true;
}
static_assert(EveryFuncIdOnce(), "a FuncID is listed twice");

// Each kind carries exactly the member pointer it is read and written through.
constexpr bool MembersMatchKinds() {
  for (const SettingsRecordInfo& record : RECORDS) {
    const bool byte = record.byteMember != nullptr;
    const bool string = record.stringMember != nullptr;
    if (byte != (record.kind == RecordKind::OneByte)) return false;
    if (string != (record.kind == RecordKind::String)) return false;
  }
  return true;
}
static_assert(MembersMatchKinds(), "a record's member does not match its kind");

}  // namespace

std::span<const SettingsRecordInfo> SettingsRecords() { return RECORDS; }

const SettingsRecordInfo* FindSettingsRecord(Byte funcId) {
  const std::uint8_t at = INDEX[funcId];
  return at == NO_RECORD ? nullptr : &RECORDS[at];
}

Byte* RecordByte(const SettingsRecordInfo& record, ReaderSettings& settings) {
  return record.byteMember != nullptr ? &(settings.*record.byteMember) : nullptr;
}

const Byte* RecordByte(const SettingsRecordInfo& record, const ReaderSettings& settings) {
  return record.byteMember != nullptr ? &(settings.*record.byteMember) : nullptr;
}

ByteString* RecordString(const SettingsRecordInfo& record, ReaderSettings& settings) {
  return record.stringMember != nullptr ? &(settings.*record.stringMember) : nullptr;
}

const ByteString* RecordString(const SettingsRecordInfo& record,
                               const ReaderSettings& settings) {
  return record.stringMember != nullptr ? &(settings.*record.stringMember) : nullptr;
}

}  // namespace tessaron
