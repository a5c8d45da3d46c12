// The reader workflows on simulated readers, with their waits, steps and messages recorded
// instead of waited for and shown.

#include "flows/reader_flows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/data_edit_rules.h"
#include "core/settings_codec.h"
#include "flows/flow_texts.h"
#include "flows/flow_waits.h"
#include "flows/manual_command_console.h"
#include "sim/simulated_keyboard_controller.h"
#include "sim/simulated_line.h"
#include "transport/keyboard_port.h"
#include "support/flow_recorder.h"
#include "support/transport_fakes.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using std::chrono::milliseconds;
using Waits = std::vector<milliseconds>;
using Texts = std::vector<std::string>;

// The steps a caller hands the flows: a second pause after the firmware query with the
// switch counted once the reader is open; the defaults read back on the command's open or
// on one of their own, each step with its own failure text.
const SendPlan PAUSED_SEND{.pauseAfterVersion = VERSION_QUERY_WAIT, .switchCountsOnceOpen = true};
const DefaultsPlan SAME_OPEN_DEFAULTS{.beforeRead = DEFAULTS_READ_BACK_WAIT};
const DefaultsPlan TWO_OPEN_DEFAULTS{.beforeCommand = DEFAULTS_COMMAND_WAIT,
                                     .readOnOwnOpen = true,
                                     .beforeRead = DEFAULTS_REOPEN_WAIT,
                                     .openFailed = texts::DEFAULTS_OPEN_FAILED,
                                     .reopenFailed = texts::DEFAULTS_REOPEN_FAILED,
                                     .readFailed = texts::DEFAULTS_READ_BACK_FAILED};

class ReaderFlowsTest : public ::testing::Test {
 protected:
  // Starts a simulated reader of that line, the only device discovery sees, and a link to it.
  sim::SimulatedLine& StartReader(sim::SimulatedLineKind kind, const std::string& firmware) {
    link_.reset();
    sim::SimulatedReaderConfig config;
    config.firmware = firmware;
    line_ = std::make_unique<sim::SimulatedLine>(kind, config);
    EXPECT_TRUE(line_->Start());
    connection_ = ReaderConnection{line_->Interface(), 0, std::string()};
    link_ = ReaderLink::Create(connection_, Readers());
    flow_.Clear();
    return *line_;
  }

  // The simulated reader alone, on a twentieth of the real timing; an exchange ends on its
  // whole reply.
  ReaderEnvironment Readers() const {
    ReaderEnvironment readers = line_ ? line_->AddTo(ReaderEnvironment()) : ReaderEnvironment();
    readers.timing = TransportTiming::Real().ScaledBy(0.05);
    readers.timing.fastReplies = true;
    return readers;
  }

  void TearDown() override {
    link_.reset();
    line_.reset();
  }

  ReaderSettings Stored() {
    ReaderSettings stored;
    EXPECT_TRUE(test_support::DecodeStream(line_->Reader().SettingsStream(), &stored));
    return stored;
  }

  test_support::FlowRecorder flow_;
  std::unique_ptr<sim::SimulatedLine> line_;
  ReaderConnection connection_;
  std::unique_ptr<ReaderLink> link_;
};

TEST_F(ReaderFlowsTest, ReadingRestsBeforeTheVersionQueryOnTheKeyboardLineOnly) {
  struct Case {
    sim::SimulatedLineKind line;
    Waits waits;
    const char* device;
  };
  for (const Case& c : {Case{sim::SimulatedLineKind::Ps2, {KEYBOARD_VERSION_WAIT}, "PS/2 Keyboard port"},
                        Case{sim::SimulatedLineKind::UsbHid, {}, nullptr}}) {
    StartReader(c.line, "V1.93");
    ReaderSettings settings;
    settings.baudRate = '9';
    std::string firmware = "old";
    EXPECT_EQ(ReadSettingsAndVersion(*link_, settings, true, &firmware, flow_), ReadOutcome::Ok);
    EXPECT_EQ(firmware, "V1.93");
    EXPECT_EQ(settings.baudRate, ReaderSettings().baudRate);
    EXPECT_EQ(flow_.waits, c.waits);
    if (c.device != nullptr) {
      EXPECT_EQ(flow_.steps, (Texts{std::string("Reading settings from ") + c.device,
                                    std::string("Reading the firmware version from ") + c.device}));
    }
    EXPECT_TRUE(flow_.messages.empty());
  }
  // The version alone, and the settings alone.
  std::string firmware;
  EXPECT_EQ(ReadSettingsAndVersion(*link_, *std::make_unique<ReaderSettings>(), false, &firmware, flow_),
            ReadOutcome::Ok);
  EXPECT_EQ(ReadSettingsAndVersion(*link_, *std::make_unique<ReaderSettings>(), true, nullptr, flow_),
            ReadOutcome::Ok);
  EXPECT_EQ(line_->Reader().CommandCount(), 3u);  // the version came from the port's cache
}

