#include "flows/reader_flows.h"

#include "core/command_frame.h"
#include "core/config_file.h"
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"

namespace tessaron {

namespace {

// The boot loader is entered with this password only.
constexpr char BOOT_LOADER_PASSWORD[] = "Verdanth 5291";
// The one data byte of the boot-loader command.
constexpr Byte BOOT_LOADER_KEY = 0xFF;

// Cause line of a read that gave no usable settings reply (none, or one that does not
// decode) while the port saw no error of its own.
constexpr const char* DAMAGED_REPLY_CAUSE =
    "The reader gave no reply, or an incomplete or damaged one; nothing was taken from it. "
    "Check that it is attached and switched on, then try again.";

// The cause line of the link's last failure; empty when the port has already said it.
std::string CauseOf(const ReaderLink& link) { return link.FailureCause(); }

bool AlreadyShown(const ReaderLink& link) { return link.Port().LastError().alreadyShown; }

// Tells a failure unless the port has shown it to the user already.
void TellLinkFailure(const ReaderLink* link, const char* text, FlowContext& flow) {
  if (link != nullptr && AlreadyShown(*link)) return;
  flow.TellFailed(text, link != nullptr ? CauseOf(*link) : std::string());
}

// The firmware number, read on an open-close of its own; 0 when the reader does not open
// or gives no version. A keyboard-class reader before a write or a clone gets its pause
// before or after the query.
enum class VersionPause { None, Before, After };
double FirmwareNumber(ReaderLink& link, VersionPause pause, FlowContext& flow) {
  std::string version;
  if (link.Open()) {
    if (pause == VersionPause::Before) flow.Wait(VERSION_QUERY_WAIT);
    flow.Progress("Reading the firmware version from " + link.Name());
    link.Port().GetFirmwareVersion(version);
    if (pause == VersionPause::After) flow.Wait(VERSION_QUERY_WAIT);
  }
  link.Close();
  return ParseVersionNumber(version);
}

}  // namespace

// ---- reading ----

ReadOutcome ReadReader(ReaderLink& link, ReaderSettings& settings, bool readSettings,
                       std::string* firmware, FlowContext& flow) {
  if (firmware != nullptr) firmware->clear();
  if (!link.Open()) {
    link.Close();
    return ReadOutcome::OpenFailed;
  }
  if (readSettings) {
    flow.Progress("Reading settings from " + link.Name());
    if (!ReadFromReader(settings, &link.Port())) {
      link.Close();
      return ReadOutcome::ReadFailed;
    }
  }
  if (firmware != nullptr) {
    // The keyboard line needs a rest between the long settings reply and the next query.
    if (settings.interfaceType == INTERFACE_PS2_KEYBOARD) flow.Wait(KEYBOARD_VERSION_WAIT);
    flow.Progress("Reading the firmware version from " + link.Name());
    link.Port().GetFirmwareVersion(*firmware);
  }
  link.Close();
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
    case ReadOutcome::ReadFailed: {
      std::string cause = CauseOf(link);
      if (cause.empty()) cause = DAMAGED_REPLY_CAUSE;
      flow.TellFailed(texts::READ_FAILED, cause);
      return;
    }
  }
}

// ---- "Send to MSR" ----

void KeepFirmwareFormat(InterfaceType type, double firmware, ReaderSettings& settings) {
  if (type == INTERFACE_USB_HID_KB && firmware < HID_KB_FORMAT_MIN_VERSION) {
    settings.hidFormat = HID_FORMAT_KALDOR_DATA;
  }
}

