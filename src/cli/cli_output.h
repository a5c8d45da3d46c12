#pragma once
// How the tool writes: results on standard output, one line per failure on standard error
// ("tessaron: " first, the cause in it), progress and notes on standard error unless
// --quiet; and standard output itself, whose every failed write is noticed.

#include <array>
#include <ostream>
#include <streambuf>
#include <string>

#include "flows/flow_context.h"

namespace tessaron {

// Prints a text on a line of its own (a text may already end with its line break). Here and
// in PrintError, whatever came from outside is shown safely (core/shown_text.h).
void PrintText(std::ostream& stream, const std::string& text);
// A message that may span lines, as one line.
std::string OneLine(std::string text);
// A failure told by a workflow as one line: its text, then the cause in parentheses.
std::string FailureText(const FlowMessage& message);
// Prints "tessaron: " and the text as one line.
void PrintError(std::ostream& err, const std::string& text);

// A stream buffer that writes to a file descriptor and keeps the error of the first write
// that failed (standard output on a full disk or a closed pipe).
class DescriptorOutput : public std::streambuf {
 public:
  // closed: the descriptor was closed when the program started (and now leads nowhere):
  // the first byte written fails as a write to it would have.
  explicit DescriptorOutput(int fd, bool closed = false) : fd_(fd), closed_(closed) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  // Writes what is buffered and closes the descriptor, so that an error the system reports
  // only then is seen too; 0, or the errno of the first write or close that failed.
  int Finish();

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool WriteBuffered();

  int fd_;
  bool closed_;
  int error_ = 0;
  std::array<char, 4096> buffer_{};
};

}  // namespace tessaron
