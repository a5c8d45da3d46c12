#include "app/reader_state.h"

#include "core/command_frame.h"
#include "flows/flow_texts.h"
#include "flows/reader_session.h"

namespace tessaron {

ReaderState::ReaderState(ReaderSession& session, QObject* parent)
    : QObject(parent), session_(session), lastDeviceChange_(-DEVICE_CHANGE_DEBOUNCE_MS) {
  deviceClock_.start();
}

// The link goes before the session it was made from.
ReaderState::~ReaderState() = default;

void ReaderState::SetRecordState(RecordState state) {
  recordState_ = state;
  emit recordStateChanged();
}

void ReaderState::RecordMatchesReader() {
  readerRecord_ = settings_;
  SetRecordState(RecordState::FromReader);
}

void ReaderState::TellRecordReplaced() { emit recordReplaced(); }

void ReaderState::SetConnection(const ReaderConnection& connection) {
  connection_ = connection;
  if (!connection_.path.empty()) connection_.index = -1;
}

InterfaceType ReaderState::Line() const {
  return link_ ? link_->Interface() : InterfaceType::Unknown;
}

bool ReaderState::Connect(bool readSettings, FlowContext& flow) {
  DropLink();
  link_ = session_.Link(connection_);
  const ReadOutcome outcome =
      link_ ? ReadSettingsAndVersion(*link_, settings_, readSettings, nullptr, flow)
            : ReadOutcome::OpenFailed;
  ForgetConnectFailure();
  connectFailureCause_.clear();
  if (link_ && outcome != ReadOutcome::Ok && !link_->FailureTold()) {
    connectFailureCause_ = link_->FailureCause();
    const bool opened = outcome == ReadOutcome::ReadFailed;
    connectFailure_ = QString::fromLatin1(opened ? texts::READ_FAILED : OPEN_DEVICE_FAILED_TEXT);
    connectFailureDetail_ = QString::fromLocal8Bit(
        (opened ? ReadFailureCause(*link_) : connectFailureCause_).c_str());
  }
  if (readSettings) {
    if (outcome == ReadOutcome::Ok) {
      RecordMatchesReader();
    } else {
      SetRecordState(RecordState::NotRead);
    }
  }
  if (outcome == ReadOutcome::OpenFailed) {
    // Forgotten, also for the next run: it then starts with USB auto-detection.
    connection_ = ReaderConnection();
    link_.reset();
    return false;
  }
  emit readerReplaced();
  return readSettings && outcome == ReadOutcome::Ok;
}

void ReaderState::RenewLink() {
  DropLink();
  link_ = session_.Link(connection_);
}

void ReaderState::DropLink() {
  link_.reset();
  ForgetFirmware();
}

void ReaderState::ForgetConnectFailure() {
  connectFailure_.clear();
  connectFailureDetail_.clear();
}

void ReaderState::TakeFirmwareVersion(const std::string& version) {
  firmwareVersion_ = version;
  firmwareNumber_ = ParseVersionNumber(version);
  firmwareAsked_ = true;
}

void ReaderState::ReadFirmwareOnce(FlowContext& flow) {
  if (firmwareAsked_ || !link_ || !IsHidInterface(Line())) return;
  firmwareAsked_ = true;
  firmwareNumber_ = ReadFirmwareNumber(link_.get(), flow);
}

void ReaderState::ForgetFirmware() {
  firmwareVersion_.clear();
  firmwareNumber_ = 0;
  firmwareAsked_ = false;
}

const ReaderEnvironment& ReaderState::Readers() const { return session_.Environment(); }

bool ReaderState::FastReplies() const { return Readers().timing.fastReplies; }

void ReaderState::SetFastReplies(bool fast) {
  session_.Environment().timing.fastReplies = fast;
  emit fastRepliesChanged(fast);
}

void ReaderState::TellDevicesChanged() { TellDevicesChangedAt(deviceClock_.elapsed()); }

void ReaderState::TellDevicesChangedAt(qint64 timeMs) {
  // One change is taken once in the program, whichever window lists devices at the time.
  if (timeMs - lastDeviceChange_ < DEVICE_CHANGE_DEBOUNCE_MS) return;
  lastDeviceChange_ = timeMs;
  emit devicesChanged();
}

void ReaderState::ShowWorkStep(const QString& step) { emit workStepChanged(step); }

}  // namespace tessaron
