// The keyboard-controller model, driven port access by port access as a host driver would.

#include "sim/simulated_keyboard_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/command_frame.h"

namespace tessaron::sim {
namespace {

const ByteString GET_VERSION = {0x02, 0x52, 0x22, 0x03, 0x71};
const ByteString SET_DEFAULTS = {0x02, 0x53, 0x18, 0x03, 0x4A};

class SimulatedKeyboardControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(controller.Start()); }

  std::uint8_t Status() { return controller.ReadPort(KBC_STATUS_PORT); }

  // Writes the bytes to the keyboard line and reads back one answer per byte.
  ByteString SendAndCollectAnswers(const ByteString& bytes) {
    ByteString answers;
    for (Byte b : bytes) {
      controller.WritePort(KBC_DATA_PORT, b);
      answers.push_back(controller.ReadPort(KBC_DATA_PORT));
    }
    return answers;
  }

  // Everything waiting for the host, in order.
  ByteString Drain() {
    ByteString out;
    while (Status() & KBC_STATUS_OUTPUT_FULL) out.push_back(controller.ReadPort(KBC_DATA_PORT));
    return out;
  }

  SimulatedKeyboardController controller;
};

TEST(SimulatedKeyboardControllerAccessTest, NothingReachesTheControllerWithoutStart) {
  SimulatedKeyboardController controller;
  controller.SetStartRefused(true);
  EXPECT_FALSE(controller.Start());
  EXPECT_EQ(controller.ReadPort(KBC_STATUS_PORT), 0xFF);
  controller.WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  controller.WritePort(KBC_DATA_PORT, 0x36);
  EXPECT_TRUE(controller.CommandBytes().empty());
  EXPECT_EQ(controller.ReadCount(), 1u);
  EXPECT_EQ(controller.WriteCount(), 2u);

  controller.SetStartRefused(false);
  EXPECT_TRUE(controller.Start());
  EXPECT_EQ(controller.StartCount(), 1);
  controller.Stop();
  EXPECT_FALSE(controller.IsStarted());
}

TEST_F(SimulatedKeyboardControllerTest, CommandByteIsRecordedAndNotSentToTheLine) {
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG);
  controller.WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  controller.WritePort(KBC_DATA_PORT, 0x36);
  controller.WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  controller.WritePort(KBC_DATA_PORT, 0x47);
  EXPECT_EQ(controller.CommandBytes(), (std::vector<Byte>{0x36, 0x47}));
  EXPECT_TRUE(controller.HostBytes().empty());
  EXPECT_EQ(controller.PendingOutput(), 0u);

  // 0x20 reads the command byte back.
  controller.WritePort(KBC_STATUS_PORT, 0x20);
  EXPECT_EQ(Drain(), ByteString{0x47});
}

TEST_F(SimulatedKeyboardControllerTest, EveryHostByteIsAcknowledged) {
  controller.WritePort(KBC_DATA_PORT, 0x42);
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG | KBC_STATUS_OUTPUT_FULL);
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), KEYBOARD_ACK);
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG);
  // An empty output buffer reads as its last byte.
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), KEYBOARD_ACK);
  EXPECT_EQ(controller.HostBytes(), ByteString{0x42});
}

TEST_F(SimulatedKeyboardControllerTest, ForcedAnswersLeaveTheByteUntaken) {
  controller.ForceAnswers(0xFE, 2);
  controller.ForceAnswers(0x00, 1, 1);
  EXPECT_EQ(SendAndCollectAnswers({0x02, 0x02, 0x02, 0x52, 0x52}),
            (ByteString{0xFE, 0xFE, KEYBOARD_ACK, 0x00, KEYBOARD_ACK}));
  EXPECT_EQ(controller.HostBytes(), (ByteString{0x02, 0x52}));
}

TEST_F(SimulatedKeyboardControllerTest, CompleteFrameIsAnsweredByTheReaderAfterItsAcknowledgements) {
  EXPECT_EQ(SendAndCollectAnswers(GET_VERSION), ByteString(5, KEYBOARD_ACK));
  ASSERT_EQ(controller.Frames().size(), 1u);
  EXPECT_EQ(controller.Frames()[0], GET_VERSION);

  const ByteString reply = Drain();
  ASSERT_GE(reply.size(), 3u);
  EXPECT_EQ(reply.front(), STX);
  EXPECT_EQ(reply[reply.size() - 2], ETX);
  EXPECT_EQ(reply.back(), ComputeLrc(reply.data(), static_cast<std::uint32_t>(reply.size() - 1)));
  EXPECT_EQ(std::string(reply.begin() + 1, reply.end() - 2), "V1.90");
}

