#include "core/reader_settings.h"

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

ReaderSettings::~ReaderSettings() = default;

void ReaderSettings::SelectHidFormat(Byte value) {
  hidFormat = value;
  interfaceSwitchPending = true;
}

}  // namespace tessaron
