// The reader workflows on simulated readers, with the pauses between steps recorded
// instead of waited for.

#include "cli/reader_flows.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/online_session.h"
#include "cli_test_support.h"
#include "core/command_frame.h"
#include "core/command_text.h"
#include "core/settings_codec.h"
#include "sim/simulated_line.h"

namespace tessaron {
namespace {

using std::chrono::milliseconds;

class ReaderFlowsTest : public ::testing::Test {
 protected:
  // Starts a simulated reader of that line, the only device discovery sees.
  sim::SimulatedLine& StartReader(sim::SimulatedLineKind kind, const std::string& firmware) {
    sim::SimulatedReaderConfig config;
    config.firmware = firmware;
    line_ = std::make_unique<sim::SimulatedLine>(kind, config);
    EXPECT_TRUE(line_->Start());
    ReaderConnection connection;
    connection.type = line_->Interface();
    connection.index = 0;
    link_ = ReaderLink::Create(connection, ScaleTiming(TransportTiming::Real(), 0.05));
    return *line_;
  }

  void TearDown() override {
    link_.reset();
    line_.reset();
  }

  ByteString StoredStream() { return line_->Reader().SettingsStream(); }

  std::vector<milliseconds> pauses_;
  std::ostringstream progress_;
  FlowContext flow_{[this](milliseconds length) { pauses_.push_back(length); }, progress_};
  testing::NoMachineDevices noDevices_;
  std::unique_ptr<sim::SimulatedLine> line_;
  std::unique_ptr<ReaderLink> link_;
};

TEST_F(ReaderFlowsTest, ReadingOverTheKeyboardLineRestsBeforeTheVersionQuery) {
  StartReader(sim::SimulatedLineKind::Ps2, "V1.93");
  ReaderSettings settings;
  std::string firmware;
  EXPECT_EQ(ReadReaderSettings(*link_, settings, &firmware, flow_), ReadOutcome::Ok);
  EXPECT_EQ(firmware, "V1.93");
  EXPECT_EQ(settings.interfaceType, INTERFACE_PS2_KEYBOARD);
  EXPECT_EQ(pauses_, std::vector<milliseconds>{KEYBOARD_VERSION_WAIT});
  EXPECT_EQ(progress_.str(),
            "Reading settings from PS/2 Keyboard port ...\n"
            "Reading the firmware version from PS/2 Keyboard port ...\n");
}

TEST_F(ReaderFlowsTest, ReadingOverUsbNeedsNoRest) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderSettings settings;
  settings.baudRate = '9';
  std::string firmware = "old";
  EXPECT_EQ(ReadReaderSettings(*link_, settings, &firmware, flow_), ReadOutcome::Ok);
  EXPECT_EQ(firmware, "V1.90");
  EXPECT_EQ(settings.baudRate, ReaderSettings().baudRate);
  EXPECT_TRUE(pauses_.empty());

  // Without a firmware text to fill only the settings are read.
  EXPECT_EQ(ReadReaderSettings(*link_, settings, nullptr, flow_), ReadOutcome::Ok);
  EXPECT_EQ(line_->Reader().CommandCount(), 3u);
}

TEST_F(ReaderFlowsTest, SendingToAKeyboardClassReaderAsksForItsFirmwareFirst) {
  for (const char* firmware : {"V1.88", "V1.89", "no number"}) {
    SCOPED_TRACE(firmware);
    pauses_.clear();
    StartReader(sim::SimulatedLineKind::UsbHidKb, firmware);
    ReaderSettings settings;
    settings.hidFormat = '8';
    settings.baudRate = '3';
    const SendOutcome sent = SendSettings(*link_, settings, flow_);
    EXPECT_EQ(sent.result, WriteOk);
    EXPECT_FALSE(sent.interfaceSwitch);
    const bool keyboardFormat = std::string(firmware) == "V1.89";
    EXPECT_EQ(line_->Reader().HidFormat(), keyboardFormat ? '8' : '0');
    EXPECT_EQ(settings.hidFormat, keyboardFormat ? '8' : '0');
    EXPECT_EQ(pauses_, (std::vector<milliseconds>{VERSION_QUERY_WAIT, VERSION_QUERY_WAIT}));
    // Version query, then one settings frame.
    EXPECT_EQ(line_->Reader().CommandCount(), 2u);
    link_.reset();
  }
}

TEST_F(ReaderFlowsTest, SendingToOtherReadersWritesTheRecordAsItIs) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.00");
  ReaderSettings settings;
  settings.baudRate = '3';
  settings.SelectHidFormat('1');
  const SendOutcome sent = SendSettings(*link_, settings, flow_);
  EXPECT_EQ(sent.result, WriteOk);
  EXPECT_TRUE(sent.interfaceSwitch);
  EXPECT_FALSE(settings.IsInterfaceSwitchPending());
  EXPECT_TRUE(pauses_.empty());
  EXPECT_EQ(line_->Reader().CommandCount(), 1u);
  ReaderSettings stored;
  const ByteString stream = StoredStream();
  ASSERT_TRUE(DecodeSettings(stream.data(), static_cast<std::uint32_t>(stream.size()), &stored));
  EXPECT_EQ(stored.baudRate, '3');
  EXPECT_EQ(stored.hidFormat, '1');
}

