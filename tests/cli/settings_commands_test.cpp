// The commands on named settings, run in process on files and on simulated readers.

#include "cli/settings_commands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "core/config_file.h"
#include "core/setting_names.h"
#include "core/settings_json.h"
#include "flows/flow_texts.h"
#include "support/settings_stream_checks.h"

namespace tessaron {
namespace {

using sim::SimulatedLineKind;
using test_support::CheckedStreamOf;
using test_support::CliRun;
using test_support::Contains;
using test_support::ReadBytes;
using test_support::RunTool;

// A record with a changed value in settings of most kinds.
ReaderSettings Configured() {
  ReaderSettings settings;
  settings.beepVolume = '1';
  settings.baudRate = '9';  // a value without a word
  settings.preamble = {0x02, 'A'};
  settings.formulas[2] = {0x27, 0x00};
  settings.addedFields = {{'I', 'D'}};
  settings.lengthLimits[1] = {0xF0, 0x40, 5, 20};
  settings.customFields = {{0xF2, 0x40, 2, 2, 'A', 'B'}};
  return settings;
}

class SettingsCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Valid()); }

  std::string File(const ReaderSettings& settings, const std::string& name) {
    const std::string path = folder_.File(name);
    EXPECT_TRUE(SaveConfigFile(settings, path));
    return path;
  }

  sim::SimulatedLine& Reader(const ReaderSettings& settings,
                             SimulatedLineKind kind = SimulatedLineKind::UsbHid) {
    sim::SimulatedLine& line = readers_.Start(kind);
    EXPECT_TRUE(line.Reader().SetSettingsStream(CheckedStreamOf(settings)));
    return line;
  }

  test_support::FastToolTiming fastTiming_;
  test_support::ScratchFolder folder_;
  test_support::SimulatedReaders readers_;
};

TEST_F(SettingsCommandsTest, GetPrintsTheSameFromAFileAndFromAReader) {
  const std::string file = File(Configured(), "configured.cfs2");
  Reader(Configured(), SimulatedLineKind::Rs232);  // where baud-rate applies
  for (const std::vector<std::string>& place :
       {std::vector<std::string>{"--file", file}, {"--reader", "rs232:0"}}) {
    std::vector<std::string> args{"get",           "beep-volume",         "baud-rate", "preamble",
                                  "formula-aamva", "length-limit-track2", "postamble"};
    args.insert(args.end(), place.begin(), place.end());
    CliRun run = RunTool(args);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "beep-volume = low\nbaud-rate = 0x39 (undefined)\npreamble = \\stxA\nformula-aamva = 10 0a\n"
              "length-limit-track2 = {\"min\": 5, \"max\": 20}\npostamble =\n");
    args = {"get", "--json", "beep-volume", "added-fields"};
    args.insert(args.end(), place.begin(), place.end());
    run = RunTool(args);
    EXPECT_EQ(run.out, "{\n  \"beep-volume\": \"low\",\n  \"added-fields\": [\"ID\"]\n}\n");
  }
  EXPECT_EQ(test_support::SplitLines(RunTool({"get", "-f", file}).out).size(), NamedSettings().size());
  const std::string listing = RunTool({"settings"}).out;
  EXPECT_EQ(test_support::SplitLines(listing).size(), NamedSettings().size());
  EXPECT_TRUE(Contains(listing, "\nbaud-rate  ")) << listing;
  EXPECT_TRUE(Contains(listing, "  2400, 4800, 9600, 19200, 38400 (factory: 9600)\n")) << listing;
}

