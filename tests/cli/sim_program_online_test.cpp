// Every command on a reader, end to end against the simulator program tessaron-sim running
// as a process of its own and reached through its pseudo-terminal, as a user would.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "flows/flow_texts.h"
#include "cli_test_support.h"
#include "cli/online_session.h"
#include "core/command_text.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_report.h"
#include "support/sim_process.h"

namespace tessaron {
namespace {

using test_support::CliRun;
using test_support::Contains;
using test_support::RunTool;
using test_support::SimProcess;

std::string ErrorLine(const std::string& text) { return "tessaron: " + text + "\n"; }

class SimProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Valid()); }

  // The serial line gets a little more room than the in-process readers: the simulator
  // is another process on a shared machine.
  test_support::FastToolTiming fastTiming_{0.06};
  test_support::ScratchFolder folder_;
};

TEST_F(SimProgramTest, EveryCommandWorksOverTheSimulatorsTerminal) {
  SimProcess sim({"--firmware", "V1.95"});
  ASSERT_FALSE(sim.Path().empty());
  const std::string& path = sim.Path();

  CliRun run = RunTool({"version", "--reader", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "V1.95\n");
  EXPECT_TRUE(Contains(run.err, "Reading the firmware version from " + path + " ...\n"));

  run = RunTool({"report", "--reader", "rs232:" + path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            ReportForTerminal(BuildSettingsReport(ReaderSettings(InterfaceType::Rs232), "V1.95")));

  // Write a changed record, then read it back through a file.
  ReaderSettings changed;
  changed.baudRate = '7';
  changed.terminator = 0x0A;
  changed.postamble = {'E', 'N', 'D'};
  const std::string in = folder_.File("in.cfs2");
  ASSERT_TRUE(SaveConfigFile(changed, in));
  run = RunTool({"load", in, "--reader", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "postamble: \"\" -> END\nbaud-rate: 9600 -> 38400\nterminator: \\cr -> \\lf\n"
                     "changed\n");
  EXPECT_TRUE(Contains(run.err, texts::WRITE_OK)) << run.err;

  const std::string out = folder_.File("out.cfs2");
  run = RunTool({"save", out, "-r", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(test_support::ReadBytes(out), test_support::ReadBytes(in));

  // A simulated USB-HID reader beside it takes a copy, and gives it back; from here on each
  // exchange ends as soon as the whole reply has come (--fast).
  test_support::SimulatedReaders beside;
  beside.Start(sim::SimulatedLineKind::UsbHid);
  // Nothing ever comes: each command waits out its limits, which may be short.
  const test_support::FastToolTiming shortLimits(0.01);
  run = RunTool({"--fast", "clone", "--from", path, "--to", "usb-hid:0"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.out.ends_with("\nchanged\n")) << run.out;

  run = RunTool({"--fast", "defaults", "--reader", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.out.ends_with("\nchanged\n")) << run.out;
  run = RunTool({"--fast", "save", out, "-r", path});
  ASSERT_EQ(run.code, 0) << run.err;
  ReaderSettings restored;
  ASSERT_TRUE(LoadConfigFile(restored, out));
  EXPECT_EQ(restored.baudRate, ReaderSettings().baudRate);
  EXPECT_TRUE(restored.postamble.empty());

  run = RunTool({"--fast", "clone", "--from", "usb-hid:0", "--to", path});
  ASSERT_EQ(run.code, 0) << run.err;
  run = RunTool({"--fast", "send", "\\x2\\x52\\x22\\x3", "--reader", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "0x06 0x02 0x56 0x31 0x2e 0x39 0x35 0x03 0x44\n");
}

TEST_F(SimProgramTest, ARejectingReaderRefusesUnknownCommands) {
  SimProcess sim({"--reject-unknown"});
  ASSERT_FALSE(sim.Path().empty());

  // An unknown set command, short and with an unknown FuncID record.
  for (const char* command : {"\\x2\\x53\\x99\\x3", "\\x2\\x53\\x01\\x01\\x30\\x3"}) {
    const CliRun run = RunTool({"send", command, "--reader", sim.Path()});
    EXPECT_EQ(run.code, 1) << command;
    EXPECT_EQ(run.out.substr(0, 4), "0x16") << run.out;
    EXPECT_TRUE(Contains(run.err, ErrorLine(std::string(texts::COMMAND_UNKNOWN) + " (The reader answered "
                                            "0x16: it refused this command. Check the command code and its data.)")))
        << run.err;
  }
  // Known settings still go through.
  const std::string file = folder_.File("defaults.cfs2");
  ASSERT_TRUE(SaveConfigFile(ReaderSettings(), file));
  const CliRun load = RunTool({"load", file, "--reader", sim.Path()});
  EXPECT_EQ(load.code, 0) << load.err;
}

TEST_F(SimProgramTest, ASilentReaderFailsEveryCommand) {
  SimProcess sim({"--silent"});
  ASSERT_FALSE(sim.Path().empty());
  const std::string& path = sim.Path();
  const std::string file = folder_.File("defaults.cfs2");
  ASSERT_TRUE(SaveConfigFile(ReaderSettings(), file));
  test_support::SimulatedReaders beside;
  beside.Start(sim::SimulatedLineKind::UsbHid);
  // Nothing ever comes: each command waits out its limits, which may be short.
  const test_support::FastToolTiming shortLimits(0.01);

  const struct {
    std::vector<std::string> args;
    std::string text;
  } commands[] = {
      {{"report", "-r", path}, "tessaron: " + std::string(texts::READ_FAILED) + " ("},
      {{"save", folder_.File("never.cfs2"), "-r", path}, "tessaron: " + std::string(texts::READ_FAILED)},
      {{"version", "-r", path}, "tessaron: no firmware version came back from " + path},
      {{"load", file, "-r", path}, "tessaron: " + std::string(texts::READ_FAILED)},
      {{"defaults", "-r", path}, "tessaron: " + std::string(texts::READ_FAILED)},
      {{"send", "\\x2\\x52\\x22\\x3", "-r", path}, "tessaron: " + std::string(texts::COMMAND_FAILED)},
      {{"clone", "--from", path, "--to", "usb-hid:0"}, "tessaron: " + std::string(texts::READ_FAILED)},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command.args[0]);
    const CliRun run = RunTool(command.args);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, command.text)) << run.err;
  }
}

// The built program itself, run by the shell as a user or a script runs it.
int RunShell(const std::string& commandLine, std::string* out) {
  FILE* pipe = ::popen(commandLine.c_str(), "r");
  if (!pipe) return -1;
  char buffer[512];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, got);
  const int raw = ::pclose(pipe);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST_F(SimProgramTest, TheBuiltToolAnswersAndRefusesWrongCommandLines) {
  std::string tool = "'";
  tool += (test_support::ProgramFolder() / "tessaron").string();
  tool += "'";

  // The shipped program with --fast: its own simulated HID reader answers at once.
  std::string out;
  EXPECT_EQ(RunShell(tool + " --fast version --simulate --reader usb-hid:/dev/hidraw-sim0 2>/dev/null",
                     &out),
            0);
  EXPECT_EQ(out, "V1.90\n");

  out.clear();
  EXPECT_EQ(RunShell(tool + " send '\\xZZ' --reader /dev/ttyS0 2>&1", &out), 2);
  EXPECT_TRUE(Contains(out, std::string(texts::COMMAND_TEXT_INVALID_VALUE) + " (\"\\xZZ\" at character 1")) << out;

  out.clear();
  EXPECT_EQ(RunShell(tool + " version --reader nothing 2>/dev/null", &out), 2);
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace tessaron