TEST_F(ReaderFlowsTest, DefaultsWaitAfterTheAcknowledgementAndReadBack) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderSettings changed;
  changed.beepVolume = '2';
  Byte buffer[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t length = sizeof buffer;
  ASSERT_TRUE(EncodeSettings(changed, buffer, &length));
  ASSERT_TRUE(line_->Reader().SetSettingsStream(ByteString(buffer, buffer + length)));

  ReaderSettings settings = changed;
  EXPECT_TRUE(RestoreDefaults(*link_, settings, flow_));
  EXPECT_EQ(pauses_, std::vector<milliseconds>{DEFAULTS_READ_BACK_WAIT});
  EXPECT_EQ(settings.beepVolume, ReaderSettings().beepVolume);
  EXPECT_EQ(StoredStream(), sim::SimulatedReader::DefaultSettingsStream());

  // A reader that does not acknowledge is not read back and not waited for.
  pauses_.clear();
  line_->Reader().SetSilent(true);
  EXPECT_FALSE(RestoreDefaults(*link_, settings, flow_));
  EXPECT_TRUE(pauses_.empty());
}

TEST_F(ReaderFlowsTest, CloneSwitchesKeyboardClassTargetsOnNewFirmwareOnly) {
  for (const char* firmware : {"V1.89", "V1.88"}) {
    SCOPED_TRACE(firmware);
    pauses_.clear();
    StartReader(sim::SimulatedLineKind::UsbHidKb, firmware);
    ReaderSettings source;
    source.hidFormat = '1';
    source.trackSelect = '2';
    EXPECT_EQ(CloneSettings(source, *link_, flow_), CloneOutcome::Ok);
    const bool keyboardFormat = std::string(firmware) == "V1.89";
    EXPECT_EQ(line_->Reader().HidFormat(), keyboardFormat ? '8' : '1');
    EXPECT_EQ(pauses_, std::vector<milliseconds>{VERSION_QUERY_WAIT});
    link_.reset();
  }
}

TEST_F(ReaderFlowsTest, CloneTellsRejectionFromFailure) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  ReaderSettings source;
  line_->Reader().SetSilent(true);
  EXPECT_EQ(CloneSettings(source, *link_, flow_), CloneOutcome::Failed);

  ReaderConnection missing;
  missing.type = INTERFACE_USB_HID;
  missing.index = 4;
  auto nowhere = ReaderLink::Create(missing, TransportTiming::Real());
  EXPECT_EQ(CloneSettings(source, *nowhere, flow_), CloneOutcome::TargetOpenFailed);

  ReaderSettings tooLong;
  tooLong.preamble.assign(300, 'x');
  line_->Reader().SetSilent(false);
  EXPECT_EQ(CloneSettings(tooLong, *link_, flow_), CloneOutcome::Failed);
}

TEST_F(ReaderFlowsTest, ACommandFrameBringsBackTheRawReply) {
  StartReader(sim::SimulatedLineKind::UsbHid, "V1.90");
  const CommandOutcome version =
      SendCommandFrame(*link_, ByteString{0x02, 0x52, 0x22, 0x03, 0x71}, flow_);
  EXPECT_TRUE(version.opened);
  EXPECT_TRUE(version.succeeded);
  ASSERT_GE(version.reply.size(), 9u);
  EXPECT_EQ(ByteString(version.reply.begin(), version.reply.begin() + 9),
            (ByteString{0x06, 0x02, 'V', '1', '.', '9', '0', 0x03, 0x41}));

  // Nothing goes out for a frame the console could not have built.
  EXPECT_FALSE(SendCommandFrame(*link_, ByteString{}, flow_).opened);
  EXPECT_FALSE(SendCommandFrame(*link_, ByteString(MANUAL_COMMAND_FRAME_MAX + 1, 0x02), flow_).opened);
  EXPECT_EQ(line_->Reader().CommandCount(), 1u);
}

}  // namespace
}  // namespace tessaron
