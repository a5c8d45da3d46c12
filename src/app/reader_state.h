#pragma once
// What the windows know of the reader they work with, in one object: the settings record
// every page edits and whether it shows what the reader holds, the connection that names the
// reader and the link that reaches it, its firmware, and the readers the session reaches. It
// tells the windows by signals when any of that changes; pages and sheets read it and ask it,
// never the main window. The main window owns it for the run.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "core/reader_settings.h"
#include "flows/reader_connection.h"
#include "flows/reader_flows.h"

namespace tessaron {

class FlowContext;
class ReaderSession;

// Whether the settings record shows what the reader holds.
enum class RecordState {
  FromReader,        // read from the reader, or written to it and taken
  NotRead,           // the reader did not give its settings: the values are not its own
  WriteUnconfirmed,  // a write went out without an answer: the reader may hold either
};

inline constexpr const char* OPEN_DEVICE_FAILED_TEXT =
    "Could not open Tessaron device, please check it!";

class ReaderState : public QObject {
  Q_OBJECT

 public:
  // Notices of device changes that come less than this long after the last one are taken as
  // the same change.
  static constexpr qint64 DEVICE_CHANGE_DEBOUNCE_MS = 500;

  // The readers are reached through session, which outlives the state.
  explicit ReaderState(ReaderSession& session, QObject* parent = nullptr);
  ~ReaderState() override;

  // ---- the record ----

  // The one record of the run; every page edits it.
  ReaderSettings& Settings() { return settings_; }
  const ReaderSettings& Settings() const { return settings_; }
  RecordState GetRecordState() const { return recordState_; }
  void SetRecordState(RecordState state);
  // The record now holds what the reader holds (it was read, or written and taken).
  void RecordMatchesReader();
  // What the reader was last seen to hold (the factory settings before any read): a write
  // may break no rule of the data-edit records that this did not break already.
  const ReaderSettings& ReaderRecord() const { return readerRecord_; }
  // The record was filled anew (read, loaded, reset): every page shows it again.
  void TellRecordReplaced();

  // ---- the reader ----

  // The reader named: by index among the devices of its class, or by a device path that
  // discovery may not offer (a pseudo-terminal; used for this run only, not remembered).
  const ReaderConnection& Connection() const { return connection_; }
  void SetConnection(const ReaderConnection& connection);
  // The current reader, or none; every piece of work opens and closes it.
  ReaderLink* Link() const { return link_.get(); }
  // The line of the current reader's port; Unknown without a reader.
  InterfaceType Line() const;
  // Makes a new link for the connection and, when asked, reads the settings into the record.
  // On an open failure the connection is forgotten (no reader named, none linked); once the
  // reader opened, the windows that show the record of an earlier reader go (readerReplaced).
  // A read that fails leaves the record as it was. True when the settings were read.
  bool Connect(bool readSettings, FlowContext& flow);
  // A new link to the reader named, without reading; none when no port serves it.
  void RenewLink();
  // No reader linked (the connection stays named).
  void DropLink();

  // Why the last Connect failed: the text for the user and the cause below it; empty when it
  // did not fail or the failure was told already (ForgetConnectFailure empties it).
  const QString& ConnectFailure() const { return connectFailure_; }
  const QString& ConnectFailureDetail() const { return connectFailureDetail_; }
  void ForgetConnectFailure();
  // The cause of the last failed open or read of Connect, as one line; empty when none.
  const std::string& ConnectFailureCause() const { return connectFailureCause_; }

  // ---- the firmware ----

  // The firmware version last read from the reader ("" when none was), and its number
  // (0 when not known).
  const std::string& FirmwareVersion() const { return firmwareVersion_; }
  double FirmwareNumber() const { return firmwareNumber_; }
  // Takes the version text read from the current reader.
  void TakeFirmwareVersion(const std::string& version);
  // Reads the firmware version of the current reader once per link, on the lines whose
  // rules depend on it (the USB HID lines); later calls and other lines read nothing.
  void ReadFirmwareOnce(FlowContext& flow);

  // ---- the readers ----

  // How the windows reach readers: the session's devices with the run's timing.
  const ReaderEnvironment& Readers() const;
  ReaderSession& Session() { return session_; }
  // Fast exchanges: every connection made from now on ends each exchange as soon as the
  // whole reply has come.
  bool FastReplies() const;
  void SetFastReplies(bool fast);
  // A device came or went: the windows that list devices are told, a burst of notices once
  // (devicesChanged). At: the time of the notice, in milliseconds of a steady clock.
  void TellDevicesChanged();
  void TellDevicesChangedAt(qint64 timeMs);

  // ---- the work under way ----

  // The step of the reader work under way; an empty step: none.
  void ShowWorkStep(const QString& step);

 signals:
  void recordReplaced();
  void recordStateChanged();
  // A new reader was linked: nothing may show values of an earlier one.
  void readerReplaced();
  void devicesChanged();
  void fastRepliesChanged(bool fast);
  void workStepChanged(const QString& step);

 private:
  void ForgetFirmware();

  ReaderSession& session_;
  ReaderSettings settings_;
  ReaderSettings readerRecord_;
  RecordState recordState_ = RecordState::NotRead;
  ReaderConnection connection_;
  std::unique_ptr<ReaderLink> link_;
  QString connectFailure_;
  QString connectFailureDetail_;
  std::string connectFailureCause_;
  std::string firmwareVersion_;
  double firmwareNumber_ = 0;
  bool firmwareAsked_ = false;
  // The clock of the device-change notices, and the time of the last one taken.
  QElapsedTimer deviceClock_;
  qint64 lastDeviceChange_;
};

}  // namespace tessaron
