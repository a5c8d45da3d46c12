#include "cli/cli_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>

#include "cli/cli.h"

namespace tessaron {

void PrintText(std::ostream& stream, const std::string& text) {
  stream << text;
  if (text.empty() || text.back() != '\n') stream << '\n';
  stream.flush();
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string FailureText(const FlowMessage& message) {
  std::string text = OneLine(message.text);
  if (!message.cause.empty()) text += " (" + OneLine(message.cause) + ")";
  return text;
}

void PrintError(std::ostream& err, const std::string& text) {
  err << "tessaron: " << OneLine(text) << '\n';
  err.flush();
}

bool DescriptorOutput::WriteBuffered() {
  const char* at = pbase();
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

int RunCliOnStandardStreams(int argc, const char* const* argv) {
  // Standard output through a buffer that notices a failed write (a full disk, a closed pipe).
  DescriptorOutput output(STDOUT_FILENO);
  std::ostream out(&output);
  CliEnvironment environment{out, std::cerr, &std::cin};
  environment.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  environment.finishOut = [&output] { return output.Finish(); };
  return RunCli(argc, argv, environment);
}

}  // namespace tessaron
