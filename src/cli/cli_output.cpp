#include "cli/cli_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/shown_text.h"
#include "flows/flow_texts.h"

namespace tessaron {

void PrintText(std::ostream& stream, const std::string& text) {
  stream << ShownText(text, true);
  if (text.empty() || text.back() != '\n') stream << '\n';
  stream.flush();
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

namespace {

// The window's words for a reader that does not open ("... or It is not Tessaron device"),
// and the tool's, which leave what happened to the cause.
struct OpenFailureWords {
  const char* window;
  const char* tool;
};
constexpr OpenFailureWords OPEN_FAILURES[] = {
    {texts::DEVICE_OPEN_FAILED, "cannot open the reader"},
    {texts::SOURCE_OPEN_FAILED, "cannot open the source reader"},
    {texts::TARGET_OPEN_FAILED, "cannot open the target reader"},
    {texts::DEFAULTS_OPEN_FAILED, "cannot open the reader"},
    {texts::DEFAULTS_REOPEN_FAILED, "cannot open the reader again to read its settings back"},
};

}  // namespace

std::string FailureText(const FlowMessage& message) {
  for (const OpenFailureWords& words : OPEN_FAILURES) {
    if (!message.cause.empty() && message.text == words.window) {
      return std::string(words.tool) + ": " + OneLine(message.cause);
    }
  }
  std::string text = OneLine(message.text);
  if (!message.cause.empty()) text += " (" + OneLine(message.cause) + ")";
  return text;
}

void PrintError(std::ostream& err, const std::string& text) {
  err << "tessaron: " << ShownText(OneLine(text)) << '\n';
  err.flush();
}

bool DescriptorOutput::WriteBuffered() {
  if (closed_ && pptr() > pbase() && error_ == 0) error_ = EBADF;
  const char* at = error_ == 0 ? pbase() : pptr();
  while (at < pptr()) {
    const ssize_t written = ::write(fd_, at, static_cast<std::size_t>(pptr() - at));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (error_ == 0) error_ = written < 0 ? errno : EIO;
      break;
    }
    at += written;
  }
  // What could not be written is dropped: the run fails on the first error anyway.
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return error_ == 0;
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (!WriteBuffered()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return WriteBuffered() ? 0 : -1; }

int DescriptorOutput::Finish() {
  if (fd_ < 0) return error_;
  WriteBuffered();
  if (::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
  fd_ = -1;
  return error_;
}

}  // namespace tessaron
