// The commands on readers, run in process against simulated readers: the tool's own
// --simulate reader, or readers the test starts itself so that it can look inside them.
// Discovery sees no device of the machine.

#include "cli/online_commands.h"

#include <gtest/gtest.h>

#include <csignal>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <memory>
#include <string>
#include <vector>

#include "flows/flow_texts.h"
#include "cli_test_support.h"
#include "core/command_frame.h"
#include "core/command_text.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "cli/cli_output.h"
#include "cli/online_session.h"
#include "core/settings_report.h"
#include "core/settings_transactions.h"
#include "sim/pty_server.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_line.h"
#include "support/scripted_port.h"
#include "support/settings_stream_checks.h"

namespace tessaron {
namespace {

using sim::SimulatedLineKind;
using test_support::CheckedStreamOf;
using test_support::CliRun;
using test_support::Contains;
using test_support::RunTool;
using test_support::SplitLines;

std::string Line(const char* text) { return std::string(text) + "\n"; }
// A failure as the tool tells it: one line, "tessaron: " first.
std::string ErrorLine(const std::string& text) { return "tessaron: " + OneLine(text); }

// One error line: the text, then why in parentheses, that the reader is not present: what a
// reader named by an index where there is none gets. err is the output that is to hold it.
std::string TextAndCause(const char* text, const std::string& err) {
  const std::string first = ErrorLine(text) + ": The reader is not present";
  if (err.rfind(first, 0) != 0 || err.find('\n') != err.size() - 1) {
    return first + " ...\n";
  }
  return err;
}

// A record that differs from the factory defaults in a few places.
ReaderSettings ChangedSettings() {
  ReaderSettings settings;
  settings.baudRate = '7';
  settings.beepVolume = '2';
  settings.preamble = {0x02, 'A'};
  settings.formulas[0] = {0x2A, 0x2B};
  return settings;
}

class OnlineCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Valid()); }

  // A simulated reader the test can look into; the only one discovery shows on its line.
  sim::SimulatedLine& StartReader(SimulatedLineKind kind, const std::string& firmware = "V1.90") {
    return readers_.Start(kind, firmware);
  }

  std::string SettingsFile(const ReaderSettings& settings, const std::string& name = "in.cfs2") {
    const std::string path = folder_.File(name);
    EXPECT_TRUE(SaveConfigFile(settings, path));
    return path;
  }

  test_support::FastToolTiming fastTiming_;
  test_support::ScratchFolder folder_;
  test_support::SimulatedReaders readers_;
};

TEST_F(OnlineCommandsTest, ReportOverEveryLinePrintsWhatShowPrints) {
  const struct {
    const char* simulate;
    std::vector<std::string> reader;
    InterfaceType type;
  } lines[] = {
      {"--simulate=rs232", {"--reader", "rs232:0"}, InterfaceType::Rs232},
      {"--simulate=usb-rs232", {}, InterfaceType::UsbRs232},
      {"--simulate", {}, InterfaceType::UsbHid},
      {"--simulate=usb-hid-kb", {"-r", "usb-hid-kb:0"}, InterfaceType::UsbHidKb},
      {"--simulate=ps2", {"--reader", "ps2:0"}, InterfaceType::Ps2Keyboard},
  };
  for (const auto& line : lines) {
    SCOPED_TRACE(line.simulate);
    std::vector<std::string> args{"report", line.simulate};
    args.insert(args.end(), line.reader.begin(), line.reader.end());
    const CliRun run = RunTool(args);
    ASSERT_EQ(run.code, 0) << run.err;

    ReaderSettings expected(line.type);
    // The keyboard-class demo reader starts in the keyboard format.
    if (line.type == InterfaceType::UsbHidKb) expected.hidFormat = '8';
    EXPECT_EQ(run.out, ReportForTerminal(BuildSettingsReport(expected, "V1.90")));
    EXPECT_TRUE(Contains(run.err, "Reading settings from ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "Reading the firmware version from ")) << run.err;
  }
}

TEST_F(OnlineCommandsTest, FastEndsEachExchangeOnItsWholeReply) {
  // At the real timing a serial report takes two exchanges of at least 2.5 s each.
  const test_support::FastToolTiming realTiming(1.0);
  const auto start = std::chrono::steady_clock::now();
  const CliRun run = RunTool({"report", "--simulate=usb-rs232", "--fast"});
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_LT(elapsed, std::chrono::seconds(1));
}

TEST_F(OnlineCommandsTest, ReportShowsTheReadersOwnSettings) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid, "V3.07");
  ASSERT_TRUE(line.Reader().SetSettingsStream(CheckedStreamOf(ChangedSettings())));
  const CliRun run = RunTool({"report"});
  ASSERT_EQ(run.code, 0) << run.err;
  ReaderSettings expected = ChangedSettings();
  expected.interfaceType = InterfaceType::UsbHid;
  EXPECT_EQ(run.out, ReportForTerminal(BuildSettingsReport(expected, "V3.07")));
  EXPECT_EQ(RunTool({"report", "--raw"}).out, BuildSettingsReport(expected, "V3.07"));
  EXPECT_TRUE(Contains(run.err, "Using the USB-HID reader /dev/hidraw-sim0 (usb-hid:0)"));
}

