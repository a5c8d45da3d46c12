// The keyboard-line transport against the simulated keyboard controller.

#include "transport/keyboard_port.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/command_frame.h"
#include "transport/port_error_text.h"
#include "transport/reader_environment.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "core/settings_transactions.h"
#include "sim/simulated_keyboard_controller.h"
#include "kbc/ioperm_port_io.h"
#include "transport/kbc_client.h"
#include "support/settings_streams.h"
#include "support/transport_fakes.h"

namespace tessaron {
namespace {

using sim::SimulatedKeyboardController;
using Clock = std::chrono::steady_clock;

const ByteString READ_SETTINGS = {0x02, 0x52, 0x1F, 0x03, 0x4C};
const ByteString GET_VERSION = {0x02, 0x52, 0x22, 0x03, 0x71};
const ByteString SET_DEFAULTS = {0x02, 0x53, 0x18, 0x03, 0x4A};

ByteString WithLrc(ByteString bytes) {
  bytes.push_back(ComputeLrc(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  return bytes;
}

// A framed reply: STX, one field 1F 02 AA BB, ETX, LRC.
const ByteString FIELD_REPLY = WithLrc({0x02, 0x1F, 0x02, 0xAA, 0xBB, 0x03});

using test_support::FastTiming;

// Long limits, for tests that show that an exchange ends well before them.
TransportTiming PatientTiming() {
  TransportTiming timing = FastTiming();
  timing.keyboard.setAckWait = Millis(1500);
  timing.keyboard.replyLimit = Millis(1500);
  return timing;
}
constexpr Millis WELL_BEFORE_THE_LIMIT{750};

struct Outcome {
  bool ok = false;
  ByteString reply;
  Clock::duration elapsed{};
};

class KeyboardPortTest : public ::testing::Test {
 protected:
  void SetUp() override { StopControllerAccess(); }
  void TearDown() override { StopControllerAccess(); }

  std::unique_ptr<KeyboardPort> OpenPort(const TransportTiming& timing = FastTiming()) {
    auto port = std::make_unique<KeyboardPort>(timing, keyboard);
    EXPECT_TRUE(port->Open(0));
    return port;
  }

  static Outcome Run(KeyboardPort& port, const ByteString& command, std::uint32_t capacity = 1024) {
    Outcome outcome;
    ByteString buffer(capacity, 0);
    const Clock::time_point start = Clock::now();
    const PortReply answer = port.Transact(command, buffer);
    outcome.elapsed = Clock::now() - start;
    outcome.ok = answer.ok;
    outcome.reply.assign(answer.bytes.begin(), answer.bytes.end());
    return outcome;
  }

  std::shared_ptr<SimulatedKeyboardController> controller =
      std::make_shared<SimulatedKeyboardController>();
  std::shared_ptr<KeyboardController> keyboard = std::make_shared<PortIoController>(controller);
};

// --- opening, closing and the controller command byte ---

TEST_F(KeyboardPortTest, OpenSeizesTheKeyboardAndCloseHandsItBack) {
  KeyboardPort port(FastTiming(), keyboard);
  EXPECT_FALSE(port.IsOpen());
  ASSERT_TRUE(port.Open(7));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(controller->CommandBytes(), std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED});
  port.Close();
  EXPECT_EQ(controller->CommandBytes(),
            (std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED, KBC_COMMAND_BYTE_RELEASED}));
  // The port is closed after Close, as every port, and opens again.
  EXPECT_FALSE(port.IsOpen());
  ASSERT_TRUE(port.OpenPath("/dev/whatever"));
  EXPECT_EQ(controller->CommandByte(), KBC_COMMAND_BYTE_SEIZED);
  // Nothing of the command-byte change reached the reader.
  EXPECT_TRUE(controller->HostBytes().empty());

  std::string name;
  EXPECT_EQ(port.GetPortName(name), "PS/2 Keyboard port");
  EXPECT_EQ(name, "PS/2 Keyboard port");
  EXPECT_EQ(port.GetInterfaceType(), InterfaceType::Ps2Keyboard);
}

TEST_F(KeyboardPortTest, CommandByteChangeEmptiesTheDataPort) {
  auto port = OpenPort();
  // Bytes after the end of a reply stay in the controller until the keyboard is handed back.
  ByteString reply = FIELD_REPLY;
  reply.insert(reply.end(), {0x55, 0x55, 0x55});
  controller->ScriptReply(reply);
  ASSERT_TRUE(Run(*port, READ_SETTINGS).ok);
  ASSERT_EQ(controller->PendingOutput(), 3u);
  port->Close();
  EXPECT_EQ(controller->PendingOutput(), 0u);
  // So the next exchange is not confused by them.
  ASSERT_TRUE(port->Open(0));
  controller->ScriptReply(FIELD_REPLY);
  EXPECT_EQ(Run(*port, READ_SETTINGS).reply, FIELD_REPLY);
}

TEST_F(KeyboardPortTest, CommandByteIsWrittenEvenWhenTheControllerStaysBusy) {
  controller->SetInputBusyReads(1'000'000'000);
  const Clock::time_point start = Clock::now();
  auto port = OpenPort();
  EXPECT_GE(Clock::now() - start, Millis(20));  // the wait after the controller command ran out
  EXPECT_EQ(controller->CommandBytes(), std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED});
}

TEST_F(KeyboardPortTest, DestroyingANeverOpenedPortHandsTheKeyboardBack) {
  OpenPort();  // starts the controller access; the port is destroyed at once
  ASSERT_EQ(controller->CommandBytes(),
            (std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED, KBC_COMMAND_BYTE_RELEASED}));
  { KeyboardPort neverOpened(FastTiming(), keyboard); }
  EXPECT_EQ(controller->CommandBytes(),
            (std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED, KBC_COMMAND_BYTE_RELEASED,
                               KBC_COMMAND_BYTE_RELEASED}));
}