// A reader refuses what its line does not have, as the pages grey it out; a file holds all.
TEST_F(SettingsCommandsTest, ASettingOfAnotherLineIsRefusedOnAReader) {
  sim::SimulatedLine& line = Reader(Configured());
  const ByteString held = line.Reader().SettingsStream();
  const struct {
    std::vector<std::string> args;
    std::string error;
  } runs[] = {
      {{"set", "beep-volume=high", "terminal-type=notebook", "baud-rate=2400"},
       "tessaron: terminal-type applies on ps2 only; this reader is on usb-hid; nothing was "
       "written\n"},
      {{"get", "beep-volume", "language"},
       "tessaron: language applies on usb-hid-kb and ps2 only; this reader is on usb-hid\n"},
  };
  for (const auto& each : runs) {
    const CliRun run = RunTool(each.args);
    EXPECT_EQ(run.code, 2) << run.err;
    EXPECT_TRUE(run.err.ends_with(each.error)) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(line.Reader().SettingsStream(), held);
  EXPECT_FALSE(Contains(RunTool({"get"}).out, "baud-rate"));
  const std::string file = File(Configured(), "configured.cfs2");
  EXPECT_EQ(RunTool({"set", "terminal-type=notebook", "-f", file}).code, 0);
}

// The words that completion offers are values set takes, and read back the same.
TEST_F(SettingsCommandsTest, SettingsWordsAreTheValuesEachSettingTakes) {
  const std::vector<std::string> lines = test_support::SplitLines(RunTool({"settings", "--words"}).out);
  ASSERT_EQ(lines.size(), NamedSettings().size());
  std::size_t worded = 0;
  for (const std::string& line : lines) {
    std::istringstream fields(line);
    std::string name;
    fields >> name;
    const NamedSetting* setting = FindNamedSetting(name);
    ASSERT_NE(setting, nullptr) << line;
    for (std::string word; fields >> word; ++worded) {
      ReaderSettings settings;
      std::string error;
      EXPECT_TRUE(SetSettingText(*setting, word, settings, &error)) << line << ": " << error;
      EXPECT_EQ(SettingText(*setting, settings), word) << line;
    }
  }
  EXPECT_TRUE(std::count(lines.begin(), lines.end(), "baud-rate 2400 4800 9600 19200 38400"));
  EXPECT_GT(worded, lines.size());
}

TEST_F(SettingsCommandsTest, SetOnAReaderChangesOnlyTheNamedSettingsAndReadsThemBack) {
  sim::SimulatedLine& line = Reader(Configured());
  CliRun run = RunTool({"set", "beep-volume=quick-low", "preamble=\\esc", "formula-aamva="});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "beep-volume: low -> quick-low\npreamble: \\stxA -> \\esc\n"
            "formula-aamva: 10 0a -> \"\"\nchanged\n");
  EXPECT_TRUE(Contains(run.err, texts::WRITE_OK)) << run.err;
  ReaderSettings expected = Configured();
  expected.beepVolume = '4';
  expected.preamble = {0x1B};
  expected.formulas[2].clear();
  EXPECT_EQ(line.Reader().SettingsStream(), CheckedStreamOf(expected));
  EXPECT_EQ(line.Reader().CommandCount(), 3u);  // read, one frame, read back
  EXPECT_EQ(line.SimulatedHid()->OpenCalls(), 1u);  // on one open, that nobody can take between
}

TEST_F(SettingsCommandsTest, SetAndImportWriteOnlyWhatDiffersAndCheckWritesNothing) {
  sim::SimulatedLine& line = Reader(Configured(), SimulatedLineKind::Rs232);
  const std::string json = folder_.File("configured.json");
  ASSERT_EQ(RunTool({"export", json, "-r", "rs232:0"}).code, 0);
  const ByteString held = line.Reader().SettingsStream();
  const struct {
    std::vector<std::string> args;
    int code;
    std::string lastLine;
  } runs[] = {
      {{"import", json, "-r", "rs232:0"}, 0, "unchanged"},
      {{"set", "beep-volume=low", "baud-rate=0x39 (undefined)", "-r", "rs232:0"}, 0, "unchanged"},
      {{"set", "beep-volume=high", "--check", "-r", "rs232:0"}, 3, "would change"},
      {{"import", json, "--check", "-r", "rs232:0"}, 0, "unchanged"},
  };
  for (const auto& each : runs) {
    const std::size_t commands = line.Reader().CommandCount();
    const CliRun run = RunTool(each.args);
    EXPECT_EQ(run.code, each.code) << each.args[0] << "\n" << run.err;
    EXPECT_TRUE(run.out.ends_with("\n" + each.lastLine + "\n") || run.out == each.lastLine + "\n")
        << run.out;
    EXPECT_EQ(line.Reader().CommandCount(), commands + 1) << each.args[0];  // the read alone
  }
  EXPECT_EQ(line.Reader().SettingsStream(), held);
}

