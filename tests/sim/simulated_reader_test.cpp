#include "sim/simulated_reader.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/command_frame.h"
#include "core/settings_codec.h"
#include "support/settings_stream_checks.h"
#include "transport/keyboard_port.h"

namespace tessaron::sim {
namespace {

using tessaron::test_support::CheckedStreamOf;
using tessaron::test_support::DecodeStream;

const ByteString READ_ALL{0x02, 0x52, 0x1F, 0x03, 0x4C};
const ByteString VERSION{0x02, 0x52, 0x22, 0x03, 0x71};
const ByteString DEFAULTS{0x02, 0x53, 0x18, 0x03, 0x4A};
const ByteString BOOT_LOADER{0x02, 0x53, 0x70, 0x01, 0xFF, 0x03, 0xDC};

using tessaron::test_support::WithLrc;

std::size_t FrameLength(const ByteString& bytes) {
  // An exact-size heap copy, so that a read past the count shows up under AddressSanitizer.
  std::vector<Byte> copy(bytes);
  return SimulatedReader::CompleteFrameLength(copy.empty() ? nullptr : copy.data(), copy.size());
}

ByteString Ask(SimulatedReader& reader, const ByteString& frame, ReplyStyle style) {
  return reader.HandleCommand(frame.data(), frame.size(), style);
}

// Feeds a keyboard-line reply to the recogniser the keyboard port uses; returns the number
// of bytes after which it reports the end (0: never).
std::size_t KeyboardReplyEnd(const ByteString& reply, bool versionReply) {
  KeyboardReplyRecogniser recogniser(versionReply);
  for (std::size_t i = 0; i < reply.size(); ++i) {
    if (recogniser.Feed(reply[i])) return i + 1;
  }
  return 0;
}

TEST(CompleteFrameLength, FindsTheEndOfEveryFrameForm) {
  EXPECT_EQ(FrameLength(READ_ALL), 5u);
  EXPECT_EQ(FrameLength(VERSION), 5u);
  EXPECT_EQ(FrameLength(DEFAULTS), 5u);
  EXPECT_EQ(FrameLength(BOOT_LOADER), 7u);
  EXPECT_EQ(FrameLength({0x02, 0x53, 0x35, 0x00, 0x03, 0x67}), 6u);
  const ByteString settings = SimulatedReader::DefaultSettingsStream();
  EXPECT_EQ(FrameLength(settings), settings.size());
  // A long form whose length byte is 0x03 is not mistaken for a short form.
  const ByteString threeBytes = WithLrc({0x02, 0x53, 0x34, 0x03, 0x02, 0x41, 0x42, 0x03});
  EXPECT_EQ(FrameLength(threeBytes), threeBytes.size());
  // Bytes after the frame belong to the next one.
  ByteString two = READ_ALL;
  two.insert(two.end(), VERSION.begin(), VERSION.end());
  EXPECT_EQ(FrameLength(two), 5u);
}

TEST(CompleteFrameLength, EveryProperPrefixIsIncomplete) {
  for (const ByteString& frame : {READ_ALL, BOOT_LOADER, SimulatedReader::DefaultSettingsStream()}) {
    for (std::size_t n = 0; n < frame.size(); ++n) {
      EXPECT_EQ(FrameLength(ByteString(frame.begin(), frame.begin() + n)), 0u) << n;
    }
  }
  EXPECT_EQ(SimulatedReader::CompleteFrameLength(nullptr, 5), 0u);
}

TEST(CompleteFrameLength, SkipsGarbageAndCountsWrongChecksFramesAsComplete) {
  ByteString noisy{0x00, 0xFF, 0x02, 0x41, 0x03};  // an STX without a direction letter
  noisy.insert(noisy.end(), VERSION.begin(), VERSION.end());
  EXPECT_EQ(FrameLength(noisy), noisy.size());
  EXPECT_EQ(SimulatedReader::LeadingGarbageLength(noisy.data(), noisy.size()), 5u);
  EXPECT_EQ(FrameLength({0x02, 0x52, 0x1F, 0x03, 0x00}), 5u);
  ByteString badSettings = SimulatedReader::DefaultSettingsStream();
  badSettings.back() ^= 0xFF;
  EXPECT_EQ(FrameLength(badSettings), badSettings.size());

  SimulatedReader reader;
  const ByteString reply = Ask(reader, noisy, ReplyStyle::Serial);
  ASSERT_FALSE(reply.empty());
  EXPECT_EQ(reply[0], REPLY_ACK);
  EXPECT_TRUE(Ask(reader, {0x02, 0x52, 0x22, 0x03, 0x00}, ReplyStyle::Serial).empty());
  EXPECT_EQ(reader.CommandCount(), 2u);
}

TEST(SimulatedReaderReplies, QueriesInEachStyle) {
  SimulatedReader reader({.firmware = "V1.90"});
  const ByteString stream = reader.SettingsStream();
  ASSERT_EQ(stream.size(), DEFAULT_STREAM_LENGTH);

  for (ReplyStyle style : {ReplyStyle::Serial, ReplyStyle::Hid}) {
    ByteString expected{REPLY_ACK};
    expected.insert(expected.end(), stream.begin(), stream.end());
    EXPECT_EQ(Ask(reader, READ_ALL, style), expected);
    EXPECT_EQ(Ask(reader, VERSION, style),
              (ByteString{0x06, 0x02, 'V', '1', '.', '9', '0', 0x03, 0x41}));
  }

  // Keyboard line: no lead-in, no direction letter, and the port's recogniser ends each
  // reply exactly at its LRC.
  const ByteString all = Ask(reader, READ_ALL, ReplyStyle::Keyboard);
  ASSERT_EQ(all.size(), stream.size() - 1);
  EXPECT_EQ(all[0], STX);
  EXPECT_EQ(ByteString(all.begin() + 1, all.end() - 2), ByteString(stream.begin() + 2, stream.end() - 2));
  EXPECT_EQ(all.back(), ComputeLrc(all.data(), static_cast<std::uint32_t>(all.size() - 1)));
  EXPECT_EQ(KeyboardReplyEnd(all, false), all.size());
  ReaderSettings decoded;
  EXPECT_TRUE(DecodeStream(all, &decoded));

  const ByteString version = Ask(reader, VERSION, ReplyStyle::Keyboard);
  EXPECT_EQ(version, (ByteString{0x02, 'V', '1', '.', '9', '0', 0x03, 0x41}));
  EXPECT_EQ(KeyboardReplyEnd(version, true), version.size());

  for (ReplyStyle style : {ReplyStyle::Serial, ReplyStyle::Hid, ReplyStyle::Keyboard}) {
    EXPECT_EQ(Ask(reader, WithLrc({0x02, 0x52, 0x30, 0x03}), style), ByteString{REPLY_UNKNOWN});
  }
}

TEST(SimulatedReaderReplies, SetCommandsInEachStyle) {
  SimulatedReader reader;
  EXPECT_EQ(Ask(reader, DEFAULTS, ReplyStyle::Serial), ByteString{REPLY_ACK});
  EXPECT_EQ(Ask(reader, DEFAULTS, ReplyStyle::Hid), ByteString{REPLY_ACK});
  EXPECT_EQ(Ask(reader, DEFAULTS, ReplyStyle::Keyboard), ByteString{KEYBOARD_ACK});
  const ByteString other = WithLrc({0x02, 0x53, 0x31, 0x01, 0x00, 0x03});
  EXPECT_EQ(Ask(reader, other, ReplyStyle::Serial), ByteString{REPLY_ACK});
  EXPECT_EQ(reader.SettingsStream(), SimulatedReader::DefaultSettingsStream());

  reader.SetRejectUnknown(true);
  EXPECT_EQ(Ask(reader, other, ReplyStyle::Hid), ByteString{REPLY_UNKNOWN});
  const ByteString refused = Ask(reader, other, ReplyStyle::Keyboard);
  ASSERT_GT(refused.size(), 1u);
  EXPECT_EQ(refused[0], REPLY_UNKNOWN);
  // What follows the 0x16 is a framed reply the keyboard port can find the end of.
  const ByteString framed(refused.begin() + 1, refused.end());
  EXPECT_EQ(KeyboardReplyEnd(framed, false), framed.size());
}

TEST(SimulatedReaderSettings, WriteIsStoredAndDefaultsRestoreIt) {
  SimulatedReader reader;
  ReaderSettings settings;
  settings.beepVolume = '0';
  settings.preamble = {0x0D, 0x0A};
  settings.formulas[0] = {0x22, 0x41};
  const ByteString frame = CheckedStreamOf(settings);

  EXPECT_EQ(Ask(reader, frame, ReplyStyle::Serial), ByteString{REPLY_ACK});
  EXPECT_EQ(reader.SettingsStream(), frame);
  const ByteString reply = Ask(reader, READ_ALL, ReplyStyle::Serial);
  ReaderSettings readBack;
  ASSERT_TRUE(DecodeStream(reply, &readBack));
  EXPECT_EQ(readBack.beepVolume, '0');
  EXPECT_EQ(readBack.preamble, settings.preamble);
  EXPECT_EQ(readBack.formulas[0], settings.formulas[0]);

  // A frame naming a few settings changes only those.
  EXPECT_EQ(Ask(reader, WithLrc({0x02, 0x53, 0x11, 0x01, '3', 0x03}), ReplyStyle::Serial),
            ByteString{REPLY_ACK});
  const ByteString partial = reader.SettingsStream();
  ASSERT_EQ(FrameLength(partial), partial.size());
  ASSERT_TRUE(DecodeStream(partial, &readBack));
  EXPECT_EQ(readBack.beepVolume, '3');
  EXPECT_EQ(readBack.preamble, settings.preamble);

  // A frame with a wrong LRC is neither answered nor stored.
  ByteString bad = CheckedStreamOf(ReaderSettings());
  bad.back() ^= 0x01;
  EXPECT_TRUE(Ask(reader, bad, ReplyStyle::Serial).empty());
  EXPECT_EQ(reader.SettingsStream(), partial);

  EXPECT_EQ(Ask(reader, DEFAULTS, ReplyStyle::Serial), ByteString{REPLY_ACK});
  EXPECT_EQ(reader.SettingsStream(), CheckedStreamOf(ReaderSettings()));
}

TEST(SimulatedReaderSettings, UnknownFuncIdsAreRefusedOrDropped) {
  ReaderSettings settings;
  settings.beepVolume = '4';
  ByteString frame = CheckedStreamOf(settings);
  // An unknown record 30 02 AA BB before the ETX.
  frame.erase(frame.end() - 2, frame.end());
  frame.insert(frame.end(), {0x30, 0x02, 0xAA, 0xBB, 0x03});
  frame = WithLrc(frame);

  SimulatedReader strict({.rejectUnknown = true});
  EXPECT_EQ(Ask(strict, frame, ReplyStyle::Serial), ByteString{REPLY_UNKNOWN});
  EXPECT_EQ(strict.SettingsStream(), SimulatedReader::DefaultSettingsStream());

  SimulatedReader lenient;
  EXPECT_EQ(Ask(lenient, frame, ReplyStyle::Serial), ByteString{REPLY_ACK});
  EXPECT_EQ(lenient.SettingsStream(), CheckedStreamOf(settings));
}

TEST(SimulatedReaderState, BootLoaderSilenceAndHidFormat) {
  SimulatedReader reader({.interfaceType = InterfaceType::UsbHid});
  EXPECT_EQ(Ask(reader, WithLrc({0x02, 0x53, 0x70, 0x01, 0x00, 0x03}), ReplyStyle::Hid),
            ByteString{REPLY_ACK});
  EXPECT_FALSE(reader.InBootLoader());
  EXPECT_EQ(Ask(reader, BOOT_LOADER, ReplyStyle::Keyboard), ByteString{KEYBOARD_ACK});
  EXPECT_TRUE(reader.InBootLoader());

  ReaderSettings kb;
  kb.hidFormat = '8';
  EXPECT_EQ(Ask(reader, CheckedStreamOf(kb), ReplyStyle::Hid), ByteString{REPLY_ACK});
  EXPECT_EQ(reader.HidFormat(), '8');
  EXPECT_EQ(reader.Interface(), InterfaceType::UsbHidKb);
  // The factory settings reset everything but the format the reader runs with.
  kb.beepVolume = '4';
  Ask(reader, CheckedStreamOf(kb), ReplyStyle::Hid);
  Ask(reader, DEFAULTS, ReplyStyle::Hid);
  ReaderSettings factoryKb;
  factoryKb.hidFormat = '8';
  EXPECT_EQ(reader.SettingsStream(), CheckedStreamOf(factoryKb));
  EXPECT_EQ(reader.Interface(), InterfaceType::UsbHidKb);

  reader.SetSilent(true);
  const std::size_t before = reader.CommandCount();
  EXPECT_TRUE(Ask(reader, VERSION, ReplyStyle::Serial).empty());
  EXPECT_EQ(reader.CommandCount(), before + 1);
}

TEST(SimulatedReaderState, SetSettingsStreamTakesOnlyWholeSettingsFrames) {
  SimulatedReader reader;
  ReaderSettings settings;
  settings.terminalType = '4';
  const ByteString good = CheckedStreamOf(settings);
  ASSERT_GE(good.size(), 2u);
  ByteString badLrc(good.begin(), good.end() - 1);
  badLrc.push_back(static_cast<Byte>(good[good.size() - 1] ^ 0x10));
  ByteString trailing = good;
  trailing.push_back(0x00);
  for (const ByteString& bad : {ByteString{}, READ_ALL, badLrc, trailing,
                                ByteString(good.begin(), good.end() - 1)}) {
    EXPECT_FALSE(reader.SetSettingsStream(bad));
  }
  EXPECT_EQ(reader.SettingsStream(), SimulatedReader::DefaultSettingsStream());
  EXPECT_TRUE(reader.SetSettingsStream(good));
  EXPECT_EQ(reader.SettingsStream(), good);
}

TEST(SimulatedReaderState, ConcurrentCommandsAreAllCounted) {
  SimulatedReader reader;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        Ask(reader, i % 2 ? READ_ALL : DEFAULTS, ReplyStyle::Serial);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(reader.CommandCount(), 800u);
  EXPECT_EQ(reader.SettingsStream(), SimulatedReader::DefaultSettingsStream());
}

}  // namespace
}  // namespace tessaron::sim