TEST_F(OnlineCommandsTest, ReadFailuresSayWhichStepFailed) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  line.Reader().SetSilent(true);
  for (const char* command : {"report", "save"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args{command};
    if (std::string(command) == "save") args.push_back(folder_.File("never.cfs2"));
    const CliRun silent = RunTool(args);
    EXPECT_EQ(silent.code, 1);
    EXPECT_EQ(silent.out, "");
    EXPECT_TRUE(Contains(silent.err, ErrorLine(texts::READ_FAILED) + " (")) << silent.err;

    args.insert(args.end(), {"--reader", "usb-hid:3"});
    const CliRun absent = RunTool(args);
    EXPECT_EQ(absent.code, 1);
    EXPECT_EQ(absent.err, TextAndCause("cannot open the reader", absent.err)) << absent.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.File("never.cfs2")));
}

TEST_F(OnlineCommandsTest, VersionPrintsTheFirmwareText) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbRs232, "V2.05");
  CliRun run = RunTool({"version"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "V2.05\n");

  line.Reader().SetSilent(true);
  run = RunTool({"version", "--reader", "usb-rs232:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, "no firmware version")) << run.err;
}

TEST_F(OnlineCommandsTest, SaveWritesWhatTheReaderHolds) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  ASSERT_TRUE(line.Reader().SetSettingsStream(CheckedStreamOf(ChangedSettings())));
  const std::string path = folder_.File("saved.cfs2");
  CliRun run = RunTool({"save", path});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, Line(texts::SAVE_OK))) << run.err;
  ReaderSettings saved;
  ASSERT_TRUE(LoadConfigFile(saved, path));
  EXPECT_EQ(CheckedStreamOf(saved), CheckedStreamOf(ChangedSettings()));

  const std::string nowhere = folder_.File("no-folder/saved.cfs2");
  run = RunTool({"save", nowhere});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, "tessaron: cannot write " + nowhere + ": ")) << run.err;
}

TEST_F(OnlineCommandsTest, LoadWritesTheFileInOneFrame) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  const CliRun run = RunTool({"load", SettingsFile(ChangedSettings())});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "preamble: \"\" -> \\stxA\nbaud-rate: 9600 -> 38400\n"
            "formula-credit-card: \"\" -> 10 11\nchanged\n");
  EXPECT_TRUE(Contains(run.err, texts::WRITE_OK)) << run.err;
  EXPECT_EQ(line.Reader().CommandCount(), 3u);  // read, one frame, read back
  EXPECT_EQ(line.Reader().SettingsStream(), CheckedStreamOf(ChangedSettings()));
}