// Every reader found, with a silent one and one whose firmware drops the beep volume among
// them: each has its line, the failing ones never stop the others, and the run fails.
TEST_F(SettingsCommandsTest, EveryReaderGetsItsLineAndAFailingOneStopsNoOther) {
  ReaderSettings wanted;
  wanted.beepVolume = '1';
  const std::string json = folder_.File("wanted.json");
  const std::string file = File(wanted, "wanted.cfs2");
  ASSERT_EQ(RunTool({"export", json, "-f", file}).code, 0);
  const std::vector<std::string> commands[] = {
      {"import", json, "--all"},
      {"load", file, "--all", "--jobs", "2"},
      {"set", "beep-volume=low", "--all", "--jobs", "4"},
      {"clone", "--from", "usb-hid:0", "--to-all"},
  };
  for (const std::vector<std::string>& args : commands) {
    test_support::SimulatedReaders readers;
    sim::SimulatedReaderConfig config;
    readers.Start(SimulatedLineKind::UsbHid, config, 0)
        .Reader()
        .SetSettingsStream(CheckedStreamOf(wanted));
    sim::SimulatedLine& plain = readers.Start(SimulatedLineKind::UsbHid, config, 1);
    config.silent = true;
    readers.Start(SimulatedLineKind::UsbHid, config, 2);
    config.silent = false;
    config.unknownFuncIds = {FindNamedSetting("beep-volume")->funcId};
    readers.Start(SimulatedLineKind::UsbHid, config, 3);

    const CliRun run = RunTool(args);
    const bool clone = args[0] == "clone";
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_EQ(plain.Reader().SettingsStream(), CheckedStreamOf(wanted)) << args[0];
    const std::vector<std::string> lines = test_support::SplitLines(run.out);
    const std::vector<std::string> expected{
        "/dev/hidraw-sim0: unchanged", "/dev/hidraw-sim1: changed", "/dev/hidraw-sim2: failed: ",
        "/dev/hidraw-sim3: failed: the read-back differs in beep-volume"};
    for (std::size_t i = clone ? 1 : 0; i < expected.size(); ++i) {
      EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                              [&](const std::string& line) {
                                return Contains(line, expected[i]);
                              }),
                1)
          << args[0] << " " << expected[i] << "\n" << run.out;
    }
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], clone ? "3 readers: 1 changed, 0 unchanged, 2 failed"
                                             : "4 readers: 1 changed, 1 unchanged, 2 failed");
    EXPECT_EQ(lines.back(), "changed");
  }
}