TEST_F(KeyboardPortTest, WithoutPortAccessNothingIsWrittenAndNothingIsStarted) {
  { KeyboardPort neverOpened(FastTiming(), keyboard); }
  EXPECT_EQ(controller->StartCount(), 0);
  EXPECT_EQ(controller->WriteCount(), 0u);
  EXPECT_EQ(controller->ReadCount(), 0u);
  EXPECT_FALSE(IsControllerAccessStarted());

  KeyboardPort port(FastTiming(), keyboard);
  EXPECT_FALSE(Run(port, SET_DEFAULTS, 16).ok);
  EXPECT_EQ(controller->WriteCount(), 0u);
}

TEST_F(KeyboardPortTest, RefusedPermissionIsReturnedAndTheNextOpenTriesAgain) {
  controller->SetStartRefused(true);
  KeyboardPort port(FastTiming(), keyboard);
  EXPECT_FALSE(port.Open(0));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(IsControllerAccessStarted());
  // Why: the capability the keyboard controller needs (the session tells it).
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NoPortAccess);
  const std::string cause = PortErrorCause(port.LastError(), InterfaceType::Ps2Keyboard);
  EXPECT_NE(cause.find("CAP_SYS_RAWIO"), std::string::npos) << cause;
  EXPECT_EQ(controller->WriteCount(), 0u);

  controller->SetStartRefused(false);
  EXPECT_TRUE(port.Open(0));
  EXPECT_FALSE(port.LastError().Failed());
  EXPECT_TRUE(IsControllerAccessStarted());
  EXPECT_EQ(controller->CommandBytes(), std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED});

  // An environment without port access: refused the same way, and nothing is started.
  StopControllerAccess();
  KeyboardPort none(FastTiming());
  EXPECT_FALSE(none.Open(0));
  EXPECT_EQ(none.LastError().kind, PortErrorKind::NoPortAccess);
  EXPECT_FALSE(IsControllerAccessStarted());
}

