#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_test_support.h"
#include "core/version.h"

namespace tessaron {
namespace {

using test_support::CliRun;
using test_support::Contains;
using test_support::RunTool;
using test_support::ScratchFolder;

TEST(CliUsageTest, WrongCommandLinesExitWithTwoAndSayWhy) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const std::string file = folder.File("x.cfs2");
  const std::vector<std::vector<std::string>> wrong = {
      {},                                           // no command
      {"frobnicate"},                               // unknown command
      {"init"},                                     // missing FILE
      {"show"},
      {"dump"},
      {"init", file, "extra"},                      // one FILE only
      {"show", file, "--interface", "usb"},         // not an interface name
      {"show", file, "--interface", "USB-HID"},     // names are lower case
      {"show", file, "--interface"},                // missing value
      {"dump", file, "--firmware", "V1.90"},        // option of another command
      {"--bogus"},
      {"save"},                                     // missing FILE
      {"load"},
      {"send"},                                     // missing TEXT
      {"clone", "--to", "usb-hid:0"},               // missing source
      {"report", "extra"},
      {"report", "--simulate", "usb-hid"},          // the line goes with "="
      {"clone", "--from", "usb-hid:0"},             // no target
      {"clone", "--from", "usb-hid:0", "--to", "usb-hid:1", "--to-all"},
      {"load", file, "--jobs", "2"},                // only with --all
      {"import", file, "--all", "--jobs", "0"},
      {"set", "beep-volume=low", "--all", "--interface", "usb"},
      {"set", "beep-volume=low", "--all", "--reader", "usb-hid:0"},
      {"report", "--simulate=usb-hid:0"},           // a count from 1
      {"report", "--simulate=usb-hid:17"},
      {"report", "--simulate=ps2", "--simulate=ps2"},  // one keyboard controller
      {"set", "beep-volume=low", "--file", "-"},    // standard input is not written back
  };
  for (const auto& args : wrong) {
    const CliRun run = RunTool(args);
    std::string line;
    for (const auto& arg : args) line += arg + " ";
    EXPECT_EQ(run.code, 2) << line;
    EXPECT_FALSE(run.err.empty()) << line;
    EXPECT_EQ(run.out, "") << line;
  }
}

TEST(CliUsageTest, TopLevelHelpListsEveryCommandOnItsOwnLine) {
  for (const char* flag : {"--help", "-h"}) {
    const CliRun run = RunTool({flag});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    for (const char* command : {"init", "show", "dump", "list", "report", "version", "save", "load",
                                "defaults", "send", "clone"}) {
      bool found = false;
      for (const std::string& line : test_support::SplitLines(run.out)) {
        // "  name   one-line description"
        if (line.rfind(std::string("  ") + command + " ", 0) == 0 && line.size() > 20) {
          found = true;
        }
      }
      EXPECT_TRUE(found) << command << " in\n" << run.out;
    }
  }
}

TEST(CliUsageTest, EveryCommandHasHelp) {
  for (const char* command : {"init", "show", "dump"}) {
    const CliRun run = RunTool({command, "--help"});
    EXPECT_EQ(run.code, 0) << command;
    EXPECT_EQ(run.err, "") << command;
    EXPECT_NE(run.out.find(std::string("tessaron ") + command), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("FILE"), std::string::npos) << run.out;
  }
  for (const char* command : {"list", "report", "version", "save", "load", "defaults", "send",
                              "clone"}) {
    const CliRun run = RunTool({command, "--help"});
    EXPECT_EQ(run.code, 0) << command;
    EXPECT_EQ(run.err, "") << command;
    EXPECT_NE(run.out.find(std::string("tessaron ") + command), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("--simulate"), std::string::npos) << run.out;
    const bool onOneReader = std::string(command) != "list" && std::string(command) != "clone";
    EXPECT_EQ(run.out.find("-r, --reader") != std::string::npos, onOneReader) << run.out;
  }
  const CliRun clone = RunTool({"clone", "--help"});
  EXPECT_NE(clone.out.find("--from"), std::string::npos);
  EXPECT_NE(clone.out.find("--to"), std::string::npos);

  const CliRun show = RunTool({"show", "--help"});
  EXPECT_NE(show.out.find("--interface"), std::string::npos);
  EXPECT_NE(show.out.find("usb-hid-kb"), std::string::npos);
  EXPECT_NE(show.out.find("--firmware"), std::string::npos);
}

TEST(CliUsageTest, NamesTheMistakeAndTakesOptionsOnEitherSide) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.Valid());
  const std::string file = folder.File("x.cfs2");
  ASSERT_EQ(RunTool({"init", file}).code, 0);
  test_support::ExpectRuns({
      {{"reprot"}, 2, "", "tessaron: unknown command 'reprot'; did you mean 'report'?\n"},
      {{"sett", "beep-volume=low"}, 2, "", "did you mean 'set'?"},
      {{"help"}, 0, "Commands:\n  init ", ""},
      {{"help", "report"}, 0, "Usage: tessaron report", ""},
      {{"help", "reprot"}, 2, "", "did you mean 'report'?"},
      {{"-V"}, 0, "Version", ""},
      {{"report", "--simulate", "ps2"}, 2, "", "write --simulate=ps2"},
      {{"get", "beep_volume", "-f", file}, 2, "", "did you mean beep-volume?"},
      {{"get", "Beep-Volume", "-f", file}, 2, "", "did you mean beep-volume?"},
      {{"set", "beep-volume=hihg", "-f", file}, 2, "", "did you mean high?"},
      {{"set", "beep-volume=HIGH", "track-select=Any-Track", "-f", file}, 0, "unchanged\n", ""},
      {{"-q", "-f", file, "get", "beep-volume"}, 0, "beep-volume = high\n", ""},
      {{"get", "beep-volume", "-f", file, "--quiet"}, 0, "beep-volume = high\n", ""},
  });
}

TEST(CliUsageTest, EveryHelpFitsEightyColumnsWithExamplesAndExitStatuses) {
  std::vector<std::string> topics{""};
  bool commands = false;
  for (const std::string& line : test_support::SplitLines(RunTool({"help"}).out)) {
    commands = (commands && !line.empty()) || line == "Commands:";
    if (commands && line.starts_with("  ") && line[2] != ' ') {
      topics.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  EXPECT_EQ(topics.size(), 19u);
  for (const std::string& topic : topics) {
    const CliRun run = RunTool(topic.empty() ? std::vector<std::string>{"help"}
                                             : std::vector<std::string>{"help", topic});
    EXPECT_TRUE(Contains(run.out, "Example")) << topic;
    EXPECT_TRUE(Contains(run.out, "Exit status: 0 ")) << topic;
    for (const std::string& line : test_support::SplitLines(run.out)) {
      EXPECT_LE(line.size(), 80u) << topic << ": " << line;
    }
  }
}

TEST(CliUsageTest, VersionNamesTheProgram) {
  const CliRun run = RunTool({"--version"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "Tessaron Configuration Utility Version " TESSARON_VERSION_TEXT
                     " (" TESSARON_PLATFORM_TEXT ")\n");
}

}  // namespace
}  // namespace tessaron
