// Runs the built program itself, the way a user or a script does.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>

#include "cli_test_support.h"
#include "core/reader_settings.h"
#include "cli/file_lock.h"
#include "cli/online_session.h"
#include "core/settings_report.h"
#include "sim/pty_server.h"
#include "sim/simulated_reader.h"

namespace tessaron {
namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
};

// Runs a shell command line and collects its standard output and exit status.
ProgramRun RunProgram(const std::string& commandLine) {
  ProgramRun run;
  FILE* pipe = ::popen(commandLine.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

TEST(TessaronProgramTest, InitThenShowFromTheBuiltProgram) {
  const std::string program = (test_support::ProgramFolder() / "tessaron").string();
  ASSERT_TRUE(std::filesystem::exists(program)) << program;

  test_support::ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const std::string file = folder.File("reader.cfs2");

  const ProgramRun init = RunProgram("'" + program + "' init '" + file + "'");
  EXPECT_EQ(init.status, 0);
  EXPECT_EQ(init.out, "");

  const ProgramRun show = RunProgram("'" + program + "' show '" + file +
                                     "' --interface usb-hid --firmware V1.90");
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(show.out,
            ReportForTerminal(BuildSettingsReport(ReaderSettings(InterfaceType::UsbHid), "V1.90")));

  const ProgramRun missing =
      RunProgram("'" + program + "' show '" + folder.File("none.cfs2") + "' 2>/dev/null");
  EXPECT_EQ(missing.status, 1);
  const ProgramRun usage = RunProgram("'" + program + "' show 2>/dev/null");
  EXPECT_EQ(usage.status, 2);

  // Standard output on a full disk: the failed write is the command's failure.
  for (const char* command : {" export - --file ", " show "}) {
    const ProgramRun full =
        RunProgram("'" + program + "'" + command + "'" + file + "' 2>&1 >/dev/full");
    EXPECT_EQ(full.status, 1) << command;
    EXPECT_EQ(full.out, "tessaron: cannot write standard output: No space left on device\n");
  }
}

std::string Tool() { return "'" + (test_support::ProgramFolder() / "tessaron").string() + "'"; }

// Two runs that change one file at the same moment take turns: both changes are kept.
TEST(TessaronProgramTest, TwoRunsOnOneFileKeepBothChanges) {
  test_support::ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const std::string file = "'" + folder.File("shared.cfs2") + "'";
  for (int round = 0; round < 20; ++round) {
    ASSERT_EQ(RunProgram(Tool() + " init " + file).status, 0);
    const std::string quiet = " -f " + file + " >/dev/null 2>&1 & ";
    const ProgramRun both = RunProgram(Tool() + " set beep-volume=low" + quiet + "a=$!; " + Tool() +
                                       " set preamble=A" + quiet + "b=$!; wait $a; x=$?; wait $b; "
                                       "echo $x $?; " + Tool() + " get beep-volume preamble -f " +
                                       file);
    EXPECT_EQ(both.out, "0 0\nbeep-volume = low\npreamble = A\n") << "round " << round;
  }
}

// The lock is taken on files alone, and counts for the file the name leads to: a run that
// waited on a file replaced meanwhile holds the new one.
TEST(TessaronProgramTest, TheFileLockFollowsTheNameAndLeavesStreamsAlone) {
  test_support::ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  EXPECT_EQ(FileLock().Lock("/dev/null", {}), FileLock::Result::NotLockable);
  const std::string file = folder.File("shared.cfs2");
  test_support::WriteBytes(file, {'o', 'l', 'd'});
  auto first = std::make_unique<FileLock>();
  ASSERT_EQ(first->Lock(file, {}), FileLock::Result::Locked);
  std::promise<void> waits;
  FileLock second;
  auto locked = std::async(std::launch::async, [&] { return second.Lock(file, [&] { waits.set_value(); }); });
  waits.get_future().wait();
  test_support::WriteBytes(folder.File("new.cfs2"), {'n', 'e', 'w'});
  ASSERT_EQ(::rename(folder.File("new.cfs2").c_str(), file.c_str()), 0);
  first.reset();
  EXPECT_EQ(locked.get(), FileLock::Result::Locked);
  const int replaced = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_NE(::flock(replaced, LOCK_EX | LOCK_NB), 0);
  ::close(replaced);
}

// SIGTERM (what timeout and systemd send) in the middle of a set on a serial reader: the run
// says so and ends with 143, and the port is free for the next run. Root may open a port in
// exclusive use, so the runs are those of an ordinary user.
TEST(TessaronProgramTest, SigtermDuringSetLeavesTheSerialPortUsable) {
  test_support::ScratchFolder folder;
  const std::string pidFile = folder.File("pid");
  // The signal comes while the reader holds back its reply to the first frame. The run's pid
  // is in pidFile before the tool starts: a shell writes its own there and becomes the tool.
  sim::SimulatedReader reader;
  sim::PtyServerOptions options;
  options.beforeReply = [&pidFile, signalled = false](const ByteString&) mutable {
    pid_t pid = 0;
    if (!signalled && std::ifstream(pidFile) >> pid) signalled = ::kill(pid, SIGTERM) == 0;
  };
  sim::PtyServer server(reader, options);
  ASSERT_TRUE(server.Start());
  const std::string path = server.Path();
  std::string tool = Tool() + " --fast";
  if (::geteuid() == 0) {
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    tool = "setpriv --reuid=nobody --regid=nogroup --clear-groups " + tool;
  }
  const ProgramRun stopped = RunProgram("sh -c 'echo $$ >\"$0\"; exec \"$@\"' '" + pidFile + "' " + tool +
                                        " set beep-volume=low -r " + path + " 2>&1; echo $?");
  EXPECT_TRUE(stopped.out.ends_with("stopped by SIGTERM; nothing more was sent to " + path +
                                    ".)\n143\n"))
      << stopped.out;
  EXPECT_EQ(reader.CommandCount(), 1u);
  const ProgramRun next = RunProgram(tool + " version -r " + path + " 2>/dev/null");
  EXPECT_EQ(next.status, 0);
  EXPECT_EQ(next.out, "V1.90\n");
}

// Closed standard descriptors: nothing the tool opens takes their place. With standard error
// closed the reader receives the command frame alone, no progress line; a closed standard
// output fails only a command that prints, a closed standard input is said to be closed.
TEST(TessaronProgramTest, ClosedStandardDescriptorsStayOutOfTheWay) {
  const int reader = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(::grantpt(reader) | ::unlockpt(reader), 0);
  const std::string line = ::ptsname(reader);
  // The version query is answered once it has come whole; whatever else reached the line
  // came before it or comes before the tool ends.
  auto run = std::async(std::launch::async, RunProgram,
                        Tool() + " --fast version -r " + line + " 2>&-");
  ByteString received;
  const auto take = [&](int waitMs, bool untilFrame) {
    Byte buffer[256];
    for (pollfd ready{reader, POLLIN, 0};
         !(untilFrame && sim::SimulatedReader::CompleteFrameLength(received.data(), received.size())) &&
         ::poll(&ready, 1, waitMs) > 0;) {
      const ssize_t got = ::read(reader, buffer, sizeof buffer);
      if (got <= 0) break;
      received.insert(received.end(), buffer, buffer + got);
    }
  };
  take(5000, true);
  const ByteString reply =
      sim::SimulatedReader().HandleCommand(received.data(), received.size(), sim::ReplyStyle::Serial);
  EXPECT_EQ(::write(reader, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
  const ProgramRun answered = run.get();
  EXPECT_EQ(answered.status, 0);
  EXPECT_EQ(answered.out, "V1.90\n");
  take(0, false);
  ::close(reader);
  EXPECT_EQ(received, (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));

  test_support::ScratchFolder folder;
  const std::string file = "'" + folder.File("f.cfs2") + "'";
  EXPECT_EQ(RunProgram(Tool() + " init " + file + " >&-").status, 0);
  const ProgramRun printing = RunProgram(Tool() + " get beep-volume -f " + file + " 2>&1 >&-");
  EXPECT_EQ(printing.status, 1);
  EXPECT_EQ(printing.out, "tessaron: cannot write standard output: Bad file descriptor\n");
  const ProgramRun input = RunProgram(Tool() + " show - 2>&1 <&-");
  EXPECT_EQ(input.status, 1);
  EXPECT_EQ(input.out, "tessaron: cannot load standard input: it is closed (Bad file descriptor)\n");
}

}  // namespace
}  // namespace tessaron
