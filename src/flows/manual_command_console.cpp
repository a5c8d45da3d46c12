#include "flows/manual_command_console.h"

#include <array>
#include <cstdio>

#include "core/command_frame.h"
#include "core/command_text.h"
#include "core/settings_transactions.h"
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"

namespace tessaron {

namespace {

// The byte in small hexadecimal letters: without leading zero, or always with two digits.
std::string Hex(Byte value, bool twoDigits) {
  char text[8];
  std::snprintf(text, sizeof text, twoDigits ? "%02x" : "%x", static_cast<unsigned>(value));
  return text;
}

// After a set command whose settings could not be read back.
constexpr const char* READ_BACK_FAILED_CAUSE =
    "The reader took the command, but its settings could not be read back: the pages still "
    "show the settings from before it. Press CHECK CURRENT READER SETTINGS to read them "
    "again before you send or save them.";

// A reply that begins with 0x16: the reader heard the command and refused it.
constexpr const char* COMMAND_REFUSED_CAUSE =
    "The reader answered 0x16: it refused this command. Check the command code and its data.";

// A failed exchange is told briefly: the message closes itself after a second.
void TellBriefly(const char* text, const std::string& cause, FlowContext& flow) {
  flow.Tell(FlowMessage{text, cause, true, MANUAL_COMMAND_MESSAGE_LIFETIME});
}

}  // namespace

bool CheckCommandText(const std::string& text, FlowContext& flow) {
  std::string problem;
  switch (PrepareManualCommand(text, nullptr, &problem)) {
    case ManualCommandCheck::Ok:
      return true;
    case ManualCommandCheck::Empty:
      flow.TellFailed(texts::COMMAND_TEXT_EMPTY);
      return false;
    case ManualCommandCheck::InvalidValue:
      flow.TellFailed(texts::COMMAND_TEXT_INVALID_VALUE, problem);
      flow.TellFailed(texts::COMMAND_TEXT_REFUSED);
      return false;
    case ManualCommandCheck::TooLong:
      flow.TellFailed(texts::COMMAND_TEXT_REFUSED);
      return false;
    case ManualCommandCheck::NotFramed:
      flow.TellFailed(texts::COMMAND_NOT_FRAMED);
      return false;
  }
  return false;
}

std::string ManualCommandConsole::ReplyBytesText(const ByteString& reply) {
  std::string text;
  for (Byte value : reply) {
    if (!text.empty()) text += ' ';
    text += "0x" + Hex(value, true);
  }
  return text;
}

ManualCommandConsole::Result ManualCommandConsole::Send(const std::string& text, ReaderLink* link,
                                                        ReaderSettings* readBack,
                                                        FlowContext& flow) {
  Result result;
  // A command refused before it is sent leaves the transcript as it was.
  if (!CheckCommandText(text, flow)) return result;
  PrepareManualCommand(text, &result.frame);

  const std::string typed = RemoveBlanks(text);
  std::string entry = count_ == 0 ? std::string() : std::string("\r\n");
  entry += std::to_string(count_ + 1) + ") Send Command:  " + typed;
  entry += "\\x" + Hex(result.frame.back(), false) + " ......\r\n";
  transcript_ += entry;

  OpenReader reader(link);
  if (!reader.OrTell(texts::DEVICE_OPEN_FAILED, flow)) {
    transcript_ += "Not sent: the reader could not be opened.\r\n";
    return result;
  }

  ++count_;
  result.sent = true;
  flow.Progress("Sending the command to " + link->Name());
  std::array<Byte, MANUAL_COMMAND_REPLY_BUFFER_SIZE> reply{};
  const PortReply answer = link->Port().Transact(result.frame, reply);
  result.succeeded = answer.ok;
  result.reply.assign(answer.bytes.begin(), answer.bytes.end());
  // A line that hands out an empty report where nothing came has no reply to show.
  if (answer.failure.kind == PortErrorKind::NoReply) {
    result.reply.clear();
    result.succeeded = false;
  }

  if (!result.reply.empty()) {
    transcript_ += "Return From MSR (" + std::to_string(result.reply.size()) + "Bytes):  ";
    for (Byte value : result.reply) transcript_ += "0x" + Hex(value, true) + " ";
  } else {
    transcript_ += "Return From MSR:  no reply";
  }
  // 0x16 is the reader's refusal, also where the line takes the exchange as done.
  const bool refused = !result.reply.empty() && result.reply[0] == REPLY_UNKNOWN;
  if (refused) result.succeeded = false;
  if (!result.succeeded) {
    TellBriefly(refused ? texts::COMMAND_UNKNOWN : texts::COMMAND_FAILED,
                refused ? COMMAND_REFUSED_CAUSE : link->FailureCause(), flow);
  } else if (readBack != nullptr && result.frame.size() > 1 && result.frame[1] == DIR_SET) {
    // The reader took a set command: the windows catch up, then the settings are read back
    // on the still open reader, so that every page shows the reader's new state.
    flow.Wait(MANUAL_COMMAND_SETTLE_WAIT);
    flow.Progress("Reading settings from " + link->Name());
    if (ReadFromReader(*readBack, &link->Port())) {
      flow.SettingsChanged();
    } else {
      // The record keeps what it held, and so do the pages: they no longer show what the
      // reader holds, and the user must hear so.
      std::string cause = link->FailureCause();
      if (!cause.empty()) cause += ' ';
      cause += READ_BACK_FAILED_CAUSE;
      flow.TellFailed(texts::READ_FAILED, cause);
    }
  }
  transcript_ += "\r\n";
  reader.Close();
  return result;
}

void ManualCommandConsole::Clear() {
  transcript_.clear();
  count_ = 0;
}

}  // namespace tessaron
