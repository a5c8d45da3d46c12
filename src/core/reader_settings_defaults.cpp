// The factory values of the settings record (reader_settings.h), as the setting table gives
// them: a new record holds them, and each page's part can be put back on its own.
#include "core/reader_settings.h"
#include "core/settings_table.h"

namespace tessaron {

ReaderSettings::ReaderSettings() : ReaderSettings(InterfaceType::Unknown) {}

ReaderSettings::ReaderSettings(InterfaceType type)
    : interfaceType(type), interfaceSwitchPending(false) {
  ResetToDefaults();
}

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

}  // namespace tessaron
