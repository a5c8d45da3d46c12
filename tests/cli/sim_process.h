#pragma once
// The simulator program tessaron-sim, run as a process of its own: it prints the path of
// its pseudo-terminal on its first line and serves until it is ended.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli_test_support.h"

namespace tessaron::testing {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& options = {}) {
    const std::string program = (ProgramFolder() / "tessaron-sim").string();
    std::vector<std::string> args{program};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int output[2] = {-1, -1};
    if (::pipe(output) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(output[1], STDOUT_FILENO);
      ::close(output[0]);
      ::close(output[1]);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(output[1]);
    if (pid_ > 0) path_ = ReadFirstLine(output[0]);
    ::close(output[0]);
  }

  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The terminal the reader is served on; empty when the program did not start.
  const std::string& Path() const { return path_; }

 private:
  // The first line of output, waiting at most 10 s for it.
  static std::string ReadFirstLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(fd, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return std::string();
  }

  pid_t pid_ = -1;
  std::string path_;
};

}  // namespace tessaron::testing