TEST_F(SettingsCommandsTest, ANewUsbHidFormatSaysTheReaderReappearsAndFindsItThere) {
  sim::SimulatedLine& line = Reader(ReaderSettings());
  const test_support::FastToolTiming shortWaits(0.01);  // the reader re-appears at once
  const CliRun run = RunTool({"set", "hid-format=kaldor-keyboard"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "hid-format: kaldor-data -> kaldor-keyboard\nchanged\n");
  EXPECT_TRUE(Contains(run.err, "will re-appear as a USB-HID-KB device")) << run.err;
  EXPECT_TRUE(Contains(run.err, texts::INTERFACE_SWITCHED)) << run.err;
  EXPECT_TRUE(Contains(run.err, "Using the USB-HID-KB reader")) << run.err;
  EXPECT_EQ(line.Reader().HidFormat(), '8');
}

TEST_F(SettingsCommandsTest, ExportAndImportCarryTheWholeRecordByteForByte) {
  const std::string file = File(Configured(), "configured.cfs2");
  const std::string json = folder_.File("configured.json");
  ASSERT_EQ(RunTool({"export", json, "--file", file}).code, 0);
  const ByteString text = ReadBytes(json);
  EXPECT_EQ(std::string(text.begin(), text.end()), SettingsToJson(Configured()));

  const std::string copy = folder_.File("copy.cfs2");
  EXPECT_EQ(RunTool({"import", json, "-f", copy}).code, 0);
  EXPECT_EQ(ReadBytes(copy), ReadBytes(file));

  sim::SimulatedLine& line = Reader(ReaderSettings());
  const CliRun run = RunTool({"import", json});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "beep-volume: high -> low\n")) << run.out;
  EXPECT_EQ(line.Reader().SettingsStream(), CheckedStreamOf(Configured()));
  EXPECT_EQ(RunTool({"export", "-"}).out, SettingsToJson(Configured()));
}

TEST_F(SettingsCommandsTest, DiffPrintsEachDifferingSettingAndExitsLikeDiff) {
  const std::string configured = File(Configured(), "configured.cfs2");
  const std::string factory = File(ReaderSettings(), "factory.cfs2");
  const std::string json = folder_.File("configured.json");
  ASSERT_EQ(RunTool({"export", json, "-f", configured}).code, 0);
  Reader(Configured());
  const struct {
    std::string first;
    std::string second;
    int code;
    std::size_t lines;
  } diffs[] = {
      {configured, factory, 1, DiffSettings(Configured(), ReaderSettings()).size()},
      {json, configured, 0, 0},
      {"reader", json, 0, 0},
      {factory, "reader:usb-hid:0", 1, DiffSettings(Configured(), ReaderSettings()).size()},
      {folder_.File("missing.cfs2"), factory, 2, 0},
      {"reader:usb-hid:7", factory, 2, 0},
  };
  for (const auto& diff : diffs) {
    const CliRun run = RunTool({"diff", diff.first, diff.second});
    EXPECT_EQ(run.code, diff.code) << diff.first << " " << diff.second << "\n" << run.err;
    EXPECT_EQ(test_support::SplitLines(run.out).size(), diff.lines) << run.out;
  }
  EXPECT_TRUE(
      Contains(RunTool({"diff", configured, factory}).out,
               "beep-volume: low -> high\npreamble: \\stxA -> \"\"\nbaud-rate: 0x39 (undefined) -> 9600\n"));
}