TEST_F(KeyboardPortTest, AccessIsStartedOncePerProcessAndStoppedAtShutdown) {
  auto first = OpenPort();
  auto second = OpenPort();
  first->Close();
  second->Close();
  EXPECT_EQ(controller->StartCount(), 1);
  EXPECT_TRUE(controller->IsStarted());

  StopControllerAccess();
  EXPECT_FALSE(controller->IsStarted());
  EXPECT_FALSE(IsControllerAccessStarted());
  // After shutdown the port has no access: handing back writes nothing.
  controller->ResetCounts();
  first.reset();
  EXPECT_EQ(controller->WriteCount(), 0u);
}

TEST_F(KeyboardPortTest, AnotherPortAccessReplacesTheStartedOneAtItsOpen) {
  OpenPort();
  auto other = std::make_shared<SimulatedKeyboardController>();
  { KeyboardPort port(FastTiming(), std::make_shared<PortIoController>(other)); EXPECT_TRUE(port.Open(0)); }
  EXPECT_FALSE(controller->IsStarted());
  EXPECT_EQ(other->CommandBytes(),
            (std::vector<Byte>{KBC_COMMAND_BYTE_SEIZED, KBC_COMMAND_BYTE_RELEASED}));
}

// --- sending: the per-byte handshake ---

TEST_F(KeyboardPortTest, ElevenResendsAreHonouredAndTheTwelfthFails) {
  auto port = OpenPort();
  controller->ForceAnswers(KEYBOARD_RESEND, 11);
  Outcome sent = Run(*port, SET_DEFAULTS);
  EXPECT_TRUE(sent.ok);
  EXPECT_EQ(sent.reply, ByteString{KEYBOARD_ACK});
  EXPECT_EQ(controller->HostBytes(), SET_DEFAULTS);  // the first byte went through once

  // The counter starts again for each byte: eleven resends of the first byte and eleven of
  // the second still get the frame through.
  controller->ForceAnswers(KEYBOARD_RESEND, 11);
  controller->ForceAnswers(KEYBOARD_RESEND, 11, 1);
  EXPECT_TRUE(Run(*port, SET_DEFAULTS).ok);

  controller->ForceAnswers(KEYBOARD_RESEND, 12);
  Outcome failed = Run(*port, SET_DEFAULTS);
  EXPECT_FALSE(failed.ok);
  EXPECT_TRUE(failed.reply.empty());
  EXPECT_EQ(controller->Frames().size(), 2u);
}

TEST_F(KeyboardPortTest, SendingFailsWithNothingReceived) {
  auto port = OpenPort(PatientTiming());

  controller->ForceAnswers(0x00, 1);  // neither acknowledgement nor resend
  Outcome wrongAnswer = Run(*port, READ_SETTINGS);
  EXPECT_FALSE(wrongAnswer.ok);
  EXPECT_TRUE(wrongAnswer.reply.empty());
  EXPECT_TRUE(controller->HostBytes().empty());

  controller->SetLineDead(true);
  Outcome noAnswer = Run(*port, READ_SETTINGS);
  EXPECT_FALSE(noAnswer.ok);
  EXPECT_TRUE(noAnswer.reply.empty());
  // Given up after one byte wait, not after the reply limit.
  EXPECT_LT(noAnswer.elapsed, WELL_BEFORE_THE_LIMIT);
}

TEST_F(KeyboardPortTest, BusyControllerIsWaitedFor) {
  auto port = OpenPort();
  controller->SetInputBusyReads(3);
  Outcome outcome = Run(*port, SET_DEFAULTS);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(controller->HostBytes(), SET_DEFAULTS);
}

