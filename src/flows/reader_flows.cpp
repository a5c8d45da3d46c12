#include "flows/reader_flows.h"

#include "core/command_frame.h"
#include "core/config_file.h"
#include "core/setting_checks.h"
#include "core/setting_names.h"
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"

namespace tessaron {

namespace {

// The boot loader is entered with this password only.
constexpr char BOOT_LOADER_PASSWORD[] = "Verdanth 5291";

// Cause line of a read that gave no usable settings reply (none, or one that does not
// decode) while the port saw no error of its own.
constexpr const char* DAMAGED_REPLY_CAUSE =
    "The reader gave no reply, or an incomplete or damaged one; nothing was taken from it. "
    "Check that it is attached and switched on, then try again.";

// A settings frame went out and no answer came: the reader may have taken it (a reader that
// froze takes the frame when it wakes), so its settings are not known any more.
constexpr const char* WRITE_OUTCOME_UNKNOWN_CAUSE =
    "The reader did not answer the write in time, so whether it took the settings is not "
    "known. Check that it is powered and connected, then use CHECK CURRENT READER SETTINGS "
    "to read what it holds.";

// Whether the last exchange sent its frame and then heard nothing back.
bool SentWithoutAnswer(const ReaderLink& link) {
  return link.Port().LastError().kind == PortErrorKind::NoReply;
}

// Tells a failure with the link's cause, unless the link has told it already.
void TellLinkFailure(const ReaderLink* link, const char* text, FlowContext& flow) {
  if (link != nullptr && link->FailureTold()) return;
  flow.TellFailed(text, link != nullptr ? link->FailureCause() : std::string());
}


// The firmware number, read on an open-close of its own; 0 when the reader does not open
// or gives no version. A keyboard-class reader before a write or a clone gets its pause
// before or after the query.
enum class VersionPause { None, Before, After };
double FirmwareNumber(ReaderLink& link, VersionPause pause, FlowContext& flow) {
  std::string version;
  OpenReader reader(&link);
  if (reader.IsOpen()) {
    if (pause == VersionPause::Before) flow.Wait(VERSION_QUERY_WAIT);
    flow.Progress("Reading the firmware version from " + link.Name());
    link.Port().GetFirmwareVersion(version);
    if (pause == VersionPause::After) flow.Wait(VERSION_QUERY_WAIT);
  }
  reader.Close();
  return ParseVersionNumber(version);
}

// The caller's wait, where it asked for one.
void WaitIfAny(std::chrono::milliseconds length, FlowContext& flow) {
  if (length.count() > 0) flow.Wait(length);
}

}  // namespace

// ---- reading ----

std::string ReadFailureCause(const ReaderLink& link) {
  const std::string cause = link.FailureCause();
  return cause.empty() ? DAMAGED_REPLY_CAUSE : cause;
}

ReadOutcome ReadSettingsAndVersion(ReaderLink& link, ReaderSettings& settings, bool readSettings,
                                   std::string* firmware, FlowContext& flow) {
  if (firmware != nullptr) firmware->clear();
  OpenReader reader(&link);
  if (!reader.IsOpen()) return ReadOutcome::OpenFailed;
  if (readSettings) {
    flow.Progress("Reading settings from " + link.Name());
    if (!ReadFromReader(settings, &link.Port())) return ReadOutcome::ReadFailed;
  }
  if (firmware != nullptr) {
    // The keyboard line needs a rest between the long settings reply and the next query.
    if (settings.interfaceType == InterfaceType::Ps2Keyboard) flow.Wait(KEYBOARD_VERSION_WAIT);
    flow.Progress("Reading the firmware version from " + link.Name());
    link.Port().GetFirmwareVersion(*firmware);
  }
  return ReadOutcome::Ok;
}

double ReadFirmwareNumber(ReaderLink* link, FlowContext& flow) {
  return link != nullptr ? FirmwareNumber(*link, VersionPause::None, flow) : 0.0;
}

void TellReadFailure(ReadOutcome outcome, const ReaderLink& link, FlowContext& flow) {
  switch (outcome) {
    case ReadOutcome::Ok:
      return;
    case ReadOutcome::OpenFailed:
      TellLinkFailure(&link, texts::DEVICE_OPEN_FAILED, flow);
      return;
    case ReadOutcome::ReadFailed:
      flow.TellFailed(texts::READ_FAILED, ReadFailureCause(link));
      return;
  }
}

bool ReadOrTell(ReaderLink& link, ReaderSettings& settings, std::string* firmware,
                FlowContext& flow) {
  const ReadOutcome read = ReadSettingsAndVersion(link, settings, true, firmware, flow);
  TellReadFailure(read, link, flow);
  return read == ReadOutcome::Ok;
}

// ---- "Send to MSR" ----

SendResult SendSettings(ReaderLink* link, ReaderSettings& settings, const SendPlan& plan,
                        FlowContext& flow) {
  // A record too long for one frame is told as such by the write itself.
  std::string broken;
  if (plan.held != nullptr && CheckSettingsFit(settings, MAX_SETTINGS_FRAME, &broken) &&
      !CheckRulesKept(*plan.held, settings, &broken)) {
    flow.TellFailed(plan.words.failed, broken + "; nothing was written. Correct it, then send again.");
    SendResult refused;
    refused.refused = true;
    return refused;
  }
  if (link != nullptr && WriteNeedsFirmware(link->Interface())) {
    const double firmware =
        plan.firmware ? *plan.firmware : FirmwareNumber(*link, VersionPause::Before, flow);
    WaitIfAny(plan.pauseAfterVersion, flow);
    settings.hidFormat = HidFormatToWrite(link->Interface(), firmware, settings.hidFormat);
  }

  SendResult sent;
  // A pending switch is noted before the reader is opened, or once it is open (and taken as
  // not pending when the reader does not open).
  sent.interfaceSwitch = !plan.switchCountsOnceOpen && settings.IsInterfaceSwitchPending();
  OpenReader reader(link);
  if (reader.IsOpen()) {
    if (plan.switchCountsOnceOpen) sent.interfaceSwitch = settings.IsInterfaceSwitchPending();
    flow.Progress("Writing settings to " + link->Name());
    sent.result = WriteToReader(settings, &link->Port());
    sent.outcomeUnknown = sent.result == WriteFailed && SentWithoutAnswer(*link);
  }
  reader.Close();

  switch (sent.result) {
    case WriteOk: {
      std::string text = plan.words.done;
      if (sent.interfaceSwitch) text += std::string(plan.words.switchJoin) + texts::INTERFACE_SWITCHED;
      flow.TellDone(text);
      break;
    }
    case WriteRejected:
      // The reader refused (part of) the frame: not a success, whatever it kept of it.
      flow.TellFailed(texts::UNKNOWN_FUNC_IDS);
      break;
    case WriteTooLong:
      flow.TellFailed(texts::WRITE_TOO_LONG);
      break;
    case WriteFailed:
      if (sent.outcomeUnknown) {
        flow.TellFailed(plan.words.failed, WRITE_OUTCOME_UNKNOWN_CAUSE);
      } else {
        TellLinkFailure(link, plan.words.failed, flow);
      }
      break;
  }
  return sent;
}

void WaitForSwitchedReader(FlowContext& flow) { flow.Wait(INTERFACE_SWITCH_WAIT); }

// ---- configuration files ----

bool SaveSettingsFile(const ReaderSettings& settings, const std::string& path,
                      const SaveWords& words, FlowContext& flow) {
  int osError = 0;
  const ConfigFileStatus status = SaveConfigFileStatus(settings, path, &osError);
  if (status == ConfigFileStatus::Ok) {
    flow.TellDone(words.done);
    return true;
  }
  flow.TellFailed(words.failed, "Cannot write " + path + ": " + ConfigFileCause(status, osError));
  return false;
}

bool LoadSettingsFile(ReaderSettings& settings, const std::string& path, FlowContext& flow) {
  int osError = 0;
  const ConfigFileStatus status = LoadConfigFileStatus(settings, path, &osError);
  if (status == ConfigFileStatus::Ok) return true;
  flow.TellFailed(texts::LOAD_FAILED, "Cannot load " + path + ": " + ConfigFileCause(status, osError));
  return false;
}

void AskKeyboardFormatOfKeyboardReader(ReaderLink* link, ReaderSettings& settings) {
  if (link == nullptr) return;
  const OpenReader reader(link);
  if (reader.IsOpen() && link->Interface() == InterfaceType::UsbHidKb) {
    settings.hidFormat = HID_FORMAT_KALDOR_KEYBOARD;
  }
}

bool LoadSettingsFlow(ReaderLink* link, ReaderSettings& settings, const std::string& path,
                      FlowContext& flow) {
  if (!LoadSettingsFile(settings, path, flow)) return false;
  AskKeyboardFormatOfKeyboardReader(link, settings);
  flow.SettingsChanged();
  flow.TellDone(texts::LOAD_OK);
  return true;
}

// ---- "Default All" ----

bool RestoreFactoryDefaults(ReaderLink* link, ReaderSettings& settings, const DefaultsPlan& plan,
                            FlowContext& flow) {
  OpenReader forCommand(link);
  if (!forCommand.OrTell(plan.openFailed, flow)) return false;
  WaitIfAny(plan.beforeCommand, flow);
  flow.Progress("Restoring the factory settings of " + link->Name());
  if (!RestoreFactorySettings(&link->Port())) {
    forCommand.Close();
    TellLinkFailure(link, texts::DEFAULTS_FAILED, flow);
    return false;
  }
  std::optional<OpenReader> forRead;
  if (plan.readOnOwnOpen) {
    forCommand.Close();
    forRead.emplace(link);
    if (!forRead->OrTell(plan.reopenFailed, flow)) return false;
  }
  WaitIfAny(plan.beforeRead, flow);
  // The outcome is told once the settings have been read back, so that whatever shows the
  // record shows the factory settings when the user reads it.
  flow.Progress("Reading settings from " + link->Name());
  const bool read = ReadFromReader(settings, &link->Port());
  const std::string cause = read ? std::string() : ReadFailureCause(*link);
  forCommand.Close();
  if (forRead) forRead->Close();
  if (!read) {
    flow.TellFailed(plan.readFailed,
                    "The reader took the factory settings, but they could not be read back. " +
                        cause);
    return false;
  }
  flow.SettingsChanged();
  flow.TellDone(texts::DEFAULTS_OK);
  return true;
}

// ---- quick clone ----

SourceReadOutcome ReadCloneSource(const ReaderConnection* source,
                                  const ReaderEnvironment& environment,
                                  std::unique_ptr<ReaderLink>& sourceLink,
                                  std::unique_ptr<ReaderSettings>& sourceSettings,
                                  FlowContext& flow) {
  if (source == nullptr) {
    flow.TellFailed(texts::SELECT_SOURCE);
    return SourceReadOutcome::NotRead;
  }
  sourceLink = ReaderLink::Create(*source, environment);
  if (!sourceLink) {
    flow.TellFailed(texts::NO_MEMORY);
    return SourceReadOutcome::NotRead;
  }
  OpenReader reader(sourceLink.get());
  if (!reader.OrTell(texts::SOURCE_OPEN_FAILED, flow)) return SourceReadOutcome::NotRead;
  // A new record for every read, made for the source's interface.
  sourceSettings = std::make_unique<ReaderSettings>(source->type);
  flow.Progress("Reading settings from " + sourceLink->Name());
  const bool read = ReadFromReader(*sourceSettings, &sourceLink->Port());
  const std::string cause = read ? std::string() : ReadFailureCause(*sourceLink);
  reader.Close();
  if (!read) {
    flow.TellFailed(texts::READ_FAILED, cause);
    return SourceReadOutcome::ReadFailed;
  }
  flow.TellDone(texts::SOURCE_READ_OK);
  return SourceReadOutcome::Read;
}

WriteResult CloneToTarget(const ReaderSettings* source, bool sourceRead,
                          const ReaderConnection* target, const ReaderEnvironment& environment,
                          std::unique_ptr<ReaderLink>& targetLink, FlowContext& flow) {
  if (!sourceRead || source == nullptr) {
    flow.TellFailed(texts::READ_SOURCE_FIRST);
    return WriteFailed;
  }
  if (target == nullptr) {
    flow.TellFailed(texts::SELECT_TARGET);
    return WriteFailed;
  }
  targetLink = ReaderLink::Create(*target, environment);
  if (!targetLink) {
    flow.TellFailed(texts::NO_MEMORY);
    return WriteFailed;
  }
  // A keyboard-class target may get another USB HID format by its firmware. That is this
  // one write's business: the copy written gets it, the source record stays as it
  // was read, so that later clones from it to other readers carry the source's own format.
  ReaderSettings written(*source);
  if (WriteNeedsFirmware(targetLink->Interface())) {
    const Byte format =
        HidFormatToClone(targetLink->Interface(),
                         FirmwareNumber(*targetLink, VersionPause::After, flow), source->hidFormat);
    if (format != source->hidFormat) written.SelectHidFormat(format);
  }
  OpenReader reader(targetLink.get());
  if (!reader.OrTell(texts::TARGET_OPEN_FAILED, flow)) return WriteFailed;
  flow.Progress("Writing settings to " + targetLink->Name());
  const WriteResult result = WriteToReader(written, &targetLink->Port());
  std::string cause = result == WriteFailed ? targetLink->FailureCause() : std::string();
  if (result == WriteFailed && SentWithoutAnswer(*targetLink)) cause = WRITE_OUTCOME_UNKNOWN_CAUSE;
  reader.Close();
  switch (result) {
    case WriteOk:
      flow.TellDone(texts::CLONE_OK);
      break;
    case WriteRejected:
      flow.TellFailed(texts::UNKNOWN_FUNC_IDS);
      break;
    case WriteTooLong:
      flow.TellFailed(texts::CLONE_FAILED, texts::WRITE_TOO_LONG);
      break;
    case WriteFailed:
      flow.TellFailed(texts::CLONE_FAILED, cause);
      break;
  }
  return result;
}

// ---- boot loader ----

bool IsBootLoaderPassword(const std::string& password) {
  return password == BOOT_LOADER_PASSWORD;
}

BootLoaderOutcome EnterBootLoader(ReaderLink* link, FlowContext& flow) {
  if (!flow.Confirm(texts::BOOT_LOADER_WARNING_CAPTION, texts::BOOT_LOADER_WARNING)) {
    return BootLoaderOutcome::Declined;
  }
  OpenReader reader(link);
  if (!reader.OrTell(texts::DEVICE_OPEN_FAILED, flow)) return BootLoaderOutcome::OpenFailed;
  flow.Progress("Switching " + link->Name() + " into its boot loader");
  const bool acknowledged = EnterBootLoaderMode(&link->Port());
  const std::string cause = acknowledged ? std::string() : link->FailureCause();
  reader.Close();
  if (!acknowledged) {
    flow.TellFailed(texts::BOOT_LOADER_FAILED, cause);
    return BootLoaderOutcome::Refused;
  }
  flow.TellDone(texts::BOOT_LOADER_OK);
  return BootLoaderOutcome::Entered;
}

}  // namespace tessaron