TEST_F(SettingsCommandsTest, BadInputIsAUsageErrorAndWritesNothing) {
  const std::string file = File(Configured(), "configured.cfs2");
  const ByteString before = ReadBytes(file);
  sim::SimulatedLine& line = Reader(Configured());
  const std::string good = SettingsToJson(Configured());
  auto json = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  // 200 entries fit the formulas' block, but not a frame beside 100 more bytes; 260 do not.
  std::string formula = "formula-credit-card=";
  for (int i = 0; i < 100; ++i) formula += "1a 2b ";
  const std::string longFormula = formula + std::string("1a 2b ").append(formula.substr(20, 174));
  const struct {
    std::vector<std::string> args;
    std::string json;  // written to bad.json first when not empty
    std::string error;
  } refusals[] = {
      {{"set", "-f", file, "beep=low"}, "", "unknown setting \"beep\"; did you mean beep-volume?"},
      {{"set", "-f", file, "beep-volume=loud"},
       "",
       "expected off, low, high, quick-high, quick-low"},
      {{"set", "-f", file, "terminator"}, "", "is no NAME=VALUE"},
      {{"set", "-f", file, "xon-char=256"}, "", "xon-char: a whole number from 0 to 255"},
      {{"set", "-f", file, "preamble=" + std::string(255, 'A')},
       "",
       "bytes expected; this one has 255"},
      {{"set", "-f", file, "added-fields=[\"123456789\"]"}, "", "/0: a byte string of 1 to 8"},
      {{"set", "-f", file, "added-fields=[\"\"]"}, "", "/0: a byte string of 1 to 8"},
      {{"set", "-f", file, "formula-custom=1a 10"}, "", "no field name: \"10\""},
      {{"set", "-f", file, "custom-fields=[{\"rule\": \"before\""}, "", "not JSON"},
      {{"set", "-f", file, "match-string-track1={\"offset\": 1}"}, "", "missing \"text\""},
      {{"set", "-f", file, longFormula}, "", "formula-custom take 272 bytes together; at most 255"},
      {{"set", formula, "preamble=" + std::string(100, 'A')},
       "",
       "470 bytes in one frame; at most 400"},
      {{"get", "-f", file, "baud"}, "", "unknown setting \"baud\""},
      {{"import", "bad.json"},
       json("\"beep-volume\"", "\"beep-volumes\""),
       "/settings/beep-volumes: unknown setting"},
      {{"import", "bad.json", "-f", file},
       json("\"xon-char\": 17", "\"xon-char\": \"17\""),
       "/settings/xon-char: a whole number"},
      {{"import", "bad.json", "-f", file},
       json("\"hid-kb-polling-interval\": 1", "\"hid-kb-polling-interval\": 0"),
       "/settings/hid-kb-polling-interval: a whole number from 1 to 255"},
      {{"import", "bad.json", "-f", file},
       json("\"xon-char\": 17", "\"xon-char\": -1"),
       "/settings/xon-char: a whole number from 0 to 255"},
      {{"import", "bad.json", "-f", file},
       json("\"times\": 2", "\"times\": 300"),
       "/settings/custom-fields/0/times: a whole number from 0 to 255"},
      {{"import", "bad.json", "-f", file},
       json("  \"format-version\": 1,\n", ""),
       "/format-version: version 1 expected"},
      {{"import", "bad.json", "-f", file},
       json("\"option-25\": 64,\n", ""),
       "/settings/option-25: missing"},
      {{"import", "bad.json", "-f", file}, good.substr(0, good.size() / 2), "/: not JSON: "},
      {{"import", "bad.json", "-f", file},
       json("\"beep-volume\": \"low\",", "\"beep-volume\": \"low\", \"beep-volume\": \"off\","),
       "the key \"beep-volume\" is given twice"},
      {{"import", "bad.json", "-f", file}, std::string(100000, '['), "nest deeper"},
      {{"import", "bad.json", "-f", file},
       good + std::string(SETTINGS_JSON_MAX_SIZE, ' '),
       "too large"},
      {{"import", "bad.json"},
       json("\"formula-dmv\": []", "\"formula-dmv\": \"1a 2b\""),
       "/settings/formula-dmv: a list of field names expected"},
      // Text is one byte per character; what no reader takes is refused in a file too.
      {{"set", "-f", file, "preamble=\u20ac"}, "", "preamble: the character \"\u20ac\" (U+20AC)"},
      {{"import", "bad.json", "-f", file},
       json("\"postamble\": \"\"", "\"postamble\": \"\u20ac\""),
       "/settings/postamble: the character"},
      {{"set", "-f", file, "preamble=" + std::string(254, 'A'), "postamble=" + std::string(254, 'B')},
       "",
       "the most room goes to preamble (254 bytes), postamble (254 bytes)"},
      {{"set", "-f", file, "length-limit-track1={\"min\": 6, \"max\": 5}"},
       "",
       "length-limit-track1: min 6 is above max 5"},
      {{"set", "-f", file, "custom-fields=[{\"rule\": \"before\", \"field\": \"1c\", "
                           "\"times\": 1, \"text\": \"x\"}]"},
       "",
       "custom-fields/0/field: 1c where custom field 1 takes the letter a"},
      {{"set", "-f", file, "formula-custom=2a 1b"}, "", "formula-custom/1: 1b names no custom field"},
      {{"set", "-f", file, "formula-dmv=0b"}, "", "formula-dmv/0: 0b names no added field"},
  };
  const std::string bad = folder_.File("bad.json");
  for (const auto& refusal : refusals) {
    std::vector<std::string> args = refusal.args;
    if (!refusal.json.empty()) {
      test_support::WriteBytes(bad, ByteString(refusal.json.begin(), refusal.json.end()));
      args[1] = bad;
    }
    const CliRun run = RunTool(args);
    EXPECT_EQ(run.code, 2) << refusal.error;
    EXPECT_EQ(run.out, "") << refusal.error;
    EXPECT_TRUE(Contains(run.err, refusal.error)) << refusal.error << "\n" << run.err;
  }
  EXPECT_EQ(ReadBytes(file), before);
  // A character of the Latin-1 range is its one byte.
  EXPECT_EQ(RunTool({"set", "-f", File(Configured(), "other.cfs2"), "preamble=\u00c4"}).code, 0);
  EXPECT_EQ(RunTool({"get", "preamble", "-f", folder_.File("other.cfs2")}).out,
            "preamble = \\sysrq\n");  // 0xC4 has that name
  EXPECT_EQ(line.Reader().CommandCount(), 1u);  // the read before the long frame was refused
  EXPECT_EQ(line.Reader().SettingsStream(), CheckedStreamOf(Configured()));
}