TEST_F(OnlineCommandsTest, LoadGivesKeyboardClassReadersTheFormatTheirFirmwareTakes) {
  ReaderSettings dataFormat = ChangedSettings();
  dataFormat.hidFormat = '0';
  const std::string file = SettingsFile(dataFormat);
  const struct {
    const char* firmware;
    Byte written;
  } readers[] = {{"V1.89", '8'}, {"V2.10", '8'}, {"V1.88", '0'}, {"unknown", '0'}};
  // The simulated USB HID readers answer at once: the fixed waits of the write can be short.
  const test_support::FastToolTiming shortWaits(0.01);
  for (const auto& reader : readers) {
    SCOPED_TRACE(reader.firmware);
    sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHidKb, reader.firmware);
    const CliRun run = RunTool({"load", file, "--reader", "usb-hid-kb:0"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.ends_with("\nchanged\n")) << run.out;
    EXPECT_EQ(line.Reader().HidFormat(), reader.written);
    // The read with the version query, the frame, the read back.
    EXPECT_EQ(line.Reader().CommandCount(), 4u);
    EXPECT_TRUE(Contains(run.err, "Reading the firmware version from /dev/hidraw-sim0 ...\n"));
    readers_.Clear();
  }
  // A set that asks an older firmware for the keyboard format is told what is written.
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHidKb, "V1.88");
  const CliRun run = RunTool({"set", "hid-format=kaldor-keyboard", "--reader", "usb-hid-kb:0"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "from version 1.89 on; it is written as")) << run.err;
  EXPECT_EQ(line.Reader().HidFormat(), '0');
}

TEST_F(OnlineCommandsTest, LoadOfABadFileTouchesNoReader) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  const std::string broken = folder_.File("broken.cfs2");
  test_support::WriteBytes(broken, ByteString{'K', 'A', 'L', 'D', 'O', 'R'});
  const CliRun run = RunTool({"load", broken});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tessaron: cannot load " + broken + ": " +
                         ConfigFileStatusText(ConfigFileStatus::NotConfigFile) + "\n");
  EXPECT_EQ(line.Reader().CommandCount(), 0u);
}

TEST_F(OnlineCommandsTest, LoadOfARecordPastTheFrameLimitSendsNothing) {
  ReaderSettings many;
  many.formulas[0].assign(100, 0x22);
  many.formulas[1].assign(100, 0x23);
  for (int i = 0; i < 25; ++i) many.addedFields.push_back(ByteString(8, 'C'));
  const std::string file = SettingsFile(many);
  // The file holds it all (its limit is the 1024-byte buffer), the reader's frame does not.
  ReaderSettings check;
  ASSERT_TRUE(LoadConfigFile(check, file));
  ASSERT_GT(SettingsFrameLength(check), MAX_SETTINGS_FRAME);

  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  const CliRun run = RunTool({"load", file});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, "bytes in one frame; at most 400 fit")) << run.err;
  EXPECT_EQ(line.Reader().CommandCount(), 0u);
  EXPECT_EQ(line.Reader().SettingsStream(), sim::SimulatedReader::DefaultSettingsStream());
}

TEST_F(OnlineCommandsTest, LoadThatTheReaderRefusesIsNoSuccess) {
  // An older reader that refuses a frame holding a FuncID it does not know.
  sim::SimulatedReaderConfig config;
  config.rejectUnknown = true;
  config.unknownFuncIds = {0x11};
  sim::SimulatedReader reader(config);
  sim::PtyServer server(reader);
  ASSERT_TRUE(server.Start());
  const CliRun run = RunTool({"load", SettingsFile(ChangedSettings()), "--reader", server.Path()});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::UNKNOWN_FUNC_IDS))) << run.err;
  EXPECT_FALSE(Contains(run.err, "successfully")) << run.err;

  // No reply at all.
  reader.SetSilent(true);
  const CliRun silent =
      RunTool({"load", SettingsFile(ChangedSettings()), "--reader", server.Path()});
  EXPECT_EQ(silent.code, 1);
  EXPECT_TRUE(Contains(silent.err, ErrorLine(texts::READ_FAILED))) << silent.err;
}

