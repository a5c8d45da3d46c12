#pragma once
// The reader workflows, written once for both programs: reading a reader's settings and
// firmware version, "Send to MSR" with the firmware rule of keyboard-class USB readers,
// saving and loading configuration files, restoring the factory settings, quick clone,
// entering the boot loader and the wait after an interface switch. Each opens the reader,
// runs its exchanges and closes it again; it waits, reports its steps and tells the user
// the outcome through its FlowContext, with the cause of a failure on a line of its own.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "core/firmware.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"
#include "flows/flow_context.h"
#include "flows/flow_texts.h"
#include "flows/reader_connection.h"

namespace tessaron {

// A flow that goes differently for different callers takes its steps and words from the
// caller, which fills them in: the sheets, the command line and quick clone each carry their own.

// The outcome texts of a write; switchJoin goes between done and INTERFACE_SWITCHED.
struct WriteWords {
  const char* done = texts::WRITE_OK;
  const char* failed = texts::WRITE_FAILED;
  const char* switchJoin = "";
};

// "Send to MSR".
struct SendPlan {
  // A pause after the firmware query of a keyboard-class reader (or after the number the
  // caller read itself) before the record goes out; zero for none.
  std::chrono::milliseconds pauseAfterVersion{0};
  // A pending interface switch counts once the reader is open (a reader that does not open
  // switches nothing); otherwise it counts from the start.
  bool switchCountsOnceOpen = false;
  WriteWords words{};
  // What the reader was last seen to hold: a record that breaks a rule of the data-edit
  // records that held did not break already is refused before anything is sent.
  const ReaderSettings* held = nullptr;
  // The firmware number the caller read already, once for the operation.
  std::optional<double> firmware{};
};

// "Default All": the factory-settings command, then the settings read back.
struct DefaultsPlan {
  // The wait on the open reader before the command; zero for none.
  std::chrono::milliseconds beforeCommand{0};
  // The settings are read on an open of their own; otherwise on the command's open once
  // it is acknowledged.
  bool readOnOwnOpen = false;
  // The wait before the settings are read.
  std::chrono::milliseconds beforeRead{0};
  // Told where the reader does not open for the command, does not open again for the
  // read, or the read after the acknowledged command fails.
  const char* openFailed = texts::DEFAULTS_FAILED;
  const char* reopenFailed = texts::DEFAULTS_FAILED;
  const char* readFailed = texts::DEFAULTS_FAILED;
};

// The outcome texts of a save ("Save configuration to file successfully." and its failure).
struct SaveWords {
  const char* done = texts::SAVE_OK;
  const char* failed = texts::SAVE_FAILED;
};

// ---- reading ----

enum class ReadOutcome { Ok, OpenFailed, ReadFailed };

// Opens the reader; reads every setting into settings when readSettings is true; reads the
// firmware version into *firmware when firmware is given (after a pause when the record was
// read over the PS/2 keyboard line); closes the reader. A version that does not come leaves
// *firmware empty without failing the read. Tells the user nothing (but what the link tells
// itself): the windows stay silent where a reader cannot be reached, the command-line tool
// calls TellReadFailure.
ReadOutcome ReadSettingsAndVersion(ReaderLink& link, ReaderSettings& settings, bool readSettings,
                                   std::string* firmware, FlowContext& flow);

// The reader's firmware number (1.89 for "V1.89"), read on an open-close of its own; 0 when
// the reader does not open or gives no version. link may be null.
double ReadFirmwareNumber(ReaderLink* link, FlowContext& flow);

// Why a read failed on an open reader: the port's cause, else that the reply was missing or
// damaged.
std::string ReadFailureCause(const ReaderLink& link);

// Tells why a read did not work: the device could not be opened, or the settings did not come.
void TellReadFailure(ReadOutcome outcome, const ReaderLink& link, FlowContext& flow);
// Reads the settings (and the firmware version when firmware is given); on failure tells why.
bool ReadOrTell(ReaderLink& link, ReaderSettings& settings, std::string* firmware,
                FlowContext& flow);

// ---- "Send to MSR" ----

struct SendResult {
  WriteResult result = WriteFailed;
  // The record asked for an interface switch: the reader re-appears on its other USB
  // interface, and whoever holds it must look for it again after WaitForSwitchedReader.
  bool interfaceSwitch = false;
  // The frame went out and the reader did not answer: it may hold the record or not.
  bool outcomeUnknown = false;
  // The record broke a rule and was not sent.
  bool refused = false;
};

// Where the reader's firmware decides the USB HID format (firmware.h), its version is read
// first (after its wait), once for the write (unless the plan brings the number), and the
// format the firmware takes goes out. Then the whole record goes out in one frame and the
// outcome is told in the plan's words. A reader that refuses the frame (unknown FuncIDs) is
// a failure, not a success. link may be null (no reader): the write fails.
SendResult SendSettings(ReaderLink* link, ReaderSettings& settings, const SendPlan& plan,
                        FlowContext& flow);

// After a write that switched the interface: the time the reader needs to re-appear.
void WaitForSwitchedReader(FlowContext& flow);

// ---- configuration files ----

// Saves the record and tells the outcome in the words asked for.
bool SaveSettingsFile(const ReaderSettings& settings, const std::string& path,
                      const SaveWords& words, FlowContext& flow);

// Loads a file into the record; tells only a failure (with its cause). The record is left
// as it was when the file is refused.
bool LoadSettingsFile(ReaderSettings& settings, const std::string& path, FlowContext& flow);

// A record loaded for a "USB-HID-KB" reader always asks for the keyboard HID format: opens
// the reader to see that it is one, and closes it again.
void AskKeyboardFormatOfKeyboardReader(ReaderLink* link, ReaderSettings& settings);

// "Load from File": the file, the keyboard format rule, the record shown anew, the outcome.
// Nothing is written to the reader.
bool LoadSettingsFlow(ReaderLink* link, ReaderSettings& settings, const std::string& path,
                      FlowContext& flow);

// ---- "Default All" ----

// The factory-settings command and the settings read back into the record, with the
// plan's steps, waits and texts. True when the settings were read back (the record then
// holds them and has been shown anew).
bool RestoreFactoryDefaults(ReaderLink* link, ReaderSettings& settings, const DefaultsPlan& plan,
                            FlowContext& flow);

// ---- quick clone ----

enum class SourceReadOutcome {
  NotRead,     // stopped before reading (nothing selected, no port, the device did not open)
  Read,        // the source's settings are in the new record
  ReadFailed,  // the device opened but the settings did not come
};

// "Read From MSR": a new port and a new record for the source (source null: nothing is
// selected), the settings read into the record, the outcome told. sourceLink and
// sourceSettings are replaced as the steps go.
SourceReadOutcome ReadCloneSource(const ReaderConnection* source,
                                  const ReaderEnvironment& environment,
                                  std::unique_ptr<ReaderLink>& sourceLink,
                                  std::unique_ptr<ReaderSettings>& sourceSettings,
                                  FlowContext& flow);

// "Clone To MSR": the source record (read before, else the user is asked to read first)
// written to the target (target null: nothing is selected), in the USB HID format the
// firmware rule gives a clone target (firmware.h). The source record itself never
// changes. Returns the write result (WriteFailed when it stopped before writing). targetLink
// is replaced.
WriteResult CloneToTarget(const ReaderSettings* source, bool sourceRead,
                          const ReaderConnection* target, const ReaderEnvironment& environment,
                          std::unique_ptr<ReaderLink>& targetLink, FlowContext& flow);

// ---- boot loader ----

// True for exactly the boot-loader password, letter case and blanks included.
bool IsBootLoaderPassword(const std::string& password);

enum class BootLoaderOutcome { Declined, OpenFailed, Entered, Refused };

// Asks for confirmation (No is the default), then sends the boot-loader command and tells
// the outcome.
BootLoaderOutcome EnterBootLoader(ReaderLink* link, FlowContext& flow);

}  // namespace tessaron