// One rule for the kind of a file, the exit status of a file that is no settings file, and
// text from outside shown safely.
TEST_F(SettingsCommandsTest, FileKindsExitStatusesAndShownBytes) {
  const std::string config = File(Configured(), "configured.cfs2");
  ReaderSettings latin;
  latin.preamble = {0xE9};
  const std::string latinFile = File(latin, "latin.cfs2");
  const std::string json = folder_.File("configured.json");
  ASSERT_EQ(RunTool({"export", json, "-f", config}).code, 0);
  const ByteString jsonBytes = ReadBytes(json);
  std::string evil(jsonBytes.begin(), jsonBytes.end());
  evil.replace(evil.find("\"low\""), 5, "\"\\u001b]0;TITLE\\u0007\"");
  const ByteString configBytes = ReadBytes(config);
  ReaderSettings big;  // five strings of 254 bytes: more than any frame holds
  for (ByteString* text : {&big.preamble, &big.postamble, &big.track1Prefix, &big.track2Prefix,
                           &big.track3Prefix}) {
    text->assign(254, 'A');
  }
  const std::string bigJson = SettingsToJson(big);
  const std::map<std::string, ByteString> files = {
      {"big.json", ByteString(bigJson.begin(), bigJson.end())},
      {"json-inside.cfs2", jsonBytes}, {"empty.cfs2", {}}, {"one.cfs2", {'K'}},
      {"cut.cfs2", ByteString(configBytes.begin(), configBytes.end() - 3)}, {"empty.json", {}},
      {"malformed.json", {'{', '"'}}, {"evil.json", ByteString(evil.begin(), evil.end())}};
  for (const auto& [name, bytes] : files) test_support::WriteBytes(folder_.File(name), bytes);
  sim::SimulatedReaderConfig reader;
  reader.firmware = "V1\x1b[2J";
  sim::SimulatedLine& factory = readers_.Start(SimulatedLineKind::UsbHid, reader);
  sim::SimulatedReaderConfig configured;
  configured.firmware = "V1.90";
  readers_.Start(SimulatedLineKind::UsbHid, configured, 1)
      .Reader()
      .SetSettingsStream(CheckedStreamOf(Configured()));  // usb-hid:1
  const auto at = [this](const char* name) { return folder_.File(name); };
  // A reader that holds the factory settings gets no restore command.
  EXPECT_EQ(RunTool({"defaults", "-r", "usb-hid:0"}).out, "unchanged\n");
  EXPECT_EQ(factory.Reader().CommandCount(), 1u);
  test_support::ExpectRuns({
      // Writers choose their kind and refuse a name that says the other one.
      {{"init", at("fresh.json")}, 2, "", "but init writes a configuration file (.cfs2)"},
      {{"init", at("FRESH.JSON")}, 2, "", "but init writes a configuration file (.cfs2)"},
      {{"save", at("x.json")}, 2, "", "but save writes a configuration file (.cfs2)"},
      {{"export", at("x.cfs2"), "-f", config}, 2, "", "but export writes a settings file in JSON"},
      {{"set", "beep-volume=low", "-f", at("json-inside.cfs2")}, 2, "",
       "holds a settings file in JSON under the name of a configuration file"},
      {{"import", config, "-f", at("new.cfs2")}, 2, "", "is a configuration file (.cfs2), not a "
                                                         "settings file in JSON"},
      // ... and keep the kind a file has, or its name asks for.
      {{"set", "beep-volume=high", "-f", json}, 0, "changed\n", ""},
      {{"import", json, "-f", at("new.json")}, 0, "changed\n", ""},
      {{"dump", json}, 2, "", "is a settings file in JSON"},
      {{"dump", at("new.json")}, 2, "", "is a settings file in JSON"},
      // No settings file is 2, a file the system does not give is 1.
      {{"show", at("empty.cfs2")}, 2, "", "empty"},
      {{"show", at("one.cfs2")}, 2, "", "not a configuration file"},
      {{"show", at("cut.cfs2")}, 2, "", "damaged"},
      {{"get", "-f", at("empty.json")}, 2, "", "empty"},
      {{"get", "-f", at("malformed.json")}, 2, "", "not JSON"},
      {{"get", "-f", at("big.json")}, 2, "", "bytes in one frame; at most 1024 fit"},
      {{"show", at("missing.cfs2")}, 1, "", "not found"},
      {{"get", "-f", at("")}, 1, "", "Is a directory"},
      // A list setting takes what its options define; bytes from outside are shown as \xHH.
      {{"set", "baud-rate=0x96", "-f", config}, 2, "", "no value of this setting is 0x96"},
      {{"set", "baud-rate=0x36", "-f", config}, 0, "baud-rate: 0x39 (undefined) -> 19200\n", ""},
      {{"show", latinFile}, 0, "\nPreamble:\\xe9\n", ""},
      {{"get", "preamble", "-f", latinFile}, 0, "preamble = \\xe9\n", ""},
      {{"defaults", "-f", latinFile}, 0, "preamble: \\xe9 -> \"\"\nchanged\n", ""},
      {{"load", latinFile, "-f", at("loaded.json")}, 0, "changed\n", ""},
      {{"dump", at("loaded.json")}, 2, "", "is a settings file in JSON"},
      {{"import", at("evil.json"), "-f", config}, 2, "", "unknown value \"\\x1b]0;TITLE\\x07\""},
      {{"version", "-r", "usb-hid:0"}, 0, "V1\\x1b[2J\n", ""},
      // The command line's own mistakes, and what a user expects to hear of them.
      {{"--bogus"}, 2, "", "unknown option --bogus"},
      {{"report", "-r", "usb-hid:0", "-r", "usb-hid:1"}, 2, "", "--reader is given 2 times"},
      {{"report", "--simulate="}, 2, "", "--simulate=: no line named"},
      {{"diff", at("missing.cfs2"), "reader:usb-hid:x"}, 2, "", "\"x\" in \"usb-hid:x\" is neither"},
      {{"set", "beep-volume=low", "beep-volume=high", "-f", config}, 2, "",
       "beep-volume is given twice"},
      {{"save", at(""), "-r", "usb-hid:0"}, 1, "", "cannot write " + at("") + ": write failed"},
      {{"report", "-r", at("")}, 1, "", "cannot open the reader: " + at("") + ": Is a directory"},
      {{"clone", "--from", "usb-hid:1", "--to", "usb-hid:0"}, 0, "changed\n", texts::CLONE_OK},
      // With simulated readers nothing of the machine is listed or opened.
      {{"list", "--simulate=rs232"}, 0, "rs232:0\tRS232\t/dev/pts/", "These are simulated readers"},
      {{"report", "-r", "/dev/null", "--simulate=rs232"}, 2, "", "/dev/null is no simulated reader"},
  });
  EXPECT_EQ(test_support::SplitLines(RunTool({"list", "--simulate=rs232"}).out).size(), 1u);
  // The read of defaults, version, the clone's read, write and read back; save read nothing.
  EXPECT_EQ(factory.Reader().CommandCount(), 5u);
}