TEST_F(KeyboardPortTest, MouseBytesAreThrownAway) {
  for (bool outputFullFlag : {true, false}) {
    SCOPED_TRACE(outputFullFlag ? "mouse byte flagged output full" : "mouse byte with bit 5 alone");
    auto port = OpenPort();
    controller->SetMouseInterleave(true, outputFullFlag);
    controller->ScriptReply(FIELD_REPLY);
    Outcome outcome = Run(*port, READ_SETTINGS);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.reply, FIELD_REPLY);
    controller->ScriptReply({KEYBOARD_ACK});
    EXPECT_TRUE(Run(*port, SET_DEFAULTS).ok);
    controller->SetMouseInterleave(false);
    port->Close();
  }
}

// --- set-type commands ---

TEST_F(KeyboardPortTest, SetCommandAcknowledgedAfterItsPause) {
  TransportTiming timing = FastTiming();
  timing.keyboard.setAckPausePerByte = Millis(3);
  auto port = OpenPort(timing);
  const ByteString tenBytes = WithLrc({0x02, 0x53, 0x10, 0x04, 0x30, 0x31, 0x32, 0x33, 0x03});
  ASSERT_EQ(tenBytes.size(), 10u);
  controller->ScriptReply({KEYBOARD_ACK});
  Outcome outcome = Run(*port, tenBytes);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, ByteString{KEYBOARD_ACK});
  EXPECT_GE(outcome.elapsed, Millis(30));
}

TEST_F(KeyboardPortTest, EverySetTypeCodeTakesASingleAcknowledgement) {
  auto port = OpenPort();
  for (Byte code : {0x53, 0x50, 0x51, 0x4D}) {
    SCOPED_TRACE(code);
    controller->ScriptReply({KEYBOARD_ACK});
    Outcome outcome = Run(*port, WithLrc({0x02, code, 0x18, 0x03}));
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.reply, ByteString{KEYBOARD_ACK});
  }
  // A query is not set-type: a lone 0xFA is no complete framed reply.
  controller->ScriptReply({KEYBOARD_ACK});
  Outcome query = Run(*port, WithLrc({0x02, 0x52, 0x18, 0x03}));
  EXPECT_FALSE(query.ok);
  EXPECT_EQ(query.reply, ByteString{KEYBOARD_ACK});
}

TEST_F(KeyboardPortTest, SetCommandRefusedWithAFramedReply) {
  auto port = OpenPort();
  ByteString refused = {REPLY_UNKNOWN};
  refused.insert(refused.end(), FIELD_REPLY.begin(), FIELD_REPLY.end());
  refused.push_back(0x99);  // not part of the reply
  controller->ScriptReply(refused);
  Outcome outcome = Run(*port, SET_DEFAULTS);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, ByteString(refused.begin(), refused.end() - 1));
  EXPECT_EQ(controller->PendingOutput(), 1u);
}

TEST_F(KeyboardPortTest, SetCommandWithAnotherAnswerGivesThatOneByte) {
  auto port = OpenPort();
  controller->ScriptReply({0x15, 0x02, 0x03});
  Outcome outcome = Run(*port, SET_DEFAULTS);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reply, ByteString{0x15});
  // The reader answered: no failure of the line.
  EXPECT_FALSE(port->LastError().Failed());
}

TEST_F(KeyboardPortTest, SetCommandWithoutAnswerFailsAfterTheAcknowledgementWait) {
  auto port = OpenPort();
  controller->SetNoReply(true);
  Outcome outcome = Run(*port, SET_DEFAULTS);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.reply.empty());
  EXPECT_GE(outcome.elapsed, FastTiming().keyboard.setAckWait);
}

// --- framed replies and their end ---

TEST_F(KeyboardPortTest, FramedReplyEndsWithTheLrc) {
  auto port = OpenPort(PatientTiming());
  ByteString reply = FIELD_REPLY;
  reply.push_back(0x99);
  controller->ScriptReply(reply);
  Outcome outcome = Run(*port, READ_SETTINGS);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, FIELD_REPLY);
  EXPECT_EQ(controller->PendingOutput(), 1u);
  EXPECT_LT(outcome.elapsed, WELL_BEFORE_THE_LIMIT);
}

