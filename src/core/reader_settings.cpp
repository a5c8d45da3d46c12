#include "core/reader_settings.h"

#include "core/settings_table.h"

namespace tessaron {

DataEditSettings::DataEditSettings() : dataEditMode(DATA_EDIT_DISABLED) { ResetDataEdit(); }

DataEditSettings::~DataEditSettings() {
  ClearByteStringList(addedFields);
  ClearByteStringList(customFields);
}

void DataEditSettings::ResetDataEdit() {
  dataEditMode = DATA_EDIT_DISABLED;
  ClearByteStringList(addedFields);
  ClearByteStringList(customFields);
  for (auto& slot : lengthLimits) slot.clear();
  for (auto& slot : matchStrings) slot.clear();
  for (auto& formula : formulas) formula.clear();
}

ReaderSettings::ReaderSettings() : ReaderSettings(InterfaceType::Unknown) {}

ReaderSettings::ReaderSettings(InterfaceType type)
    : interfaceType(type), interfaceSwitchPending(false) {
  ResetToDefaults();
}

ReaderSettings::~ReaderSettings() = default;

void ReaderSettings::ResetToDefaults() {
  ResetDataEdit();
  ResetRecordDefaults(*this);
}

void ReaderSettings::ResetGeneralDefaults() { ResetPageDefaults(RecordPage::GeneralSettings, *this); }
void ReaderSettings::ResetSentinelDefaults() { ResetPageDefaults(RecordPage::PrePostamble, *this); }
void ReaderSettings::ResetSerialDefaults() { ResetPageDefaults(RecordPage::Rs232Parameters, *this); }
void ReaderSettings::ResetTrackDefaults() { ResetPageDefaults(RecordPage::TrackSettings, *this); }
void ReaderSettings::ResetFormatDefaults() { ResetPageDefaults(RecordPage::OutputFormat, *this); }
void ReaderSettings::ResetKeyboardDefaults() { ResetPageDefaults(RecordPage::KeyboardSettings, *this); }

void ReaderSettings::SelectHidFormat(Byte value) {
  hidFormat = value;
  interfaceSwitchPending = true;
}

}  // namespace tessaron