TEST_F(SimulatedKeyboardControllerTest, NoiseBeforeAFrameIsIgnored) {
  SendAndCollectAnswers({0x55, 0x03});
  EXPECT_EQ(SendAndCollectAnswers(SET_DEFAULTS), ByteString(5, KEYBOARD_ACK));
  ASSERT_EQ(controller.Frames().size(), 1u);
  EXPECT_EQ(controller.Frames()[0], SET_DEFAULTS);
  EXPECT_EQ(Drain(), ByteString{KEYBOARD_ACK});
}

TEST_F(SimulatedKeyboardControllerTest, ScriptedAndMissingReplies) {
  controller.ScriptReply({0x16, 0x02, 0x03, 0x01});
  SendAndCollectAnswers(GET_VERSION);
  EXPECT_EQ(Drain(), (ByteString{0x16, 0x02, 0x03, 0x01}));
  // The script is used once; the reader answers the next frame.
  SendAndCollectAnswers(SET_DEFAULTS);
  EXPECT_EQ(Drain(), ByteString{KEYBOARD_ACK});

  controller.SetNoReply(true);
  EXPECT_EQ(SendAndCollectAnswers(GET_VERSION), ByteString(5, KEYBOARD_ACK));
  EXPECT_TRUE(Drain().empty());
  EXPECT_EQ(controller.Frames().size(), 3u);

  controller.SetLineDead(true);
  controller.WritePort(KBC_DATA_PORT, 0x02);
  EXPECT_EQ(Status() & KBC_STATUS_OUTPUT_FULL, 0);
  EXPECT_EQ(controller.HostBytes().size(), 15u);
}

TEST_F(SimulatedKeyboardControllerTest, MouseBytesAreFlaggedAheadOfEachLineByte) {
  controller.SetMouseInterleave(true);
  controller.WritePort(KBC_DATA_PORT, 0x42);
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG | KBC_STATUS_OUTPUT_FULL | KBC_STATUS_AUX_DATA);
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), SIMULATED_MOUSE_BYTE);
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG | KBC_STATUS_OUTPUT_FULL);
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), KEYBOARD_ACK);

  controller.SetMouseInterleave(true, false);
  controller.WritePort(KBC_DATA_PORT, 0x42);
  EXPECT_EQ(Status(), KBC_STATUS_SYSTEM_FLAG | KBC_STATUS_AUX_DATA);
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), SIMULATED_MOUSE_BYTE);
  EXPECT_EQ(controller.ReadPort(KBC_DATA_PORT), KEYBOARD_ACK);
}

TEST_F(SimulatedKeyboardControllerTest, InputBufferStaysFullForTheGivenReads) {
  controller.SetInputBusyReads(2);
  controller.WritePort(KBC_DATA_PORT, 0x42);
  EXPECT_NE(Status() & KBC_STATUS_INPUT_FULL, 0);
  EXPECT_NE(Status() & KBC_STATUS_INPUT_FULL, 0);
  EXPECT_EQ(Status() & KBC_STATUS_INPUT_FULL, 0);
}

TEST_F(SimulatedKeyboardControllerTest, UsesTheReaderItIsGiven) {
  SimulatedReaderConfig config;
  config.firmware = "V2.05";
  config.interfaceType = InterfaceType::Ps2Keyboard;
  auto reader = std::make_shared<SimulatedReader>(config);
  SimulatedKeyboardController own(reader);
  ASSERT_TRUE(own.Start());
  EXPECT_EQ(&own.Reader(), reader.get());
  for (Byte b : GET_VERSION) {
    own.WritePort(KBC_DATA_PORT, b);
    own.ReadPort(KBC_DATA_PORT);
  }
  std::string text;
  while (own.ReadPort(KBC_STATUS_PORT) & KBC_STATUS_OUTPUT_FULL) {
    text.push_back(static_cast<char>(own.ReadPort(KBC_DATA_PORT)));
  }
  EXPECT_NE(text.find("V2.05"), std::string::npos);
  EXPECT_EQ(reader->CommandCount(), 1u);
}

}  // namespace
}  // namespace tessaron::sim