TEST_F(KeyboardPortTest, EtxInsideACountedFieldDoesNotEndTheReply) {
  auto port = OpenPort();
  // Field 10 with the two data bytes 03 03, then field 11 with length 3 (an ETX value).
  const ByteString reply = WithLrc({0x02, 0x10, 0x02, 0x03, 0x03, 0x11, 0x03, 0x03, 0x02, 0x03, 0x03});
  controller->ScriptReply(reply);
  Outcome outcome = Run(*port, READ_SETTINGS);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, reply);
}

TEST_F(KeyboardPortTest, FieldWithLengthZeroIsFollowedByTheNextField) {
  auto port = OpenPort();
  const ByteString reply = WithLrc({0x02, 0xD2, 0x00, 0x10, 0x01, 0x30, 0x03});
  controller->ScriptReply(reply);
  Outcome outcome = Run(*port, READ_SETTINGS);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.reply, reply);
}

TEST_F(KeyboardPortTest, VersionReplyIsPlainTextWithoutLengths) {
  auto port = OpenPort();
  // "V1.90": read as fields, 'V' would be an identifier and '1' (49) a length.
  const ByteString version = WithLrc({0x02, 'V', '1', '.', '9', '0', 0x03});

  controller->ScriptReply(version);
  Outcome asVersion = Run(*port, GET_VERSION);
  EXPECT_TRUE(asVersion.ok);
  EXPECT_EQ(asVersion.reply, version);

  controller->ScriptReply(version);
  Outcome asFields = Run(*port, READ_SETTINGS);
  EXPECT_FALSE(asFields.ok);
  EXPECT_EQ(asFields.reply, version);

  // The field reply ends the same way under the version rule.
  controller->ScriptReply(FIELD_REPLY);
  Outcome fieldsAsVersion = Run(*port, GET_VERSION);
  EXPECT_TRUE(fieldsAsVersion.ok);
  EXPECT_EQ(fieldsAsVersion.reply, FIELD_REPLY);
}

TEST_F(KeyboardPortTest, ReplyIsNeverStoredBeyondTheCapacity) {
  auto port = OpenPort();
  ByteString tail = FIELD_REPLY;
  tail.push_back(0x99);
  controller->ScriptReply(tail);

  const Outcome cut = Run(*port, READ_SETTINGS, 4);
  EXPECT_TRUE(cut.ok);
  EXPECT_EQ(cut.reply, ByteString(FIELD_REPLY.begin(), FIELD_REPLY.begin() + 4));
  // The whole reply was still taken from the line, up to its end.
  EXPECT_EQ(controller->PendingOutput(), 1u);

  // A set-type acknowledgement into no room at all (reopening flushes the byte left over).
  port->Close();
  ASSERT_TRUE(port->Open(0));
  controller->ScriptReply({KEYBOARD_ACK});
  const Outcome roomless = Run(*port, SET_DEFAULTS, 0);
  EXPECT_TRUE(roomless.ok);
  EXPECT_TRUE(roomless.reply.empty());
}

TEST_F(KeyboardPortTest, NoReplyToAReadCommandFailsAfterTheReplyLimit) {
  auto port = OpenPort();
  controller->SetNoReply(true);
  Outcome outcome = Run(*port, READ_SETTINGS);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.reply.empty());
  EXPECT_GE(outcome.elapsed, FastTiming().keyboard.replyLimit);
  EXPECT_LT(outcome.elapsed, WELL_BEFORE_THE_LIMIT);  // and soon after it
  EXPECT_EQ(port->LastError().kind, PortErrorKind::NoReply);
}

TEST_F(KeyboardPortTest, IncompleteReplyFailsWithTheBytesThatCame) {
  auto port = OpenPort();
  controller->ScriptReply({0x02, 0x1F, 0x05, 0xAA});
  Outcome outcome = Run(*port, READ_SETTINGS);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reply, (ByteString{0x02, 0x1F, 0x05, 0xAA}));
  EXPECT_EQ(port->LastError().kind, PortErrorKind::TransferFailed);
}

