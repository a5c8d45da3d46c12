// Runs the built program itself, the way a user or a script does.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli_test_support.h"
#include "core/reader_settings.h"
#include "cli/online_session.h"
#include "core/settings_report.h"

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
  const std::string program = (testing::ProgramFolder() / "tessaron").string();
  ASSERT_TRUE(std::filesystem::exists(program)) << program;

  testing::ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const std::string file = folder.File("reader.cfs2");

  const ProgramRun init = RunProgram("'" + program + "' init '" + file + "'");
  EXPECT_EQ(init.status, 0);
  EXPECT_EQ(init.out, "");

  const ProgramRun show = RunProgram("'" + program + "' show '" + file +
                                     "' --interface usb-hid --firmware V1.90");
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(show.out,
            ReportForTerminal(BuildSettingsReport(ReaderSettings(INTERFACE_USB_HID), "V1.90")));

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

}  // namespace
}  // namespace tessaron
