#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "core/interface_type.h"
#include "cli_test_support.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "cli/online_session.h"
#include "core/settings_json.h"
#include "core/settings_report.h"

namespace tessaron {
namespace {

using test_support::CliRun;
using test_support::ReadBytes;
using test_support::RunTool;
using test_support::ScratchFolder;
using test_support::SplitLines;
using test_support::WriteBytes;

class OfflineCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.Valid()); }

  // A configuration file with the factory defaults, written by the tool itself.
  std::string DefaultsFile(const std::string& name = "defaults.cfs2") {
    const std::string path = folder.File(name);
    const CliRun run = RunTool({"init", path});
    EXPECT_EQ(run.code, 0) << run.err;
    return path;
  }

  // Expects a load failure: status 1 for a file the system does not give, 2 for one that is
  // no settings file; no output, one error line naming the file and the reason.
  static void ExpectLoadFailure(const CliRun& run, const std::string& path,
                                ConfigFileStatus status) {
    EXPECT_EQ(run.code, status == ConfigFileStatus::NotFound ? 1 : 2);
    EXPECT_EQ(run.out, "");
    const auto lines = SplitLines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(ConfigFileStatusText(status)), std::string::npos) << lines[0];
  }

  ScratchFolder folder;
};

TEST_F(OfflineCommandsTest, InitWritesTheFactoryDefaults) {
  const std::string path = DefaultsFile();
  const ByteString bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), CONFIG_HEADER_SIZE + 147);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), "KALDORMSRCFG2000");
  EXPECT_EQ(bytes[16], 0x02);
  EXPECT_EQ(bytes.back(), 0xE7);  // LRC of the default stream

  ReaderSettings loaded;
  loaded.baudRate = '7';
  loaded.preamble = {0x41};
  ASSERT_TRUE(LoadConfigFile(loaded, path));
  EXPECT_EQ(loaded.baudRate, '5');
  EXPECT_TRUE(loaded.preamble.empty());
}

TEST_F(OfflineCommandsTest, InitReplacesAnExistingFile) {
  const std::string path = folder.File("old.cfs2");
  WriteBytes(path, ByteString(700, 0x55));
  const CliRun run = RunTool({"init", path});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(path).size(), 163u);
}

TEST_F(OfflineCommandsTest, InitIntoAMissingFolderFails) {
  const std::string path = folder.File("no-such-folder/defaults.cfs2");
  const CliRun run = RunTool({"init", path});
  EXPECT_EQ(run.code, 1);
  const auto lines = SplitLines(run.err);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(path), std::string::npos);
}

TEST_F(OfflineCommandsTest, ShowPrintsTheReportWithLineFeedsOrRawByteForByte) {
  const std::string path = DefaultsFile();
  const std::string report = BuildSettingsReport(ReaderSettings(InterfaceType::UsbHid), "V1.90");
  const CliRun run = RunTool({"show", path, "--interface", "usb-hid", "--firmware", "V1.90"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, ReportForTerminal(report));
  const std::string end = "\nINTERFACE_TYPE: USB-HID\nFirmware Version: V1.90\n";
  EXPECT_EQ(run.out.substr(run.out.size() - end.size()), end);
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  EXPECT_EQ(RunTool({"show", path, "--interface=usb-hid", "--firmware=V1.90", "--raw"}).out,
            report);
}

TEST_F(OfflineCommandsTest, ShowDefaultsToUnknownInterfaceAndEmptyFirmware) {
  const CliRun run = RunTool({"show", DefaultsFile()});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            ReportForTerminal(BuildSettingsReport(ReaderSettings(InterfaceType::Unknown), "")));
}

TEST_F(OfflineCommandsTest, ShowMapsEveryInterfaceName) {
  const std::string path = DefaultsFile();
  const char* names[] = {"unknown", "rs232", "ps2", "usb-hid-kb", "usb-rs232", "usb-hid"};
  for (int number = 0; number < INTERFACE_TYPE_COUNT; ++number) {
    const CliRun run = RunTool({"show", path, "--interface=" + std::string(names[number])});
    EXPECT_EQ(run.code, 0) << names[number];
    EXPECT_EQ(run.out, ReportForTerminal(BuildSettingsReport(
                           ReaderSettings(InterfaceOfNumber(number)), "")))
        << names[number];
  }
  EXPECT_EQ(LineNames(true).size(), static_cast<std::size_t>(INTERFACE_TYPE_COUNT));
}

