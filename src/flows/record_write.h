#pragma once
// One behaviour for every write of a whole settings record to a reader (the command line's
// set, import, load, defaults and clone, on one reader or on many):
//   1. the record the reader holds is read (a keyboard-class USB reader's firmware with it);
//   2. the caller's change makes the record to write of it, and the firmware rule is applied;
//   3. it must take the rules of a reader: one frame of at most 400 bytes, and no data-edit
//      rule broken that the reader did not break already (else it is refused: nothing is
//      written);
//   4. nothing is written when the reader holds it already, nor when only checking;
//   5. the record is written in one frame and read back (after an interface switch where the
//      reader re-appears), and what the reader holds is compared with what was written.
// Progress, notes and failures go through the flow; the changes come back to the caller.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/reader_settings.h"
#include "core/setting_names.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"
#include "flows/reader_flows.h"

namespace tessaron {

// What the work on one reader came to.
enum class ReaderVerdict { Unchanged, WouldChange, Changed, Failed };

// Makes the record to write from the one the target holds (after holds it on entry; link is
// the target reader, null for a file). False, with the reason in error, when it cannot be
// made.
using RecordChange =
    std::function<bool(ReaderLink* link, ReaderSettings& after, std::string* error)>;

struct RecordWriteRequest {
  // None: the reader restores its factory settings by its own command (defaults); a check
  // then compares with the factory settings the program knows.
  RecordChange change;
  bool check = false;
  // For a file: it is written whole whatever it held, or made (import, load, clone); what
  // it held only tells the changes.
  bool replacesFile = false;
  // The words the write's outcome is told in (a clone has its own).
  WriteWords words{};
};

struct RecordWriteOutcome {
  ReaderVerdict verdict = ReaderVerdict::Failed;
  // The record asked for was refused before anything was written: a wrong request.
  bool refused = false;
  // What the reader's line among many says behind its verdict; may be empty.
  std::string detail;
  // The settings written (Changed), or that would be (WouldChange).
  std::vector<SettingDifference> changes;
};

// Finds the reader again after an interface switch; null when it is not there.
using FindReaderAgain = std::function<std::unique_ptr<ReaderLink>()>;

// The record to write made of before by the request's change, checked against what a reader
// takes. False with the reason in error (nothing may be written).
bool MakeRecordToWrite(const ReaderSettings& before, ReaderLink* link,
                       const RecordWriteRequest& request, ReaderSettings& after,
                       std::string* error);

// Steps 1 to 5 on one reader. findAgain none: a reader that switches its interface is not
// read back.
RecordWriteOutcome WriteRecordToReader(ReaderLink& link, const RecordWriteRequest& request,
                                       const FindReaderAgain& findAgain, FlowContext& flow);

}  // namespace tessaron