TEST_F(ReaderFlowsTest, AReaderThatCannotBeReachedIsToldWithItsCause) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderConnection missing{InterfaceType::UsbHid, 4, std::string()};
  std::unique_ptr<ReaderLink> nowhere = ReaderLink::Create(missing, Readers());
  ReaderSettings settings;
  const ReadOutcome outcome = ReadSettingsAndVersion(*nowhere, settings, true, nullptr, flow_);
  ASSERT_EQ(outcome, ReadOutcome::OpenFailed);
  TellReadFailure(outcome, *nowhere, flow_);
  ASSERT_EQ(flow_.messages.size(), 1u);
  EXPECT_EQ(flow_.messages[0].text, texts::DEVICE_OPEN_FAILED);
  EXPECT_TRUE(flow_.messages[0].failure);
  EXPECT_FALSE(flow_.messages[0].cause.empty());

  // A reader that stays silent fails the read; the cause says so.
  flow_.Clear();
  line_->Reader().SetSilent(true);
  const ReadOutcome silent = ReadSettingsAndVersion(*link_, settings, true, nullptr, flow_);
  ASSERT_EQ(silent, ReadOutcome::ReadFailed);
  TellReadFailure(silent, *link_, flow_);
  EXPECT_EQ(flow_.Texts(), Texts{texts::READ_FAILED});
  EXPECT_FALSE(flow_.messages[0].cause.empty());
}

TEST(ReaderLinkTest, TheKeyboardLinesRefusedAccessIsToldOnceWhateverTheWorkflow) {
  auto controller = std::make_shared<sim::SimulatedKeyboardController>();
  controller->SetStartRefused(true);
  std::vector<std::pair<std::string, std::string>> told;
  ReaderEnvironment readers;
  readers.keyboardController = std::make_shared<PortIoController>(controller);
  readers.messages = [&told](const std::string& text, const std::string& caption) {
    told.emplace_back(text, caption);
  };
  std::unique_ptr<ReaderLink> link =
      ReaderLink::Create(ReaderConnection{InterfaceType::Ps2Keyboard, 0, std::string()}, readers);
  ASSERT_NE(link, nullptr);
  test_support::FlowRecorder flow;
  // Each workflow that opens the reader: the message of the line alone, never its own text.
  ReaderSettings settings;
  EXPECT_EQ(ReadSettingsAndVersion(*link, settings, true, nullptr, flow), ReadOutcome::OpenFailed);
  TellReadFailure(ReadOutcome::OpenFailed, *link, flow);
  EXPECT_EQ(EnterBootLoader(link.get(), flow), BootLoaderOutcome::OpenFailed);
  EXPECT_EQ(SendSettings(link.get(), settings, SendPlan{}, flow).result, WriteFailed);
  EXPECT_TRUE(flow.messages.empty());
  ASSERT_EQ(told.size(), 3u);
  for (const auto& [text, caption] : told) {
    EXPECT_EQ(text.substr(0, text.find('\n')), KEYBOARD_ACCESS_FAILED_TEXT);
    EXPECT_NE(text.find("CAP_SYS_RAWIO"), std::string::npos) << text;
    EXPECT_EQ(caption, KEYBOARD_ACCESS_FAILED_CAPTION);
  }
  // With the access granted nothing is told.
  controller->SetStartRefused(false);
  EXPECT_TRUE(link->Open());
  EXPECT_FALSE(link->FailureTold());
  link->Close();
  EXPECT_EQ(told.size(), 3u);
  StopControllerAccess();
}