TEST_F(OfflineCommandsTest, ShowReportsWhatTheFileHolds) {
  ReaderSettings settings;
  settings.baudRate = '7';
  settings.preamble = {0x02, 0x41};
  settings.formulas[0] = {0x2A, 0x2B};
  settings.interfaceType = InterfaceType::UsbHid;  // not stored in the file
  const std::string path = folder.File("changed.cfs2");
  ASSERT_TRUE(SaveConfigFile(settings, path));

  const CliRun run = RunTool({"show", path, "--interface", "rs232"});
  ASSERT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("\nBaud Rate: 38400\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nPreamble:\\stxA\nPostamble:\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nData Edit-CreditCard:1011\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nINTERFACE_TYPE: RS232\n"), std::string::npos);
}

TEST_F(OfflineCommandsTest, CommandsRefuseFilesThatDoNotLoad) {
  const std::string missing = folder.File("missing.cfs2");
  const std::string text = folder.File("notes.txt");
  WriteBytes(text, ByteString{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!',
                              '!', '!', '!', '!', '!'});
  const std::string badLrc = folder.File("bad-lrc.cfs2");
  ByteString bytes = ReadBytes(DefaultsFile());
  bytes.back() ^= 0x01;
  WriteBytes(badLrc, bytes);
  const std::string empty = folder.File("empty.cfs2");
  WriteBytes(empty, {});

  for (const char* command : {"show", "dump"}) {
    SCOPED_TRACE(command);
    ExpectLoadFailure(RunTool({command, missing}), missing, ConfigFileStatus::NotFound);
    ExpectLoadFailure(RunTool({command, text}), text, ConfigFileStatus::NotConfigFile);
    ExpectLoadFailure(RunTool({command, empty}), empty, ConfigFileStatus::Empty);
  }
  ExpectLoadFailure(RunTool({"show", badLrc}), badLrc, ConfigFileStatus::BadChecksum);
}

TEST_F(OfflineCommandsTest, DumpListsBrokenStreamsBehindAGoodHeaderAndStillFails) {
  const ByteString good = ReadBytes(DefaultsFile());

  // Expects the listing on standard output and the one-line reason on standard error.
  auto expectListedFailure = [](const CliRun& run, const std::string& path,
                                ConfigFileStatus status) {
    EXPECT_EQ(run.code, 2);
    EXPECT_FALSE(run.out.empty());
    const auto lines = SplitLines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(ConfigFileStatusText(status)), std::string::npos) << lines[0];
  };

  const std::string badLrc = folder.File("bad-lrc.cfs2");
  ByteString bytes = good;
  bytes.back() ^= 0x01;
  WriteBytes(badLrc, bytes);
  CliRun run = RunTool({"dump", badLrc});
  expectListedFailure(run, badLrc, ConfigFileStatus::BadChecksum);
  EXPECT_EQ(SplitLines(run.out).size(), 49u) << run.out;  // every record is still shown
  EXPECT_EQ(SplitLines(run.out).back().substr(0, 3), "LRC");

  // Cut right after the STX: the listing goes as far as the bytes go.
  const std::string cut = folder.File("cut.cfs2");
  WriteBytes(cut, ByteString(good.begin(), good.begin() + CONFIG_HEADER_SIZE + 1));
  run = RunTool({"dump", cut});
  expectListedFailure(run, cut, ConfigFileStatus::BadStreamStart);
  EXPECT_NE(run.out.find("02"), std::string::npos) << run.out;

  // A stream that does not start as a settings stream.
  const std::string query = folder.File("query.cfs2");
  bytes = good;
  bytes[CONFIG_HEADER_SIZE + 1] = 0x52;
  WriteBytes(query, bytes);
  expectListedFailure(RunTool({"dump", query}), query, ConfigFileStatus::BadStreamStart);

  // Only the header.
  const std::string header = folder.File("header.cfs2");
  WriteBytes(header, ByteString(good.begin(), good.begin() + CONFIG_HEADER_SIZE));
  run = RunTool({"dump", header});
  expectListedFailure(run, header, ConfigFileStatus::BadStreamStart);
  EXPECT_EQ(run.out, "(no settings stream)\n");

  // A wrong header is still refused without a listing.
  const std::string wrongVersion = folder.File("wrong-version.cfs2");
  bytes = good;
  bytes[12] = '3';
  WriteBytes(wrongVersion, bytes);
  ExpectLoadFailure(RunTool({"dump", wrongVersion}), wrongVersion,
                    ConfigFileStatus::NotConfigFile);
}