TEST_F(OnlineCommandsTest, DefaultsRestoreTheFactorySettingsAndReadThemBack) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::Rs232);
  ASSERT_TRUE(line.Reader().SetSettingsStream(CheckedStreamOf(ChangedSettings())));
  CliRun run = RunTool({"defaults", "--reader", "rs232:0"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "preamble: \\stxA -> \"\"\nbaud-rate: 38400 -> 9600\n"
                     "formula-credit-card: 10 11 -> \"\"\nchanged\n");
  EXPECT_TRUE(Contains(run.err, Line(texts::DEFAULTS_OK))) << run.err;
  EXPECT_EQ(line.Reader().SettingsStream(), sim::SimulatedReader::DefaultSettingsStream());
  const std::string name = line.DeviceName();
  EXPECT_TRUE(Contains(run.err, "Restoring the factory settings of " + name + " ...\nReading settings from " + name + " ...\n")) << run.err;
  EXPECT_EQ(line.Reader().CommandCount(), 3u);  // the read before, the command, the read back

  line.Reader().SetSilent(true);
  run = RunTool({"defaults", "--reader", "rs232:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::READ_FAILED)));
  run = RunTool({"defaults", "--reader", "rs232:1"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, TextAndCause("cannot open the reader", run.err)) << run.err;
}

TEST_F(OnlineCommandsTest, SendPrintsEveryReplyByte) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::Rs232);
  CliRun run = RunTool({"send", "\\x2 \\x52 \\X22\t\\x3", "--reader", "rs232:0"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "0x06 0x02 0x56 0x31 0x2e 0x39 0x30 0x03 0x41\n");

  // A set command the reader knows: acknowledged.
  run = RunTool({"send", "\\x2\\x53\\x18\\x3", "--reader", "rs232:0"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "0x06\n");

  // A query it does not know is answered 0x16.
  run = RunTool({"send", "\\x2\\x52\\x99\\x3", "--reader", "rs232:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "0x16\n");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::COMMAND_UNKNOWN))) << run.err;

  line.Reader().SetSilent(true);
  run = RunTool({"send", "\\x2\\x52\\x22\\x3", "--reader", "rs232:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::COMMAND_FAILED))) << run.err;

  run = RunTool({"send", "\\x2\\x52\\x22\\x3", "--reader", "rs232:4"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, TextAndCause("cannot open the reader", run.err)) << run.err;
}

TEST_F(OnlineCommandsTest, TheBootLoaderNeedsThePasswordAndAYes) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  const struct {
    std::vector<std::string> args;
    std::string input;
    int code;
    bool entered;
  } runs[] = {
      {{"bootloader", "--password", "verdanth 5291"}, "", 1, false},
      {{"bootloader"}, "Verdanth 5291\nn\n", 1, false},  // asked for both, then no
      {{"bootloader", "--password", "Verdanth 5291", "--yes"}, "", 0, true},
  };
  for (const auto& run : runs) {
    const CliRun result = RunTool(run.args, run.input);
    EXPECT_EQ(result.code, run.code) << result.err;
    EXPECT_EQ(line.Reader().InBootLoader(), run.entered);
  }
  EXPECT_EQ(RunTool({"bootloader", "--password", "x"}).err,
            ErrorLine(texts::BOOT_LOADER_PASSWORD_WRONG) + "\n");
}

TEST_F(OnlineCommandsTest, SendRefusesTextsThatAreNoCommand) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  std::string tooLong = "\\x2";
  for (int i = 0; i < 512; ++i) tooLong += "\\x1";
  tooLong += "\\x3";
  // Which escape is bad, and where.
  auto Invalid = [](const std::string& where) {
    return ErrorLine(std::string(texts::COMMAND_TEXT_INVALID_VALUE) + " (" + where +
                     " is no byte: write \\x and one or two hexadecimal digits, as in \\x2.) " +
                     texts::COMMAND_TEXT_REFUSED) +
           "\n";
  };
  const struct {
    std::string text;
    std::string err;
  } wrong[] = {
      {" \t ", ErrorLine(texts::COMMAND_TEXT_EMPTY) + "\n"},
      {"\\x2\\x\\x3", Invalid("\"\\x\" at character 4")},
      {"\\x2\\x123\\x3", Invalid("\"\\x123\" at character 4")},
      {"\\xZZ", Invalid("\"\\xZZ\" at character 1")},
      {tooLong, ErrorLine(texts::COMMAND_TEXT_REFUSED) + "\n"},
      {"X2", ErrorLine(texts::COMMAND_NOT_FRAMED) + "\n"},
      {"\\x2\\x52\\x22", ErrorLine(texts::COMMAND_NOT_FRAMED) + "\n"},
  };
  for (const auto& text : wrong) {
    const CliRun run = RunTool({"send", text.text});
    EXPECT_EQ(run.code, 2) << text.text;
    EXPECT_EQ(run.out, "") << text.text;
    EXPECT_EQ(run.err, text.err) << text.text;
  }
  EXPECT_EQ(line.Reader().CommandCount(), 0u);
}

TEST_F(OnlineCommandsTest, ListShowsTheReadersOfEveryInterface) {
  sim::SimulatedLine& serial = StartReader(SimulatedLineKind::Rs232);
  StartReader(SimulatedLineKind::UsbHid);
  CliRun run = RunTool({"list"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "rs232:0\tRS232\t" + serial.DeviceName() +
                         "\nps2:0\tPS/2 Keyboard\tPS/2 Keyboard port\n"
                         "usb-hid:0\tUSB-HID\t/dev/hidraw-sim0\n");

  run = RunTool({"list", "--interface", "usb-hid"});
  EXPECT_EQ(run.out, "usb-hid:0\tUSB-HID\t/dev/hidraw-sim0\n");
  run = RunTool({"list", "--interface=usb-rs232"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "No USB-RS232 reader found.\n");
}

TEST_F(OnlineCommandsTest, ListTakesTheSimulatedReaderIntoDiscovery) {
  const CliRun run = RunTool({"list", "--simulate=usb-hid-kb", "--interface", "usb-hid-kb"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "usb-hid-kb:0\tUSB-HID-KB\t/dev/hidraw-sim0\n");
  // Gone again after the command.
  EXPECT_EQ(RunTool({"list", "--interface", "usb-hid-kb"}).out, "");
}

TEST_F(OnlineCommandsTest, WithoutReaderOnlyASingleUsbReaderIsTaken) {
  CliRun run = RunTool({"version"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, "no USB reader found")) << run.err;
  EXPECT_TRUE(Contains(run.err, "--reader")) << run.err;

  // A plain RS232 reader is never taken by itself.
  sim::SimulatedLine& serial = StartReader(SimulatedLineKind::Rs232);
  run = RunTool({"version"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(serial.Reader().CommandCount(), 0u);

  sim::SimulatedLine& usbSerial = StartReader(SimulatedLineKind::UsbRs232);
  sim::SimulatedLine& hid = StartReader(SimulatedLineKind::UsbHid);
  run = RunTool({"report"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, "2 USB readers found")) << run.err;
  // The RS232 reader's port comes first among the serial ports.
  EXPECT_TRUE(Contains(run.err, "usb-rs232:1 (" + usbSerial.DeviceName() + ")")) << run.err;
  EXPECT_TRUE(Contains(run.err, "usb-hid:0 (/dev/hidraw-sim0)")) << run.err;
  EXPECT_EQ(usbSerial.Reader().CommandCount(), 0u);
  EXPECT_EQ(hid.Reader().CommandCount(), 0u);
}

TEST_F(OnlineCommandsTest, CloneCopiesOneLineToAnother) {
  sim::SimulatedLine& source = StartReader(SimulatedLineKind::Rs232);
  sim::SimulatedLine& target = StartReader(SimulatedLineKind::UsbHid);
  ASSERT_TRUE(source.Reader().SetSettingsStream(CheckedStreamOf(ChangedSettings())));
  const CliRun run = RunTool({"clone", "--from", "rs232:0", "--to", "usb-hid:0"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("preamble: \"\" -> \\stxA\n")) << run.out;
  EXPECT_TRUE(run.out.ends_with("\nchanged\n")) << run.out;
  EXPECT_TRUE(Contains(run.err, Line(texts::SOURCE_READ_OK))) << run.err;
  EXPECT_EQ(target.Reader().SettingsStream(), CheckedStreamOf(ChangedSettings()));
  EXPECT_EQ(source.Reader().SettingsStream(), CheckedStreamOf(ChangedSettings()));
}

TEST_F(OnlineCommandsTest, CloneToAKeyboardClassReaderFollowsItsFirmware) {
  sim::SimulatedLine& source = StartReader(SimulatedLineKind::UsbRs232);
  ReaderSettings dataFormat = ChangedSettings();
  dataFormat.hidFormat = '1';
  ASSERT_TRUE(source.Reader().SetSettingsStream(CheckedStreamOf(dataFormat)));
  // Written as a loaded file is: an older keyboard-class reader gets the data format.
  for (const auto& [firmware, written] : {std::pair{"V1.89", '8'}, std::pair{"V1.88", '0'}}) {
    SCOPED_TRACE(firmware);
    sim::SimulatedLine& target = StartReader(SimulatedLineKind::UsbHidKb, firmware);
    const CliRun run = RunTool({"clone", "--from", "usb-rs232:0", "--to", "usb-hid-kb:0"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(target.Reader().HidFormat(), written);
    ReaderSettings cloned;
    EXPECT_TRUE(test_support::DecodeStream(target.Reader().SettingsStream(), &cloned));
    EXPECT_EQ(cloned.baudRate, '7');
    readers_.StopLast();
  }
}

TEST_F(OnlineCommandsTest, CloneSaysWhichSideFailed) {
  sim::SimulatedLine& source = StartReader(SimulatedLineKind::Rs232);
  sim::SimulatedLine& target = StartReader(SimulatedLineKind::UsbHid);

  CliRun run = RunTool({"clone", "--from", "rs232:3", "--to", "usb-hid:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, TextAndCause("cannot open the source reader", run.err)) << run.err;

  run = RunTool({"clone", "--from", "rs232:0", "--to", "usb-hid:2"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, Line(texts::SOURCE_READ_OK))) << run.err;
  EXPECT_TRUE(Contains(run.err, ErrorLine("cannot open the reader"))) << run.err;

  target.Reader().SetSilent(true);
  run = RunTool({"clone", "--from", "rs232:0", "--to", "usb-hid:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::READ_FAILED))) << run.err;

  source.Reader().SetSilent(true);
  target.Reader().SetSilent(false);
  const std::size_t targetCommands = target.Reader().CommandCount();
  run = RunTool({"clone", "--from", "rs232:0", "--to", "usb-hid:0"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::READ_FAILED))) << run.err;
  EXPECT_EQ(target.Reader().CommandCount(), targetCommands);
}

TEST_F(OnlineCommandsTest, CloneReportsUnknownFuncIdsOfTheTarget) {
  sim::SimulatedLine& source = StartReader(SimulatedLineKind::UsbHid);
  ASSERT_TRUE(source.Reader().SetSettingsStream(CheckedStreamOf(ChangedSettings())));
  sim::SimulatedReaderConfig config;
  config.rejectUnknown = true;
  config.unknownFuncIds = {0x11};
  sim::SimulatedReader refusing(config);
  sim::PtyServer server(refusing);
  ASSERT_TRUE(server.Start());
  const CliRun run = RunTool({"clone", "--from", "usb-hid:0", "--to", server.Path()});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(Contains(run.err, ErrorLine(texts::UNKNOWN_FUNC_IDS))) << run.err;
}

// Every write takes --check, says its changes on standard output once the reader holds them
// and its notes on standard error; readers are named as discovery shows them.
TEST_F(OnlineCommandsTest, EveryWriteChecksOrConfirmsAndNamesItsReaders) {
  sim::SimulatedLine& line = StartReader(SimulatedLineKind::UsbHid);
  const std::string file = SettingsFile(ChangedSettings());
  const std::string json = folder_.File("changed.json");
  ASSERT_EQ(RunTool({"export", json, "-f", file}).code, 0);
  test_support::ExpectRuns({
      {{"load", file, "--check"}, 3, "baud-rate: 9600 -> 38400\n", ""},
      {{"import", json, "--check", "-f", folder_.File("new.cfs2")}, 3, "would change\n", ""},
      {{"clone", "--from", "usb-hid:0", "--to", "usb-hid:0", "--check"}, 0, "unchanged\n", ""},
      {{"defaults", "--check", "-q"}, 0, "unchanged\n", ""},
      {{"list", "--json"}, 0, "{\"connection\": \"usb-hid:0\", \"interface\": \"USB-HID\"", ""},
      {{"diff", "reader", file, "--json"}, 1, "\"baud-rate\": {\"a\": \"9600\", \"b\": \"38400\"}", ""},
      {{"report", "-r", "usb-hid-kb:0"}, 2, "",
       "usb-hid-kb:0 is a USB-HID reader (/dev/hidraw-sim0), not a USB-HID-KB reader; "
       "\"tessaron list\" finds no USB-HID-KB reader"},
  });
  EXPECT_EQ(line.Reader().CommandCount(), 5u);  // each write's read (and diff's), nothing written
  EXPECT_FALSE(std::filesystem::exists(folder_.File("new.cfs2")));
  readers_.Clear();
  test_support::ExpectRuns({
      {{"--simulate=ps2", "report", "--quiet"}, 0, "INTERFACE_TYPE: PS/2 Keyboard\n", ""},
      {{"set", "beep-volume=low", "--simulate=rs232"}, 0, "beep-volume: high -> low\nchanged\n",
       "Using the RS232 reader"},
  });
  // A reader that refuses the frame: no change was made, so none is printed.
  sim::SimulatedReaderConfig config;
  config.rejectUnknown = true;
  config.unknownFuncIds = {0x11};
  readers_.Start(SimulatedLineKind::UsbHid, config);
  test_support::ExpectRuns({{{"set", "beep-volume=low"}, 1, "", ErrorLine(texts::UNKNOWN_FUNC_IDS)}});
  EXPECT_EQ(RunTool({"set", "beep-volume=low"}).out, "");
}

// A stop signal during a run over many readers: the exchange in progress ends, nothing new
// starts, and the summary says what was not done; a signal that leaves nothing undone changes
// nothing.
TEST_F(OnlineCommandsTest, StopSignalsEndARunOverManyReadersAfterTheExchangeInProgress) {
  const struct {
    int signal;
    int readers;
    std::size_t atCommand;  // of the first reader: 1 read, 2 write, 3 read back
    int code;
    std::string lines;
  } cases[] = {
      {SIGINT, 3, 1, 130,
       "hidraw-sim0: not done: the run was stopped by SIGINT\n3 readers: 0 changed, 0 unchanged, "
       "0 failed, 3 not done: interrupted (the run was stopped by SIGINT)\nunchanged\n"},
      {SIGTERM, 3, 2, 143,
       "hidraw-sim0: changed: not read back: The run was stopped by SIGTERM; nothing more was "
       "sent to /dev/hidraw-sim0.\n3 readers: 1 changed, 0 unchanged, 0 failed, 2 not done: "
       "interrupted (the run was stopped by SIGTERM)\nchanged\n"},
      {SIGHUP, 1, 3, 0, "hidraw-sim0: changed\n1 reader: 1 changed, 0 unchanged, 0 failed\nchanged\n"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.signal);
    std::vector<sim::SimulatedLine*> lines;
    for (int i = 0; i < each.readers; ++i) {
      lines.push_back(&readers_.Start(SimulatedLineKind::UsbHid, sim::SimulatedReaderConfig{}, i));
    }
    // The signal comes as the exchange atCommand begins, on the tool's own thread.
    std::size_t exchanges = 0;
    readers_.wrap = [&](std::unique_ptr<ReaderPort> port) -> std::unique_ptr<ReaderPort> {
      return std::make_unique<test_support::HookedPort>(std::move(port), [&] {
        if (++exchanges == each.atCommand) std::raise(each.signal);
      });
    };
    const CliRun run = RunTool({"set", "beep-volume=low", "--all"});
    EXPECT_EQ(run.code, each.code) << run.err;
    EXPECT_TRUE(run.out.ends_with(each.lines)) << run.out;
    EXPECT_EQ(lines[0]->Reader().CommandCount(), each.atCommand);
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i]->Reader().CommandCount(), 0u);
    readers_.Clear();
  }
}

}  // namespace
}  // namespace tessaron