TEST_F(KeyboardPortTest, ShortOrMissingArgumentsAreSafe) {
  auto port = OpenPort();
  // A one-byte command has no command code; nothing may be read beyond it.
  EXPECT_FALSE(Run(*port, {0x53}, 16).ok);
  EXPECT_FALSE(Run(*port, {}, 16).ok);
}

// --- whole flows against the simulated reader ---

TEST_F(KeyboardPortTest, ReadWriteDefaultsAndVersionThroughTheReader) {
  auto port = OpenPort();

  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, port.get()));
  EXPECT_EQ(settings.interfaceType, InterfaceType::Ps2Keyboard);
  ByteString encoded;
  ASSERT_TRUE(test_support::EncodeStream(settings, &encoded));
  EXPECT_EQ(encoded, controller->Reader().SettingsStream());

  settings.beepVolume = '0';
  settings.preamble = {0x03, 0x41};  // an ETX value inside a counted field
  ASSERT_EQ(WriteToReader(settings, port.get()), WriteOk);
  ReaderSettings readBack;
  ASSERT_TRUE(ReadFromReader(readBack, port.get()));
  EXPECT_EQ(readBack.beepVolume, '0');
  EXPECT_EQ(readBack.preamble, settings.preamble);

  ASSERT_TRUE(RestoreFactorySettings(port.get()));
  ReaderSettings restored;
  ASSERT_TRUE(ReadFromReader(restored, port.get()));
  EXPECT_EQ(restored.preamble, ByteString{});
  EXPECT_EQ(restored.beepVolume, ReaderSettings().beepVolume);

  std::string version;
  ASSERT_TRUE(port->GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
  port->Close();

  // The version is cached: no traffic, even with the port closed.
  controller->ResetCounts();
  version.clear();
  EXPECT_TRUE(port->GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
  EXPECT_EQ(controller->WriteCount(), 0u);
}

TEST_F(KeyboardPortTest, SilentReaderGivesNoVersion) {
  auto port = OpenPort();
  controller->SetNoReply(true);
  std::string version = "stale";
  EXPECT_FALSE(port->GetFirmwareVersion(version));
  EXPECT_TRUE(version.empty());
}

// The real back-end must never touch a port it was not granted: such an inb or outb would
// kill the process. None of these calls asks the kernel for anything.
TEST(IopermPortIoTest, WithoutStartNothingIsAccessed) {
  IopermPortIo io;
  EXPECT_EQ(io.ReadPort(KBC_STATUS_PORT), 0xFF);
  EXPECT_EQ(io.ReadPort(KBC_DATA_PORT), 0xFF);
  io.WritePort(KBC_DATA_PORT, KBC_COMMAND_BYTE_RELEASED);
  io.Stop();
  EXPECT_EQ(io.ReadPort(0x80), 0xFF);
}

TEST(IopermPortIoTest, OnlyTheSystemEnvironmentBringsTheRealBackEnd) {
  // A root test run never reaches the controller: only a real environment built on purpose
  // holds the helper on the real ports (not started here).
  EXPECT_EQ(ReaderEnvironment().keyboardController, nullptr);
  EXPECT_NE(dynamic_cast<HelperKeyboardController*>(
                ReaderEnvironment::System().keyboardController.get()),
            nullptr);
}

TEST(KeyboardTimingTest, DefaultsAreTheRealValues) {
  const KeyboardTiming timing = TransportTiming::Real().keyboard;
  EXPECT_EQ(timing.byteWait, Millis(20));
  EXPECT_EQ(timing.ackedBytePause, Millis(1));
  EXPECT_EQ(timing.setAckPausePerByte, Millis(3));
  EXPECT_EQ(timing.setAckWait, Millis(2000));
  EXPECT_EQ(timing.replyLimit, Millis(3500));
  EXPECT_EQ(timing.replyByteWait, Millis(5));
  EXPECT_EQ(timing.afterTransaction, Millis(100));
}

}  // namespace
}  // namespace tessaron
