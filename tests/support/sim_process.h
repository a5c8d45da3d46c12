#pragma once
// The simulator program tessaron-sim, run as a process of its own: it prints the path of
// its pseudo-terminal on its first line and serves until it is ended. Its standard output
// and error come back through pipes, a line at a time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/program_folder.h"

extern char** environ;

namespace tessaron::test_support {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args{(ProgramFolder() / "tessaron-sim").string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
      ::close(out[0]);
      ::close(out[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }

  ~SimProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The terminal the reader is served on (the first line of output); empty when the
  // program did not start or did not say.
  const std::string& Path() {
    if (!pathRead_) {
      path_ = OutLine();
      pathRead_ = true;
    }
    return path_;
  }
  // The next line of standard output or error, without its end; what there is when the
  // stream ends or nothing more comes within 10 s.
  std::string OutLine() { return ReadLine(out_); }
  std::string ErrLine() { return ReadLine(err_); }

  void Signal(int signal) { ::kill(pid_, signal); }
  // The exit status once the process ended within the limit (128 + the signal when a
  // signal ended it); -1 otherwise.
  int WaitExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  static std::string ReadLine(int fd) {
    std::string line;
    if (fd < 0) return line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(fd, &c, 1) != 1 || c == '\n') break;
      line += c;
    }
    return line;
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int out_ = -1;
  int err_ = -1;
  bool pathRead_ = false;
  std::string path_;
};

}  // namespace tessaron::test_support