TEST_F(ReaderFlowsTest, SendingToAKeyboardClassReaderAsksForItsFirmwareFirst) {
  struct Case {
    const char* firmware;
    SendPlan plan;
    Byte written;
    Waits waits;
  };
  const Case cases[] = {
      {"V1.88", PAUSED_SEND, '0', {VERSION_QUERY_WAIT, VERSION_QUERY_WAIT}},
      {"V1.89", PAUSED_SEND, '8', {VERSION_QUERY_WAIT, VERSION_QUERY_WAIT}},
      {"no number", PAUSED_SEND, '0', {VERSION_QUERY_WAIT, VERSION_QUERY_WAIT}},
      {"V2.10", SendPlan{}, '8', {VERSION_QUERY_WAIT}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firmware);
    StartReader(sim::SimulatedLineKind::UsbHidKb, c.firmware);
    ReaderSettings settings;
    settings.hidFormat = '8';
    settings.baudRate = '3';
    const SendResult sent = SendSettings(link_.get(), settings, c.plan, flow_);
    EXPECT_EQ(sent.result, WriteOk);
    EXPECT_FALSE(sent.interfaceSwitch);
    EXPECT_EQ(line_->Reader().HidFormat(), c.written);
    EXPECT_EQ(flow_.waits, c.waits);
    EXPECT_EQ(flow_.Texts(), Texts{texts::WRITE_OK});
    EXPECT_EQ(line_->Reader().CommandCount(), 2u);  // the version query, then one frame
  }
}

TEST_F(ReaderFlowsTest, SendingTellsEachWriteResultInItsOwnWords) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.00");
  ReaderSettings settings;
  settings.baudRate = '3';
  settings.SelectHidFormat('1');
  SendResult sent = SendSettings(link_.get(), settings, SendPlan{}, flow_);
  EXPECT_EQ(sent.result, WriteOk);
  EXPECT_TRUE(sent.interfaceSwitch);
  EXPECT_FALSE(settings.IsInterfaceSwitchPending());
  EXPECT_EQ(flow_.Texts(), Texts{std::string(texts::WRITE_OK) + texts::INTERFACE_SWITCHED});
  EXPECT_EQ(Stored().baudRate, '3');

  // A reader whose firmware does not know a FuncID of the frame refuses it: no success.
  flow_.Clear();
  line_->Reader().SetRejectUnknown(true);
  line_->Reader().SetUnknownFuncIds({0x25});
  settings.terminator = 0x0A;
  sent = SendSettings(link_.get(), settings, PAUSED_SEND, flow_);
  EXPECT_EQ(sent.result, WriteRejected);
  EXPECT_EQ(flow_.Texts(), Texts{texts::UNKNOWN_FUNC_IDS});
  EXPECT_TRUE(flow_.messages[0].failure);
  EXPECT_EQ(Stored().terminator, ReaderSettings().terminator);

  // Too long: nothing is sent.
  flow_.Clear();
  ReaderSettings tooLong;
  tooLong.formulas[0].assign(200, 0x41);
  tooLong.formulas[1].assign(200, 0x41);
  const std::size_t before = line_->Reader().CommandCount();
  sent = SendSettings(link_.get(), tooLong, PAUSED_SEND, flow_);
  EXPECT_EQ(sent.result, WriteTooLong);
  EXPECT_EQ(flow_.Texts(), Texts{texts::WRITE_TOO_LONG});
  EXPECT_EQ(line_->Reader().CommandCount(), before);

  // No reader at all.
  flow_.Clear();
  sent = SendSettings(nullptr, settings, PAUSED_SEND, flow_);
  EXPECT_EQ(sent.result, WriteFailed);
  EXPECT_EQ(flow_.Texts(), Texts{texts::WRITE_FAILED});
}

