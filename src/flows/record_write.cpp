#include "flows/record_write.h"

#include <optional>

#include "core/firmware.h"
#include "core/setting_checks.h"
#include "core/settings_transactions.h"
#include "flows/flow_waits.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

// The names of the settings that differ, for a reader's line.
std::string NamesOf(const std::vector<SettingDifference>& differences) {
  std::string names;
  for (const SettingDifference& difference : differences) {
    if (!names.empty()) names += ", ";
    names += difference.setting->name;
  }
  return names;
}

// The interface a USB reader presents with that USB HID format.
const char* InterfaceOfHidFormat(Byte format) {
  return InterfaceDisplayName(format == HID_FORMAT_KALDOR_KEYBOARD ? InterfaceType::UsbHidKb
                                                                   : InterfaceType::UsbHid);
}

RecordWriteOutcome Refused(const std::string& reason, FlowContext& flow) {
  flow.TellFailed(reason + "; nothing was written");
  return {ReaderVerdict::Failed, true, reason, {}};
}

RecordWriteOutcome Written(std::vector<SettingDifference> changes,
                           const std::string& detail = std::string()) {
  return {ReaderVerdict::Changed, false, detail, std::move(changes)};
}

RecordWriteOutcome Failed(const std::string& detail = std::string()) {
  return {ReaderVerdict::Failed, false, detail, {}};
}

// Nothing to write, or with a check what would be written; nothing when it is to be written.
bool NothingToWrite(std::vector<SettingDifference>& changes, bool check,
                    RecordWriteOutcome* outcome) {
  if (changes.empty()) {
    *outcome = {ReaderVerdict::Unchanged, false, "", {}};
    return true;
  }
  if (!check) return false;
  const std::string names = NamesOf(changes);
  *outcome = {ReaderVerdict::WouldChange, false, names, std::move(changes)};
  return true;
}

// defaults: the reader's own command, and the settings it holds then.
RecordWriteOutcome RestoreDefaults(ReaderLink& link, const ReaderSettings& before, bool check,
                                   FlowContext& flow) {
  if (check) {
    std::vector<SettingDifference> changes = DiffSettings(before, ReaderSettings(link.Interface()));
    RecordWriteOutcome outcome;
    NothingToWrite(changes, true, &outcome);
    return outcome;
  }
  // A reader that holds the factory settings already gets no command, as every write that
  // would change nothing.
  if (DiffSettings(before, ReaderSettings(link.Interface())).empty()) {
    return {ReaderVerdict::Unchanged, false, "", {}};
  }
  ReaderSettings after(link.Interface());
  // The command and, once acknowledged, the settings read back on the same open reader.
  DefaultsPlan plan;
  plan.beforeRead = DEFAULTS_READ_BACK_WAIT;
  if (!RestoreFactoryDefaults(&link, after, plan, flow)) {
    return Failed();
  }
  std::vector<SettingDifference> changes = DiffSettings(before, after);
  if (changes.empty()) return {ReaderVerdict::Unchanged, false, "", {}};
  return Written(std::move(changes));
}

// Reads the record a reader holds before a write, and with it the firmware number where the
// write depends on it (once for the whole write).
bool ReadBefore(ReaderLink& link, FlowContext& flow, ReaderSettings& before,
                std::optional<double>* firmware) {
  std::string version;
  const bool needed = WriteNeedsFirmware(link.Interface());
  if (!ReadOrTell(link, before, needed ? &version : nullptr, flow)) return false;
  if (needed) *firmware = ParseVersionNumber(version);
  return true;
}

}  // namespace

bool MakeRecordToWrite(const ReaderSettings& before, ReaderLink* link,
                       const RecordWriteRequest& request, ReaderSettings& after,
                       std::string* error) {
  after = before;
  return request.change(link, after, error) &&
         CheckWritable(before, after, MAX_SETTINGS_FRAME, error);
}

RecordWriteOutcome WriteRecordToReader(ReaderLink& link, const RecordWriteRequest& request,
                                       const FindReaderAgain& findAgain, FlowContext& flow) {
  ReaderSettings before(link.Interface());
  std::optional<double> firmware;
  if (!ReadBefore(link, flow, before, &firmware)) return Failed();
  if (!request.change) return RestoreDefaults(link, before, request.check, flow);

  ReaderSettings after(before);
  std::string error;
  if (!request.change(&link, after, &error)) return Refused(error, flow);
  const Byte requested = after.hidFormat;
  if (firmware) after.hidFormat = HidFormatToWrite(link.Interface(), *firmware, requested);
  if (after.hidFormat != requested) {
    flow.Note(HidFormatFirmwareNote() + "; it is written as " +
              SettingText(*FindNamedSetting("hid-format"), after) + ".");
  }
  if (!CheckWritable(before, after, MAX_SETTINGS_FRAME, &error)) return Refused(error, flow);
  std::vector<SettingDifference> changes = DiffSettings(before, after);
  RecordWriteOutcome outcome;
  if (NothingToWrite(changes, request.check, &outcome)) return outcome;

  const bool switches = SwitchesInterface(link.Interface(), before.hidFormat, after.hidFormat);
  if (switches) {
    after.SelectHidFormat(after.hidFormat);
    flow.Note(std::string("The USB HID format changes: the reader will re-appear as a ") +
              InterfaceOfHidFormat(after.hidFormat) + " device.");
  }
  SendPlan plan;
  plan.pauseAfterVersion = VERSION_QUERY_WAIT;
  plan.switchCountsOnceOpen = true;
  plan.words = request.words;
  plan.firmware = firmware;
  const SendResult sent = SendSettings(&link, after, plan, flow);
  if (sent.result != WriteOk) return Failed();

  // The reader re-appears on its other interface and is looked for afresh.
  std::unique_ptr<ReaderLink> switched;
  ReaderLink* readBack = &link;
  if (sent.interfaceSwitch || switches) {
    const std::string reappears = std::string("the reader re-appears as a ") +
                                  InterfaceOfHidFormat(after.hidFormat) +
                                  " device and was not read back";
    if (!findAgain) return Written(std::move(changes), reappears);
    WaitForSwitchedReader(flow);
    switched = findAgain();
    if (!switched) {
      flow.Note("The reader was not read back on its new interface; \"tessaron get\" shows its "
                "settings once it is there.");
      return Written(std::move(changes), reappears);
    }
    readBack = switched.get();
  }
  ReaderSettings held(readBack->Interface());
  if (!ReadOrTell(*readBack, held, nullptr, flow)) {
    // The run was asked to stop after the write: the reader holds the changes unconfirmed.
    if (readBack->Port().LastError().kind == PortErrorKind::Stopped) {
      return Written(std::move(changes), "not read back: " + readBack->FailureCause());
    }
    return Failed("written, but it could not be read back");
  }
  const std::vector<SettingDifference> different = DiffSettings(after, held);
  if (!different.empty()) {
    const std::string detail = "the read-back differs in " + NamesOf(different);
    flow.TellFailed("the reader holds other values than were written: " + detail);
    return Failed(detail);
  }
  return Written(std::move(changes));
}

}  // namespace tessaron