TEST_F(OfflineCommandsTest, DumpListsEveryRecordOfTheDefaults) {
  const CliRun run = RunTool({"dump", DefaultsFile()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto lines = SplitLines(run.out);
  // STX and direction, 46 records, ETX, LRC.
  ASSERT_EQ(lines.size(), 49u) << run.out;
  EXPECT_NE(lines.front().find("02 53"), std::string::npos);
  EXPECT_EQ(lines[1].substr(0, 12), "terminalType");
  EXPECT_NE(lines[1].find("10 01 30"), std::string::npos);
  EXPECT_NE(run.out.find("FC 08 00 FF 00 FF 00 FF 00 FF\n"), std::string::npos);
  EXPECT_EQ(lines[47].substr(0, 3), "ETX");
  EXPECT_EQ(lines[48].substr(0, 3), "LRC");
  EXPECT_NE(lines[48].find("E7"), std::string::npos);
}

TEST_F(OfflineCommandsTest, DumpWalksTheRawBytesOfLoadableOddFiles) {
  ByteString bytes = ReadBytes(DefaultsFile());

  // Cut before the ETX: listed as far as it goes, and refused as cut off.
  const std::string cut = folder.File("cut.cfs2");
  WriteBytes(cut, ByteString(bytes.begin(), bytes.end() - 2));
  CliRun run = RunTool({"dump", cut});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(SplitLines(run.out).back(), "(no ETX)");
  EXPECT_NE(run.err.find(ConfigFileStatusText(ConfigFileStatus::CutOff)), std::string::npos)
      << run.err;

  // Bytes after the LRC are ignored by the loader but shown by the listing.
  const std::string trailing = folder.File("trailing.cfs2");
  ByteString longer = bytes;
  longer.insert(longer.end(), {0xAA, 0xBB});
  WriteBytes(trailing, longer);
  run = RunTool({"dump", trailing});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string last = SplitLines(run.out).back();
  EXPECT_EQ(last.substr(0, 15), "(after the LRC)");
  EXPECT_NE(last.find("AA BB"), std::string::npos);
}

// A pipe or a descriptor takes the bytes as a stream and stays what it is; "-" is standard
// input or output; a file of the other kind is named; a failed write to standard output fails.
TEST_F(OfflineCommandsTest, StreamsAndStandardStreamsTakeTheFileWhole) {
  const std::string file = DefaultsFile();
  const ByteString bytes = ReadBytes(file);
  const std::string cfs2(bytes.begin(), bytes.end());
  const std::string json = SettingsToJson(ReaderSettings());
  const std::string jsonFile = folder.File("a.json");
  WriteBytes(jsonFile, ByteString(json.begin(), json.end()));

  const std::string fifo = folder.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string piped;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    piped.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  EXPECT_EQ(RunTool({"export", fifo, "-f", file}).code, 0);
  reader.join();
  EXPECT_EQ(piped, json);
  struct stat info {};
  EXPECT_TRUE(::stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));

  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  EXPECT_EQ(RunTool({"init", "/dev/fd/" + std::to_string(ends[1])}).code, 0);
  ::close(ends[1]);
  char got[1024];
  const ssize_t count = ::read(ends[0], got, sizeof got);
  ::close(ends[0]);
  EXPECT_EQ(std::string(got, static_cast<std::size_t>(std::max<ssize_t>(count, 0))), cfs2);

  const std::string copy = folder.File("copy.cfs2");
  const char* otherKind = "is a settings file in JSON, not a configuration file (.cfs2)";
  test_support::ExpectRuns({
      {{"init", "-"}, 0, cfs2, ""},
      {{"show", "-"}, 0, "Beep Volume: HIGH", "", cfs2},
      {{"dump", "-"}, 0, "terminalType", "", cfs2},
      {{"get", "beep-volume", "-f", "-"}, 0, "beep-volume = high", "", json},
      {{"diff", "-", file}, 0, "", "", json},
      {{"import", "-", "-f", copy}, 0, "changed\n", "", json},
      {{"load", "-"}, 2, "", std::string("standard input ") + otherKind, json},
      {{"load", jsonFile}, 2, "", "\"tessaron import\" writes it"},
      {{"show", jsonFile}, 2, "", otherKind},
      {{"dump", jsonFile}, 2, "", "is a settings file in JSON"},
  });
  EXPECT_EQ(ReadBytes(copy), bytes);
  EXPECT_FALSE(std::filesystem::exists("-"));

  std::ostream full(nullptr);
  std::ostringstream err;
  const char* argv[] = {"tessaron", "get", "-f", file.c_str()};
  EXPECT_EQ(RunCli(4, argv, CliEnvironment{full, err}), 1);
  EXPECT_EQ(err.str(), "tessaron: cannot write standard output\n");
}

}  // namespace
}  // namespace tessaron