TEST_F(ReaderFlowsTest, DefaultsFollowTheStepsOfEachSheet) {
  struct Case {
    DefaultsPlan plan;
    Waits waits;
  };
  for (const Case& c : {Case{SAME_OPEN_DEFAULTS, {DEFAULTS_READ_BACK_WAIT}},
                        Case{TWO_OPEN_DEFAULTS, {DEFAULTS_COMMAND_WAIT, DEFAULTS_REOPEN_WAIT}}}) {
    StartReader(sim::SimulatedLineKind::UsbHidKb, "V1.90");
    ReaderSettings changed;
    changed.beepVolume = '0';
    changed.hidFormat = '8';
    ByteString stream;
    ASSERT_TRUE(test_support::EncodeStream(changed, &stream));
    ASSERT_TRUE(line_->Reader().SetSettingsStream(stream));

    ReaderSettings settings = changed;
    EXPECT_TRUE(RestoreFactoryDefaults(link_.get(), settings, c.plan, flow_));
    EXPECT_EQ(flow_.waits, c.waits);
    EXPECT_EQ(settings.beepVolume, ReaderSettings().beepVolume);
    EXPECT_EQ(flow_.Texts(), Texts{texts::DEFAULTS_OK});
    EXPECT_EQ(flow_.settingsChanged, 1);

    // A reader that does not acknowledge is not read back.
    flow_.Clear();
    line_->Reader().SetSilent(true);
    EXPECT_FALSE(RestoreFactoryDefaults(link_.get(), settings, c.plan, flow_));
    EXPECT_EQ(flow_.Texts(), Texts{texts::DEFAULTS_FAILED});
    EXPECT_EQ(flow_.settingsChanged, 0);
  }
  // The basic sheet says which step could not open the reader.
  flow_.Clear();
  EXPECT_FALSE(RestoreFactoryDefaults(nullptr, *std::make_unique<ReaderSettings>(),
                                      TWO_OPEN_DEFAULTS, flow_));
  EXPECT_EQ(flow_.Texts(), Texts{texts::DEFAULTS_OPEN_FAILED});
}

TEST_F(ReaderFlowsTest, CloneSwitchesKeyboardClassTargetsOnNewFirmwareOnly) {
  for (const char* firmware : {"V1.89", "V1.88"}) {
    SCOPED_TRACE(firmware);
    StartReader(sim::SimulatedLineKind::UsbHidKb, firmware);
    ReaderSettings source;
    source.hidFormat = '1';
    source.trackSelect = '2';
    std::unique_ptr<ReaderLink> target;
    EXPECT_EQ(CloneToTarget(&source, true, &connection_, Readers(), target, flow_), WriteOk);
    const bool keyboardFormat = std::string(firmware) == "V1.89";
    EXPECT_EQ(line_->Reader().HidFormat(), keyboardFormat ? '8' : '1');
    EXPECT_EQ(flow_.waits, Waits{VERSION_QUERY_WAIT});
    EXPECT_EQ(flow_.Texts(), Texts{texts::CLONE_OK});
  }
}

TEST_F(ReaderFlowsTest, CloneTellsWhatStopsIt) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderSettings source;
  std::unique_ptr<ReaderLink> target;
  std::unique_ptr<ReaderSettings> read;
  ReaderConnection missing{InterfaceType::UsbHid, 4, std::string()};
  EXPECT_EQ(CloneToTarget(&source, false, &connection_, Readers(), target, flow_), WriteFailed);
  EXPECT_EQ(CloneToTarget(&source, true, nullptr, Readers(), target, flow_), WriteFailed);
  EXPECT_EQ(CloneToTarget(&source, true, &missing, Readers(), target, flow_), WriteFailed);
  EXPECT_EQ(ReadCloneSource(nullptr, Readers(), target, read, flow_), SourceReadOutcome::NotRead);
  EXPECT_EQ(ReadCloneSource(&missing, Readers(), target, read, flow_), SourceReadOutcome::NotRead);
  EXPECT_EQ(flow_.Texts(), (Texts{texts::READ_SOURCE_FIRST, texts::SELECT_TARGET,
                                  texts::TARGET_OPEN_FAILED, texts::SELECT_SOURCE,
                                  texts::SOURCE_OPEN_FAILED}));
  EXPECT_EQ(read, nullptr);

  flow_.Clear();
  EXPECT_EQ(ReadCloneSource(&connection_, Readers(), target, read, flow_), SourceReadOutcome::Read);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->interfaceType, InterfaceType::UsbHid);
  line_->Reader().SetSilent(true);
  EXPECT_EQ(ReadCloneSource(&connection_, Readers(), target, read, flow_),
            SourceReadOutcome::ReadFailed);
  EXPECT_EQ(CloneToTarget(read.get(), true, &connection_, Readers(), target, flow_), WriteFailed);
  EXPECT_EQ(flow_.Texts(),
            (Texts{texts::SOURCE_READ_OK, texts::READ_FAILED, texts::CLONE_FAILED}));
}

