#include "cli/reader_flows.h"

#include <array>

#include "core/command_frame.h"
#include "core/command_text.h"

namespace tessaron {

namespace {

// USB HID format bytes of the firmware rule.
constexpr Byte HID_FORMAT_DATA = '0';
constexpr Byte HID_FORMAT_KEYBOARD = '8';

}  // namespace

ReadOutcome ReadReaderSettings(ReaderLink& link, ReaderSettings& settings, std::string* firmware,
                               const FlowContext& flow) {
  if (firmware != nullptr) firmware->clear();
  if (!link.Open()) return ReadOutcome::OpenFailed;
  flow.progress << "Reading settings from " << link.Name() << " ...\n";
  if (!ReadFromReader(settings, &link.Port())) {
    link.Close();
    return ReadOutcome::ReadFailed;
  }
  if (firmware != nullptr) {
    // The keyboard line needs a rest between the long settings reply and the next query.
    if (settings.interfaceType == INTERFACE_PS2_KEYBOARD) flow.Wait(KEYBOARD_VERSION_WAIT);
    flow.progress << "Reading the firmware version from " << link.Name() << " ...\n";
    link.Port().GetFirmwareVersion(*firmware);
  }
  link.Close();
  return ReadOutcome::Ok;
}

VersionOutcome ReadFirmwareVersion(ReaderLink& link, std::string* firmware,
                                   const FlowContext& flow) {
  firmware->clear();
  if (!link.Open()) return VersionOutcome::OpenFailed;
  flow.progress << "Reading the firmware version from " << link.Name() << " ...\n";
  const bool known = link.Port().GetFirmwareVersion(*firmware);
  link.Close();
  return known && !firmware->empty() ? VersionOutcome::Ok : VersionOutcome::NoVersion;
}

SendOutcome SendSettings(ReaderLink& link, ReaderSettings& settings, const FlowContext& flow) {
  if (link.Interface() == INTERFACE_USB_HID_KB) {
    std::string version;
    if (link.Open()) {
      flow.Wait(VERSION_QUERY_WAIT);
      flow.progress << "Reading the firmware version from " << link.Name() << " ...\n";
      link.Port().GetFirmwareVersion(version);
    }
    link.Close();
    flow.Wait(VERSION_QUERY_WAIT);
    if (ParseVersionNumber(version) < HID_KB_FORMAT_MIN_VERSION) {
      settings.hidFormat = HID_FORMAT_DATA;
    }
  }

  SendOutcome outcome;
  if (link.Open()) {
    outcome.interfaceSwitch = settings.IsInterfaceSwitchPending();
    flow.progress << "Writing settings to " << link.Name() << " ...\n";
    outcome.result = WriteToReader(settings, &link.Port());
  }
  link.Close();
  return outcome;
}

bool RestoreDefaults(ReaderLink& link, ReaderSettings& settings, const FlowContext& flow) {
  if (!link.Open()) return false;
  flow.progress << "Restoring the factory settings of " << link.Name() << " ...\n";
  bool read = false;
  if (RestoreFactorySettings(&link.Port())) {
    flow.Wait(DEFAULTS_READ_BACK_WAIT);
    flow.progress << "Reading settings from " << link.Name() << " ...\n";
    read = ReadFromReader(settings, &link.Port());
  }
  link.Close();
  return read;
}

CommandOutcome SendCommandFrame(ReaderLink& link, const ByteString& frame,
                                const FlowContext& flow) {
  CommandOutcome outcome;
  if (frame.empty() || frame.size() > MANUAL_COMMAND_FRAME_MAX) return outcome;
  if (!link.Open()) {
    link.Close();
    return outcome;
  }
  outcome.opened = true;
  flow.progress << "Sending the command to " << link.Name() << " ...\n";
  std::array<Byte, MANUAL_COMMAND_REPLY_BUFFER_SIZE> reply{};
  std::uint32_t received = static_cast<std::uint32_t>(reply.size());
  outcome.succeeded = link.Port().Transact(frame.data(), static_cast<std::int32_t>(frame.size()),
                                           reply.data(), &received);
  if (received > reply.size()) received = static_cast<std::uint32_t>(reply.size());
  outcome.reply.assign(reply.begin(), reply.begin() + received);
  link.Close();
  return outcome;
}

CloneOutcome CloneSettings(ReaderSettings& source, ReaderLink& target, const FlowContext& flow) {
  if (target.Interface() == INTERFACE_USB_HID_KB) {
    if (target.Open()) {
      flow.progress << "Reading the firmware version from " << target.Name() << " ...\n";
      std::string version;
      target.Port().GetFirmwareVersion(version);
      flow.Wait(VERSION_QUERY_WAIT);
      if (ParseVersionNumber(version) >= HID_KB_FORMAT_MIN_VERSION) {
        source.SelectHidFormat(HID_FORMAT_KEYBOARD);
      }
    }
    target.Close();
  }

  if (!target.Open()) {
    target.Close();
    return CloneOutcome::TargetOpenFailed;
  }
  flow.progress << "Writing settings to " << target.Name() << " ...\n";
  const WriteResult result = WriteToReader(source, &target.Port());
  target.Close();
  switch (result) {
    case WriteOk:
      return CloneOutcome::Ok;
    case WriteRejected:
      return CloneOutcome::Rejected;
    case WriteFailed:
    case WriteTooLong:
      break;
  }
  return CloneOutcome::Failed;
}

}  // namespace tessaron
