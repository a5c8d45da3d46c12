// tessaron-sim as a separate process: the path on its first line, answers, signals, options.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "raw_terminal_client.h"
#include "support/program_folder.h"
#include "support/sim_process.h"

namespace tessaron::sim {
namespace {

using namespace std::chrono_literals;
using test_support::RawTerminalClient;
using tessaron::test_support::ProgramFolder;
using tessaron::test_support::SimProcess;

ByteString Exchange(const std::string& path, const ByteString& frame, std::size_t want) {
  RawTerminalClient client(path);
  EXPECT_TRUE(client.IsOpen()) << path;
  EXPECT_TRUE(client.Write(frame));
  return client.Read(want);
}

TEST(SimProgram, PrintsAPathThatAnswersAndEndsOnSigterm) {
  struct stat info {};
  ASSERT_EQ(::stat((ProgramFolder() / "tessaron-sim").c_str(), &info), 0)
      << "tessaron-sim is not built";
  SimProcess sim({"--firmware", "V2.07"});
  ASSERT_TRUE(sim.Started());
  const std::string path = sim.Path();
  ASSERT_EQ(::stat(path.c_str(), &info), 0) << path;
  EXPECT_EQ(Exchange(path, {0x02, 0x52, 0x22, 0x03, 0x71}, 9),
            (ByteString{0x06, 0x02, 'V', '2', '.', '0', '7', 0x03, 0x4C}));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.WaitExit(5s), 0);
}

TEST(SimProgram, StartsWithTheSettingsOfAConfigurationFile) {
  const std::string file = ::testing::TempDir() + "tessaron_sim_start.cfs2";
  ReaderSettings settings;
  settings.languageOption = '6';
  ASSERT_TRUE(SaveConfigFile(settings, file));
  SimProcess sim({"--settings", file, "--reject-unknown"});
  const std::string path = sim.Path();
  const ByteString reply = Exchange(path, {0x02, 0x52, 0x1F, 0x03, 0x4C}, 1 + DEFAULT_STREAM_LENGTH);
  ASSERT_GE(reply.size(), 3u);
  const ByteString languageRecord{0x24, 0x01, '6'};
  EXPECT_NE(std::search(reply.begin(), reply.end(), languageRecord.begin(), languageRecord.end()),
            reply.end());
  // --reject-unknown: a command the reader does not know is refused.
  EXPECT_EQ(Exchange(path, {0x02, 0x53, 0x31, 0x00, 0x03, 0x63}, 1), ByteString{0x16});
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.WaitExit(5s), 0);
  std::remove(file.c_str());
}

TEST(SimProgram, AFileThatDoesNotLoadEndsTheProgramWithOneLine) {
  // A settings file in JSON is named as such, with the command that makes one it takes.
  const std::string json = ::testing::TempDir() + "settings.json";
  std::ofstream(json) << "{\"format\": \"tessaron-settings\"}\n";
  const std::string missing = ::testing::TempDir() + "no_such_file.cfs2";
  for (const auto& [file, reason] : {std::pair{missing, std::string("not found")},
                                     std::pair{json, "JSON, not a configuration file; \"tessaron "
                                                     "import " + json}}) {
    SimProcess sim({"--settings", file});
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(sim.WaitExit(5s), 1);
    const std::string line = sim.ErrLine();
    EXPECT_NE(line.find(file + ": "), std::string::npos) << line;
    EXPECT_NE(line.find(reason), std::string::npos) << line;
    EXPECT_EQ(sim.ErrLine(), "");
    EXPECT_EQ(sim.OutLine(), "");
  }
  std::remove(json.c_str());
  // A wrong command line is exit status 2, as for the tool.
  SimProcess wrong({"--settings"});
  EXPECT_EQ(wrong.WaitExit(5s), 2);
  EXPECT_EQ(wrong.ErrLine().rfind("tessaron-sim: ", 0), 0u);
}

TEST(SimProgram, SilentReaderSaysNothing) {
  SimProcess sim({"--silent"});
  const std::string path = sim.Path();
  RawTerminalClient client(path);
  ASSERT_TRUE(client.Write({0x02, 0x52, 0x22, 0x03, 0x71}));
  EXPECT_TRUE(client.Read(1, 300ms).empty());
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.WaitExit(5s), 0);
}

}  // namespace
}  // namespace tessaron::sim