TEST_F(ReaderFlowsTest, TheConsoleWritesCommandAndReplyIntoItsTranscript) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderSettings settings;
  settings.beepVolume = '0';
  ManualCommandConsole console;
  ManualCommandConsole::Result result =
      console.Send("\\x2 \\x52\t\\X22\\x3", link_.get(), &settings, flow_);
  EXPECT_TRUE(result.sent);
  EXPECT_TRUE(result.succeeded);
  EXPECT_EQ(result.frame, (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));
  // The HID line brings back whole chunks: the reply, then zeros to the end of its report.
  const std::string head = "1) Send Command:  \\x2\\x52\\X22\\x3\\x71 ......\r\nReturn From MSR (";
  EXPECT_EQ(console.Transcript().substr(0, head.size()), head);
  const std::string reply = "Bytes):  0x06 0x02 0x56 0x31 0x2e 0x39 0x30 0x03 0x41 ";
  EXPECT_NE(console.Transcript().find(reply), std::string::npos) << console.Transcript();
  EXPECT_TRUE(flow_.messages.empty());
  EXPECT_EQ(settings.beepVolume, '0');  // a query reads nothing back

  // An acknowledged set command: a pause, then the settings read back on the open reader.
  result = console.Send("\\x2\\x53\\x11\\x01\\x31\\x3", link_.get(), &settings, flow_);
  EXPECT_TRUE(result.succeeded);
  EXPECT_EQ(flow_.waits, Waits{MANUAL_COMMAND_SETTLE_WAIT});
  EXPECT_EQ(settings.beepVolume, '1');
  EXPECT_EQ(flow_.settingsChanged, 1);
  EXPECT_EQ(console.Count(), 2);
  EXPECT_NE(console.Transcript().find("\r\n2) Send Command:  \\x2\\x53\\x11\\x01\\x31\\x3\\x"),
            std::string::npos);

  // Texts refused before anything is sent leave the transcript alone.
  const std::string before = console.Transcript();
  for (const char* text : {"  \t", "\\x2\\x\\x3", "X2", "\\x2\\x123\\x3"}) {
    EXPECT_FALSE(console.Send(text, link_.get(), &settings, flow_).sent) << text;
  }
  EXPECT_EQ(console.Transcript(), before);
  EXPECT_EQ(flow_.Texts(), (Texts{texts::COMMAND_TEXT_EMPTY, texts::COMMAND_TEXT_INVALID_VALUE,
                                  texts::COMMAND_TEXT_REFUSED, texts::COMMAND_NOT_FRAMED,
                                  texts::COMMAND_TEXT_INVALID_VALUE,
                                  texts::COMMAND_TEXT_REFUSED}));

  // A silent reader: the failure message closes itself after a second.
  flow_.Clear();
  line_->Reader().SetSilent(true);
  EXPECT_FALSE(console.Send("\\x2\\x53\\x11\\x01\\x32\\x3", link_.get(), &settings, flow_).succeeded);
  ASSERT_EQ(flow_.messages.size(), 1u);
  EXPECT_EQ(flow_.messages[0].text, texts::COMMAND_FAILED);
  EXPECT_EQ(flow_.messages[0].lifetime, MANUAL_COMMAND_MESSAGE_LIFETIME);
  console.Clear();
  EXPECT_EQ(console.Transcript(), "");
  EXPECT_EQ(console.Count(), 0);
}

