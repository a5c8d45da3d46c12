#pragma once
// The manual command console: a command typed as "\x2\x52\x22\x3" is checked, completed
// with its LRC, sent to the reader, and written with the reader's reply into a transcript.
// After an acknowledged set command (code 0x53) the settings are read back, so that
// everything that shows them shows the reader's new state. Used by the "Manual Command"
// page and by "tessaron send".

#include <string>

#include "core/byte_string.h"
#include "core/reader_settings.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"

namespace tessaron {

// Says what a typed command is wrong with (nothing when it can be sent); the same check
// "Send Command" makes first. Returns false after telling the user.
bool CheckCommandText(const std::string& text, FlowContext& flow);

class ManualCommandConsole {
 public:
  struct Result {
    bool sent = false;       // the reader was opened and the frame went out
    bool succeeded = false;  // the line's verdict on the exchange
    ByteString frame;        // the bytes sent, LRC included
    ByteString reply;        // the bytes that came back
  };

  // Sends one typed command through link (null: no reader) and tells the outcome. When
  // readBack is given, an acknowledged set command is followed by a pause and the settings
  // read back into it on the same open reader.
  Result Send(const std::string& text, ReaderLink* link, ReaderSettings* readBack,
              FlowContext& flow);
  // "Clr S/R Data": an empty transcript, and the count starts again.
  void Clear();

  const std::string& Transcript() const { return transcript_; }
  int Count() const { return count_; }

  // "0x06 0x02 ..." for a reply, as the transcript and the tool print it.
  static std::string ReplyBytesText(const ByteString& reply);

 private:
  std::string transcript_;
  int count_ = 0;
};

}  // namespace tessaron