SendResult SendSettings(ReaderLink* link, ReaderSettings& settings, SheetKind kind,
                        FlowContext& flow) {
  // A keyboard-class USB reader takes the keyboard HID format only from firmware 1.89 on;
  // an older (or unreadable) firmware gets the data format.
  if (link != nullptr && link->Interface() == INTERFACE_USB_HID_KB) {
    const double firmware = FirmwareNumber(*link, VersionPause::Before, flow);
    if (kind == SheetKind::Basic) flow.Wait(VERSION_QUERY_WAIT);
    KeepFirmwareFormat(link->Interface(), firmware, settings);
  }

  SendResult sent;
  // The advanced sheet notes a pending switch before it opens the reader; the basic sheet
  // once the reader is open (and takes it as not pending when the reader does not open).
  sent.interfaceSwitch = kind == SheetKind::Advanced && settings.IsInterfaceSwitchPending();
  std::string cause;
  if (link != nullptr && link->Open()) {
    if (kind == SheetKind::Basic) sent.interfaceSwitch = settings.IsInterfaceSwitchPending();
    flow.Progress("Writing settings to " + link->Name());
    sent.result = WriteToReader(settings, &link->Port());
  }
  if (link != nullptr) link->Close();

  switch (sent.result) {
    case WriteOk: {
      std::string text = texts::WRITE_OK;
      if (sent.interfaceSwitch) text += texts::INTERFACE_SWITCHED;
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
      TellLinkFailure(link, texts::WRITE_FAILED, flow);
      break;
  }
  return sent;
}

void WaitForSwitchedReader(FlowContext& flow) { flow.Wait(INTERFACE_SWITCH_WAIT); }

// ---- configuration files ----

bool SaveSettingsFile(const ReaderSettings& settings, const std::string& path, SheetKind kind,
                      FlowContext& flow) {
  int osError = 0;
  const ConfigFileStatus status = SaveConfigFileStatus(settings, path, &osError);
  if (status == ConfigFileStatus::Ok) {
    flow.TellDone(kind == SheetKind::Basic ? texts::SAVE_OK : texts::SAVE_OK_ADVANCED);
    return true;
  }
  flow.TellFailed(kind == SheetKind::Basic ? texts::SAVE_FAILED : texts::SAVE_FAILED_ADVANCED,
                  "Cannot write " + path + ": " + ConfigFileCause(status, osError));
  return false;
}

bool LoadSettingsFile(ReaderSettings& settings, const std::string& path, FlowContext& flow) {
  int osError = 0;
  const ConfigFileStatus status = LoadConfigFileStatus(settings, path, &osError);
  if (status == ConfigFileStatus::Ok) return true;
  flow.TellFailed(texts::LOAD_FAILED, "Cannot load " + path + ": " + ConfigFileCause(status, osError));
  return false;
}

void KeepKeyboardFormat(ReaderLink* link, ReaderSettings& settings) {
  if (link == nullptr) return;
  if (link->Open() && link->Interface() == INTERFACE_USB_HID_KB) {
    settings.hidFormat = HID_FORMAT_KALDOR_KEYBOARD;
  }
  link->Close();
}

bool LoadSettingsFlow(ReaderLink* link, ReaderSettings& settings, const std::string& path,
                      FlowContext& flow) {
  if (!LoadSettingsFile(settings, path, flow)) return false;
  KeepKeyboardFormat(link, settings);
  flow.SettingsChanged();
  flow.TellDone(texts::LOAD_OK);
  return true;
}

// ---- "Default All" ----

namespace {

// The advanced sheet (and the command-line tool): the command, and once it is acknowledged
// the settings read back on the same open reader.
bool RestoreDefaultsReadingBack(ReaderLink* link, ReaderSettings& settings, FlowContext& flow) {
  bool read = false;
  if (link != nullptr && link->Open()) {
    flow.Progress("Restoring the factory settings of " + link->Name());
    if (RestoreFactorySettings(&link->Port())) {
      flow.Wait(DEFAULTS_READ_BACK_WAIT);
      flow.Progress("Reading settings from " + link->Name());
      read = ReadFromReader(settings, &link->Port());
    }
  }
  if (link != nullptr) link->Close();
  if (!read) {
    TellLinkFailure(link, texts::DEFAULTS_FAILED, flow);
    return false;
  }
  flow.SettingsChanged();
  flow.TellDone(texts::DEFAULTS_OK);
  return true;
}

// The basic sheet: the command on one open-close, the read on another, each step with its
// own message.
bool RestoreDefaultsInTwoSteps(ReaderLink* link, ReaderSettings& settings, FlowContext& flow) {
  if (link == nullptr || !link->Open()) {
    if (link != nullptr) link->Close();
    TellLinkFailure(link, texts::DEFAULTS_OPEN_FAILED, flow);
    return false;
  }
  flow.Wait(DEFAULTS_COMMAND_WAIT);
  flow.Progress("Restoring the factory settings of " + link->Name());
  const bool acknowledged = RestoreFactorySettings(&link->Port());
  link->Close();
  if (!acknowledged) {
    TellLinkFailure(link, texts::DEFAULTS_FAILED, flow);
    return false;
  }
  flow.TellDone(texts::DEFAULTS_OK);

  if (!link->Open()) {
    link->Close();
    TellLinkFailure(link, texts::DEFAULTS_REOPEN_FAILED, flow);
    return false;
  }
  flow.Wait(DEFAULTS_REOPEN_WAIT);
  flow.Progress("Reading settings from " + link->Name());
  const bool read = ReadFromReader(settings, &link->Port());
  link->Close();
  if (!read) {
    TellLinkFailure(link, texts::DEFAULTS_READ_BACK_FAILED, flow);
    return false;
  }
  flow.SettingsChanged();
  return true;
}

}  // namespace

bool RestoreFactoryDefaults(ReaderLink* link, ReaderSettings& settings, SheetKind kind,
                            FlowContext& flow) {
  return kind == SheetKind::Basic ? RestoreDefaultsInTwoSteps(link, settings, flow)
                                  : RestoreDefaultsReadingBack(link, settings, flow);
}

// ---- quick clone ----

SourceReadOutcome ReadCloneSource(const ReaderConnection* source, const PortSetup& ports,
                                  std::unique_ptr<ReaderLink>& sourceLink,
                                  std::unique_ptr<ReaderSettings>& sourceSettings,
                                  FlowContext& flow) {
  if (source == nullptr) {
    flow.TellFailed(texts::SELECT_SOURCE);
    return SourceReadOutcome::NotRead;
  }
  sourceLink = ReaderLink::Create(*source, ports);
  if (!sourceLink) {
    flow.TellFailed(texts::NO_MEMORY);
    return SourceReadOutcome::NotRead;
  }
  if (!sourceLink->Open()) {
    sourceLink->Close();
    TellLinkFailure(sourceLink.get(), texts::SOURCE_OPEN_FAILED, flow);
    return SourceReadOutcome::NotRead;
  }
  // A new record for every read, made for the source's interface.
  sourceSettings = std::make_unique<ReaderSettings>(source->type);
  flow.Progress("Reading settings from " + sourceLink->Name());
  const bool read = ReadFromReader(*sourceSettings, &sourceLink->Port());
  const std::string cause = read ? std::string() : CauseOf(*sourceLink);
  sourceLink->Close();
  if (!read) {
    flow.TellFailed(texts::READ_FAILED, cause.empty() ? DAMAGED_REPLY_CAUSE : cause);
    return SourceReadOutcome::ReadFailed;
  }
  flow.TellDone(texts::SOURCE_READ_OK);
  return SourceReadOutcome::Read;
}

WriteResult CloneToTarget(const ReaderSettings* source, bool sourceRead,
                          const ReaderConnection* target, const PortSetup& ports,
                          std::unique_ptr<ReaderLink>& targetLink, FlowContext& flow) {
  if (!sourceRead || source == nullptr) {
    flow.TellFailed(texts::READ_SOURCE_FIRST);
    return WriteFailed;
  }
  if (target == nullptr) {
    flow.TellFailed(texts::SELECT_TARGET);
    return WriteFailed;
  }
  targetLink = ReaderLink::Create(*target, ports);
  if (!targetLink) {
    flow.TellFailed(texts::NO_MEMORY);
    return WriteFailed;
  }
  // A keyboard-class target on firmware 1.89 or later is set to the keyboard HID format. That
  // is this one write's business: the copy written gets it, the source record stays as it
  // was read, so that later clones from it to other readers carry the source's own format.
  ReaderSettings written(*source);
  if (targetLink->Interface() == INTERFACE_USB_HID_KB &&
      FirmwareNumber(*targetLink, VersionPause::After, flow) >= HID_KB_FORMAT_MIN_VERSION) {
    written.SelectHidFormat(HID_FORMAT_KALDOR_KEYBOARD);
  }
  if (!targetLink->Open()) {
    targetLink->Close();
    TellLinkFailure(targetLink.get(), texts::TARGET_OPEN_FAILED, flow);
    return WriteFailed;
  }
  flow.Progress("Writing settings to " + targetLink->Name());
  const WriteResult result = WriteToReader(written, &targetLink->Port());
  const std::string cause = result == WriteFailed ? CauseOf(*targetLink) : std::string();
  targetLink->Close();
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
  Byte frame[COMMAND_BUFFER_SIZE] = {};
  std::uint32_t frameLength = COMMAND_BUFFER_SIZE;
  const Byte key = BOOT_LOADER_KEY;
  if (!BuildCommandFrame(CMD_ENTER_BOOT_LOADER, 1, &key, frame, &frameLength)) {
    flow.TellFailed(texts::BOOT_LOADER_FAILED);
    return BootLoaderOutcome::Refused;
  }
  if (link == nullptr || !link->Open()) {
    if (link != nullptr) link->Close();
    TellLinkFailure(link, texts::DEVICE_OPEN_FAILED, flow);
    return BootLoaderOutcome::OpenFailed;
  }
  flow.Progress("Switching " + link->Name() + " into its boot loader");
  Byte reply[WRITE_REPLY_BUFFER_SIZE] = {};
  std::uint32_t replyLength = WRITE_REPLY_BUFFER_SIZE;
  const bool acknowledged = link->Port().Transact(frame, static_cast<std::int32_t>(frameLength),
                                                  reply, &replyLength);
  const std::string cause = acknowledged ? std::string() : CauseOf(*link);
  link->Close();
  if (!acknowledged) {
    flow.TellFailed(texts::BOOT_LOADER_FAILED, cause);
    return BootLoaderOutcome::Refused;
  }
  flow.TellDone(texts::BOOT_LOADER_OK);
  return BootLoaderOutcome::Entered;
}

}  // namespace tessaron