// A reader that never answers, freezes (takes every frame, answers nothing) or refuses: the
// failure is told with what happened, and once it is back its next reply is its own.
TEST_F(ReaderFlowsTest, FaultsOfTheReaderAreToldAndLeaveNothingBehind) {
  enum Fault { NONE, SILENT, FROZEN, REFUSES };
  enum Work { READ, SEND, SEND_BROKEN_RULE, COMMAND };
  using Line = sim::SimulatedLineKind;
  const struct { Line line; Fault fault; Work work; const char* text; const char* cause; } cases[] = {
      {Line::Rs232, SILENT, READ, texts::READ_FAILED, "did not answer"},
      {Line::UsbHid, FROZEN, READ, texts::READ_FAILED, "did not answer"},
      {Line::Rs232, SILENT, SEND, texts::WRITE_FAILED, "is not known"},
      {Line::UsbHid, FROZEN, SEND, texts::WRITE_FAILED, "is not known"},
      {Line::UsbHid, NONE, SEND_BROKEN_RULE, texts::WRITE_FAILED, "min 30 is above max 5"},
      {Line::Rs232, REFUSES, COMMAND, texts::COMMAND_UNKNOWN, "refused"},
      {Line::UsbHid, REFUSES, COMMAND, texts::COMMAND_UNKNOWN, "refused"},
      {Line::UsbHid, FROZEN, COMMAND, texts::COMMAND_FAILED, "did not answer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.cause);
    // A system without pseudo-terminals (Windows) has no simulated serial line.
    if (c.line == Line::Rs232 && !sim::SimulatedLine(c.line).Start()) continue;
    StartReader(c.line, "V1.90");
    line_->Reader().SetSilent(c.fault == SILENT);
    line_->Reader().SetRejectUnknown(c.fault == REFUSES);
    if (c.fault == FROZEN) line_->SimulatedHid()->SetIdleOnly(true);
    ReaderSettings settings, held;
    settings.beepVolume = '1';
    if (c.work == SEND_BROKEN_RULE) settings.lengthLimits[1] = LengthLimitRecord(2, 30, 5);
    ManualCommandConsole console;
    if (c.work == READ) {
      EXPECT_FALSE(ReadOrTell(*link_, settings, nullptr, flow_));
    } else if (c.work != COMMAND) {
      EXPECT_EQ(SendSettings(link_.get(), settings, SendPlan{.held = &held}, flow_).outcomeUnknown,
                c.work == SEND);
    } else {
      EXPECT_FALSE(console.Send("\\x2\\x52\\x7E\\x3", link_.get(), nullptr, flow_).succeeded);
      EXPECT_EQ(console.Transcript().find("no reply") != std::string::npos, c.fault != REFUSES);
    }
    ASSERT_EQ(flow_.Texts(), Texts{c.text});
    EXPECT_NE(flow_.messages[0].cause.find(c.cause), std::string::npos) << flow_.messages[0].cause;
    // Back again: a frozen reader took the frame meanwhile; its late reply is not taken.
    line_->Reader().SetSilent(false);
    if (c.fault == FROZEN) line_->SimulatedHid()->SetIdleOnly(false);
    EXPECT_TRUE(ReadOrTell(*link_, held, nullptr, flow_));
    EXPECT_EQ(held.beepVolume, c.work == SEND && c.fault == FROZEN ? '1' : ReaderSettings().beepVolume);
  }
}

TEST_F(ReaderFlowsTest, TheBootLoaderIsEnteredOnlyWithThePasswordAndAYes) {
  for (const char* wrong : {"", "verdanth 5291", "Verdanth 5291 ", "Verdanth5291"}) {
    EXPECT_FALSE(IsBootLoaderPassword(wrong)) << wrong;
  }
  EXPECT_TRUE(IsBootLoaderPassword("Verdanth 5291"));

  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  flow_.answer = false;
  EXPECT_EQ(EnterBootLoader(link_.get(), flow_), BootLoaderOutcome::Declined);
  EXPECT_EQ(line_->Reader().CommandCount(), 0u);
  EXPECT_EQ(flow_.questions.size(), 1u);
  flow_.answer = true;
  EXPECT_EQ(EnterBootLoader(link_.get(), flow_), BootLoaderOutcome::Entered);
  EXPECT_TRUE(line_->Reader().InBootLoader());
  EXPECT_EQ(EnterBootLoader(nullptr, flow_), BootLoaderOutcome::OpenFailed);
  EXPECT_EQ(flow_.Texts(), (Texts{texts::BOOT_LOADER_OK, texts::DEVICE_OPEN_FAILED}));
}

}  // namespace
}  // namespace tessaron