// Root saves through links and onto files that user nobody made, in folders sticky or not, open
// to all or to a group: the kernel's rules for sticky folders hold for the links the program
// follows itself; a refusal is one line, exit status 2, and nothing written.
TEST(SharedFolderTest, RootFollowsOnlyTrustedLinksAndReplacesOnlyTrustedFilesThere) {
  if (::geteuid() != 0) GTEST_SKIP() << "runs as root, as in CI";
  namespace fs = std::filesystem;
  const test_support::ScratchFolder scratch;
  const fs::path base = fs::path(scratch.File("x")).parent_path(), target = base / "target";
  ASSERT_EQ(std::system(("cd " + base.string() + " && chmod 0711 . && mkdir -m 1777 shared nobodys"
                         " && mkdir -m 0777 plain && mkdir -m 1775 group && chown nobody nobodys"
                         " && chgrp nogroup group").c_str()), 0);
  enum Made { LINK, LINK_TO_NOTHING, LINK_TO_DEVICE, FILE };
  const struct { const char* folder; bool byNobody; Made made; bool written; } cases[] = {
      {"shared", true, LINK, false},  {"shared", true, LINK_TO_NOTHING, false},
      {"shared", true, LINK_TO_DEVICE, false}, {"shared", true, FILE, false},
      {"shared", false, LINK, true},  {"shared", false, LINK_TO_DEVICE, true},
      {"shared", false, FILE, true},  {"nobodys", true, LINK, true},  // the folder's owner's
      {"nobodys", true, FILE, true},  {"plain", true, LINK, true},  {"plain", true, FILE, true},
      {"group", true, LINK, true},
  };
  for (const auto& c : cases) {
    const fs::path entry = base / c.folder / "entry";
    const fs::path named = c.made == FILE ? entry : c.made == LINK_TO_DEVICE ? "/dev/null" : target;
    fs::remove(target);
    if (c.made == LINK) test_support::WriteBytes(target, {'o', 'l', 'd'});
    const std::string make = c.made == FILE ? "printf old >" + entry.string()
                                            : "ln -s " + named.string() + " " + entry.string();
    ASSERT_EQ(std::system(((c.byNobody ? "setpriv --reuid=nobody --regid=nogroup --clear-groups "
                                         "sh -c '" : "sh -c '") + make + "'").c_str()), 0);
    struct stat before {}, after {};
    ::stat(named.c_str(), &before);

    const CliRun run = RunTool({"init", entry.string()});
    SCOPED_TRACE(std::string(c.folder) + " " + std::to_string(c.made) + ": " + run.err);
    EXPECT_EQ(run.code, c.written ? 0 : 2);
    EXPECT_EQ(test_support::SplitLines(run.err).size(), c.written ? 0u : 1u);
    EXPECT_EQ(Contains(run.err, "refused"), !c.written);
    // What the entry names is written, or stays as it was, with its owner and mode; a link
    // stays a link; nothing is left beside it.
    EXPECT_EQ(::stat(named.c_str(), &after) == 0, c.made != LINK_TO_NOTHING || c.written);
    if (c.made == LINK || c.made == FILE) {
      EXPECT_EQ(ReadBytes(named).size(), c.written ? 163u : 3u);
      EXPECT_TRUE(after.st_uid == before.st_uid && after.st_mode == before.st_mode);
    }
    EXPECT_EQ(fs::is_symlink(entry), c.made != FILE);
    EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 1);
    fs::remove(entry);
  }
}

}  // namespace
}  // namespace tessaron
