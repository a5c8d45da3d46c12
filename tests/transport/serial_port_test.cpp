// The serial transport end to end: a SerialPort on one side of a pseudo-terminal, the
// simulated reader on the other.

#include "transport/serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/command_frame.h"
#include "transport/reader_environment.h"
#include "core/settings_codec.h"
#include "core/settings_transactions.h"
#include "sim/pty_server.h"
#include "sim/simulated_reader.h"
#include "transport/discovery.h"
#include "transport/reader_port_factory.h"
#include "support/settings_streams.h"
#include "support/transport_fakes.h"

namespace tessaron {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using test_support::FastTiming;

ByteString Frame(Byte funcId, const ByteString& data = {}) {
  Byte buffer[COMMAND_BUFFER_SIZE + 255] = {};
  std::uint32_t length = sizeof buffer;
  EXPECT_TRUE(BuildCommandFrame(funcId, static_cast<Byte>(data.size()), data.data(), buffer,
                                &length));
  return ByteString(buffer, buffer + length);
}

struct Exchange {
  bool ok = false;
  ByteString reply;
  milliseconds elapsed{0};
};

Exchange Transaction(SerialPort& port, const ByteString& command, std::uint32_t capacity = 256) {
  std::vector<Byte> buffer(capacity, 0xEE);
  const auto start = Clock::now();
  const PortReply answer = port.Transact(command, buffer);
  Exchange result;
  result.elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  result.ok = answer.ok;
  result.reply.assign(answer.bytes.begin(), answer.bytes.end());
  // Nothing past the reply may be touched.
  for (std::size_t i = result.reply.size(); i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
  return result;
}

// A simulated reader served on a pseudo-terminal.
class SerialLine : public ::testing::Test {
 protected:
  void Serve(sim::SimulatedReaderConfig config = {}, sim::PtyServerOptions options = {}) {
    reader_ = std::make_unique<sim::SimulatedReader>(config);
    server_ = std::make_unique<sim::PtyServer>(*reader_, options);
    ASSERT_TRUE(server_->Start());
    path_ = server_->Path();
    ASSERT_FALSE(path_.empty());
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }

  std::unique_ptr<sim::SimulatedReader> reader_;
  std::unique_ptr<sim::PtyServer> server_;
  std::string path_;
};

// --- settings flows -------------------------------------------------------------------

TEST_F(SerialLine, ReadsWritesAndRestoresTheReadersSettings) {
  Serve();
  SerialPort port(InterfaceType::UsbRs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));

  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, &port));
  EXPECT_EQ(settings.interfaceType, InterfaceType::UsbRs232);
  ByteString encoded;
  ASSERT_TRUE(test_support::EncodeStream(settings, &encoded));
  EXPECT_EQ(encoded, reader_->SettingsStream());

  settings.beepVolume = '0';
  settings.preamble = {0x1B, 'X'};
  settings.formulas[0] = {0x22, 0x41};
  ASSERT_EQ(WriteToReader(settings, &port), WriteOk);
  ASSERT_TRUE(test_support::EncodeStream(settings, &encoded));
  EXPECT_EQ(reader_->SettingsStream(), encoded);

  ReaderSettings readBack;
  ASSERT_TRUE(ReadFromReader(readBack, &port));
  EXPECT_EQ(readBack.beepVolume, '0');
  EXPECT_EQ(readBack.preamble, settings.preamble);

  ASSERT_TRUE(RestoreFactorySettings(&port));
  ASSERT_TRUE(ReadFromReader(readBack, &port));
  EXPECT_EQ(readBack.beepVolume, ReaderSettings().beepVolume);
  EXPECT_TRUE(readBack.preamble.empty());
  port.Close();
}

TEST_F(SerialLine, CarriesAFrameOfTheFullFourHundredBytes) {
  Serve();
  SerialPort port(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));
  ReaderSettings settings;
  settings.preamble.assign(MAX_SETTINGS_FRAME - DEFAULT_STREAM_LENGTH - 3, 'p');
  settings.postamble.assign(3, 'q');
  ASSERT_EQ(SettingsFrameLength(settings), MAX_SETTINGS_FRAME);
  ASSERT_EQ(WriteToReader(settings, &port), WriteOk);
  EXPECT_EQ(reader_->SettingsStream().size(), MAX_SETTINGS_FRAME);
}

TEST_F(SerialLine, SendsAManualFrameAndReportsRejection) {
  sim::SimulatedReaderConfig config;
  config.rejectUnknown = true;
  Serve(config);
  SerialPort port(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));

  const Exchange boot = Transaction(port, Frame(CMD_ENTER_BOOT_LOADER, {0xFF}));
  EXPECT_TRUE(boot.ok);
  EXPECT_EQ(boot.reply, ByteString{REPLY_ACK});
  EXPECT_TRUE(reader_->InBootLoader());

  const Exchange refused = Transaction(port, Frame(0x5A, {0x01, 0x02}));
  EXPECT_FALSE(refused.ok);
  ASSERT_FALSE(refused.reply.empty());
  EXPECT_EQ(refused.reply[0], REPLY_UNKNOWN);
}

// --- firmware version and opening by index --------------------------------------------

TEST_F(SerialLine, VersionIsAskedOnceReopeningByTheStoredIndex) {
  Serve();
  SerialPort port(InterfaceType::Rs232, FastTiming(),
                  std::make_shared<test_support::TestListing>(std::vector<ListedDevice>{
                      test_support::MotherboardPort("/dev/null"), test_support::MotherboardPort(path_)}));

  EXPECT_FALSE(port.Open(2));  // past the last present port
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.Open(0));  // present, but no terminal
  ASSERT_TRUE(port.Open(1));
  std::string name;
  EXPECT_EQ(port.GetPortName(name), path_);
  EXPECT_EQ(name, path_);
  port.Close();
  EXPECT_EQ(port.GetPortName(name), "");

  // Closed: the version query opens the port by its index and closes it again.
  std::string version;
  ASSERT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
  EXPECT_FALSE(port.IsOpen());
  const std::size_t commands = reader_->CommandCount();

  reader_->SetFirmware("V2.00");
  std::string again;
  EXPECT_TRUE(port.GetFirmwareVersion(again));
  EXPECT_EQ(again, "V1.90");
  EXPECT_EQ(reader_->CommandCount(), commands);
}

TEST_F(SerialLine, VersionQueryThatIsNotAcknowledgedGivesNothing) {
  sim::PtyServerOptions options;
  options.useFixedReply = true;
  options.fixedReply = {STX, 'V', '1', '.', '9', ETX, 0x00};  // text but no ACK
  Serve({}, options);
  SerialPort port(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));
  std::string version;
  EXPECT_FALSE(port.GetFirmwareVersion(version));
  EXPECT_TRUE(version.empty());
  EXPECT_TRUE(port.IsOpen());  // as it was found
}

// --- end of a reply ---------------------------------------------------------------------

TEST_F(SerialLine, ASilentReaderGivesNoReplyAfterPauseAndOneByteWait) {
  sim::SimulatedReaderConfig config;
  config.silent = true;
  Serve(config);
  SerialPort port(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));
  const Exchange exchange = Transaction(port, Frame(CMD_READ_SETTINGS));
  EXPECT_FALSE(exchange.ok);
  EXPECT_TRUE(exchange.reply.empty());
  EXPECT_GE(exchange.elapsed, FastTiming().serial.replyPause + FastTiming().serial.perByteWait);
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NoReply);
}

TEST_F(SerialLine, BytesSlowerThanThePerByteWaitEndTheReply) {
  const ByteString fixed = {REPLY_ACK, 0x41, 0x42, 0x43};
  const TransportTiming timing = FastTiming(milliseconds(200));
  {
    sim::PtyServerOptions options;
    options.useFixedReply = true;
    options.fixedReply = fixed;
    options.byteGap = milliseconds(140);
    Serve({}, options);
    SerialPort port(InterfaceType::Rs232, timing);
    ASSERT_TRUE(port.OpenPath(path_));
    const Exchange exchange = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
    EXPECT_TRUE(exchange.ok);
    EXPECT_EQ(exchange.reply, fixed);
    // Three gaps (the first byte waits during the pause), then the closing silence.
    EXPECT_GE(exchange.elapsed, milliseconds(3 * 140 + 200 - 10));
    server_->Stop();
  }
  {
    sim::PtyServerOptions options;
    options.useFixedReply = true;
    options.fixedReply = fixed;
    options.byteGap = milliseconds(260);
    Serve({}, options);
    SerialPort port(InterfaceType::Rs232, timing);
    ASSERT_TRUE(port.OpenPath(path_));
    const Exchange exchange = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
    EXPECT_TRUE(exchange.ok);
    EXPECT_EQ(exchange.reply, ByteString{REPLY_ACK});
  }
}

TEST_F(SerialLine, AFullBufferEndsTheReplyAndTheRestIsFlushedOnTheNextOpen) {
  sim::PtyServerOptions options;
  options.useFixedReply = true;
  options.fixedReply = {REPLY_ACK, 0x41, 0x42};
  Serve({}, options);
  SerialPort port(InterfaceType::Rs232, FastTiming(milliseconds(2000)));
  ASSERT_TRUE(port.OpenPath(path_));
  const Exchange single = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION), 1);
  EXPECT_TRUE(single.ok);
  EXPECT_EQ(single.reply, ByteString{REPLY_ACK});
  EXPECT_LT(single.elapsed, milliseconds(1500));  // no waiting for silence

  // The two bytes left behind are thrown away when the line is opened next.
  port.Close();
  SerialPort next(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(next.OpenPath(path_));
  const Exchange whole = Transaction(next, Frame(CMD_GET_FIRMWARE_VERSION));
  EXPECT_EQ(whole.reply, options.fixedReply);

  // The first byte decides, even when it is all that fits.
  options.fixedReply = {REPLY_UNKNOWN, REPLY_ACK, REPLY_ACK};
  server_->SetOptions(options);
  const Exchange refused = Transaction(next, Frame(CMD_GET_FIRMWARE_VERSION), 1);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.reply, ByteString{REPLY_UNKNOWN});
}

TEST_F(SerialLine, AReaderThatDisappearsMidReplyEndsItWithWhatCame) {
  sim::PtyServerOptions options;
  options.hangUpAfter = 3;
  Serve({}, options);
  SerialPort port(InterfaceType::Rs232, FastTiming(milliseconds(3000)));
  ASSERT_TRUE(port.OpenPath(path_));
  const Exchange exchange = Transaction(port, Frame(CMD_READ_SETTINGS), SETTINGS_BUFFER_SIZE);
  EXPECT_TRUE(exchange.ok);
  EXPECT_EQ(exchange.reply, (ByteString{REPLY_ACK, STX, DIR_SET}));
  EXPECT_LT(exchange.elapsed, milliseconds(2000));  // the hang-up, not silence, ended it
  port.Close();

  const Exchange after = Transaction(port, Frame(CMD_READ_SETTINGS));
  EXPECT_FALSE(after.ok);
  EXPECT_TRUE(after.reply.empty());
}

TEST_F(SerialLine, TransactionsOnOnePortDoNotInterleave) {
  Serve();
  SerialPort port(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(port.OpenPath(path_));
  Exchange first;
  Exchange second;
  const auto start = Clock::now();
  std::thread other([&] { first = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION)); });
  second = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
  other.join();
  const auto elapsed = Clock::now() - start;
  EXPECT_TRUE(first.ok);
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(first.reply, second.reply);
  EXPECT_GE(elapsed, 2 * (FastTiming().serial.replyPause + FastTiming().serial.perByteWait));
}

// --- opening, exclusivity and the line settings ---------------------------------------

TEST_F(SerialLine, ASecondOpenOfTheSamePortFailsUntilTheFirstCloses) {
  Serve();
  SerialPort first(InterfaceType::Rs232, FastTiming());
  SerialPort second(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(first.OpenPath(path_));
  EXPECT_FALSE(second.OpenPath(path_));
  EXPECT_FALSE(second.IsOpen());
  std::string name;
  EXPECT_EQ(second.GetPortName(name), "");
  first.Close();
  EXPECT_TRUE(second.OpenPath(path_));
  // Reopening the same object is fine: the old handle is given back first.
  EXPECT_TRUE(second.OpenPath(path_));
  EXPECT_TRUE(Transaction(second, Frame(CMD_GET_FIRMWARE_VERSION)).ok);
}

// A bare pseudo-terminal pair without any reader behind it.
class BareTerminal {
 public:
  BareTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
      path_ = ::ptsname(master_);
      slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    }
  }
  ~BareTerminal() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  const std::string& Path() const { return path_; }
  struct termios Settings() const {
    struct termios settings {};
    EXPECT_EQ(::tcgetattr(slave_, &settings), 0);
    return settings;
  }
  void Apply(const struct termios& settings) { ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &settings), 0); }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

TEST(SerialPortLine, RunsRaw9600EightNOneAndGivesTheOldSettingsBack) {
  BareTerminal terminal;
  ASSERT_FALSE(terminal.Path().empty());
  struct termios before = terminal.Settings();
  before.c_lflag |= ICANON | ECHO | ISIG;
  before.c_iflag |= IXON | ICRNL;
  before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
  before.c_cc[VMIN] = 5;
  cfsetispeed(&before, B38400);
  cfsetospeed(&before, B38400);
  terminal.Apply(before);
  before = terminal.Settings();

  SerialPort port(InterfaceType::Rs232);
  ASSERT_TRUE(port.OpenPath(terminal.Path()));
  const struct termios line = terminal.Settings();
  EXPECT_EQ(cfgetispeed(&line), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);

  port.Close();
  const struct termios after = terminal.Settings();
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_cc[VMIN], 5);
  EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B38400));
}

TEST(SerialPortLine, AWriteTheLineCannotTakeInTimeFailsWithoutAPause) {
  BareTerminal terminal;  // nobody reads the other side: the line's buffer fills up
  TransportTiming timing = FastTiming();
  timing.serial.replyPause = milliseconds(2000);
  SerialPort port(InterfaceType::Rs232, timing);
  ASSERT_TRUE(port.OpenPath(terminal.Path()));
  const ByteString flood(64 * 1024, 0x55);
  const Exchange exchange = Transaction(port, flood);
  EXPECT_FALSE(exchange.ok);
  EXPECT_TRUE(exchange.reply.empty());
  EXPECT_GE(exchange.elapsed, milliseconds(50));
  EXPECT_LT(exchange.elapsed, milliseconds(1000));
}

TEST(SerialPortLine, RefusesPathsThatAreNoTerminal) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("serial_port_test_" + std::to_string(::getpid()));
  std::ofstream(file) << "not a port";
  SerialPort port(InterfaceType::Rs232);
  const std::pair<std::string, PortErrorKind> cases[] = {
      {std::string(), PortErrorKind::NotPresent},
      {"/dev/null", PortErrorKind::NotAReader},
      {file.string(), PortErrorKind::NotAReader},
      {"/dev/no-such-port", PortErrorKind::NotPresent},
  };
  for (const auto& [path, kind] : cases) {
    EXPECT_FALSE(port.OpenPath(path)) << path;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LastError().kind, kind) << path;
  }
  EXPECT_EQ(port.LastError().device, "/dev/no-such-port");
  EXPECT_EQ(port.LastError().osError, ENOENT);
  std::filesystem::remove(file);

  // A closed port sends nothing and reports nothing.
  const Exchange closed = Transaction(port, Frame(CMD_READ_SETTINGS), 8);
  EXPECT_FALSE(closed.ok);
  EXPECT_TRUE(closed.reply.empty());
  EXPECT_LT(closed.elapsed, milliseconds(500));
}

TEST(SerialPortLine, InterfaceTypeIsOneOrFour) {
  for (int number : {0, 1, 2, 3, 5, 6, -1}) {
    EXPECT_EQ(SerialPort(static_cast<InterfaceType>(number)).GetInterfaceType(),
              InterfaceType::Rs232)
        << number;
  }
  SerialPort usb(InterfaceType::UsbRs232);
  EXPECT_EQ(usb.GetInterfaceType(), InterfaceType::UsbRs232);
  EXPECT_FALSE(usb.IsOpen());
}

TEST(SerialPortTiming, RealValuesAreTheReadersOwn) {
  const TransportTiming timing = TransportTiming::Real();
  EXPECT_EQ(timing.serial.writeWait, milliseconds(500));
  EXPECT_EQ(timing.serial.replyPause, milliseconds(1500));
  EXPECT_EQ(timing.serial.perByteWait, milliseconds(1000));
  EXPECT_FALSE(timing.fastReplies);
}

TEST_F(SerialLine, ARealTransactionTakesPauseAndSilence) {
  Serve();
  SerialPort port(InterfaceType::Rs232);
  ASSERT_TRUE(port.OpenPath(path_));
  const Exchange exchange = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
  EXPECT_TRUE(exchange.ok);
  EXPECT_GE(exchange.elapsed, milliseconds(2500));
  EXPECT_LT(exchange.elapsed, milliseconds(3500));
}

// --- fast mode ----------------------------------------------------------------------------

TransportTiming FastMode(milliseconds pause, milliseconds perByteWait) {
  TransportTiming timing = FastTiming(perByteWait);
  timing.serial.replyPause = pause;
  timing.fastReplies = true;
  return timing;
}

TEST_F(SerialLine, FastModeEndsOnAWholeReplyWithinTheNormalLimits) {
  // A reader that answers at once: neither the pause nor the closing silence is waited for.
  Serve();
  {
    SerialPort port(InterfaceType::Rs232, FastMode(milliseconds(1000), milliseconds(1000)));
    ASSERT_TRUE(port.OpenPath(path_));
    ReaderSettings settings;
    const auto start = Clock::now();
    ASSERT_TRUE(ReadFromReader(settings, &port));
    EXPECT_EQ(WriteToReader(settings, &port), WriteOk);
    EXPECT_LT(Clock::now() - start, milliseconds(500));
  }
  server_->Stop();

  // A reply that dribbles in, its last byte late: whole once that byte is in, without the
  // silence after it (the normal mode takes 150 + 4 x 75 + 100 ms).
  const ByteString version = {REPLY_ACK, STX, 'A', ETX, static_cast<Byte>(STX ^ 'A' ^ ETX)};
  sim::PtyServerOptions options;
  options.useFixedReply = true;
  options.fixedReply = version;
  options.byteGap = milliseconds(75);
  Serve({}, options);
  SerialPort port(InterfaceType::Rs232, FastMode(milliseconds(150), milliseconds(100)));
  ASSERT_TRUE(port.OpenPath(path_));
  Exchange exchange = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
  EXPECT_TRUE(exchange.ok);
  EXPECT_EQ(exchange.reply, version);
  EXPECT_GE(exchange.elapsed, milliseconds(4 * 75 - 10));
  EXPECT_LT(exchange.elapsed, milliseconds(150 + 4 * 75 + 100));

  // A silent reader still fails, after the pause and the silence of the normal mode.
  options.fixedReply.clear();
  server_->SetOptions(options);
  exchange = Transaction(port, Frame(CMD_GET_FIRMWARE_VERSION));
  EXPECT_FALSE(exchange.ok);
  EXPECT_TRUE(exchange.reply.empty());
  EXPECT_GE(exchange.elapsed, milliseconds(150 + 100 - 10));
  EXPECT_EQ(port.LastError().kind, PortErrorKind::NoReply);
}

TEST_F(SerialLine, FastModeFlushesLateBytesBeforeTheNextCommand) {
  sim::PtyServerOptions options;
  options.useFixedReply = true;
  options.fixedReply = {REPLY_ACK, 0x55};  // a stray byte after the acknowledgement
  Serve({}, options);
  SerialPort port(InterfaceType::Rs232, FastMode(milliseconds(100), milliseconds(100)));
  ASSERT_TRUE(port.OpenPath(path_));
  for (int command = 0; command < 2; ++command) {
    const Exchange exchange = Transaction(port, Frame(CMD_SET_DEFAULTS));
    EXPECT_TRUE(exchange.ok) << command;
    EXPECT_EQ(exchange.reply, ByteString{REPLY_ACK}) << command;
    std::this_thread::sleep_for(milliseconds(30));  // the stray byte arrives meanwhile
  }
}

// --- the factory ------------------------------------------------------------------------

TEST(CreateReaderPort, MakesThePortOfEachInterface) {
  const ReaderEnvironment readers;
  for (InterfaceType line : LINES) {
    const std::unique_ptr<ReaderPort> port = CreateReaderPort(line, readers);
    ASSERT_NE(port, nullptr) << line;
    EXPECT_EQ(port->GetInterfaceType(), line);
  }
  EXPECT_NE(dynamic_cast<SerialPort*>(CreateReaderPort(InterfaceType::UsbRs232, readers).get()),
            nullptr);
  for (int number : {0, 6, -1}) {
    EXPECT_EQ(CreateReaderPort(static_cast<InterfaceType>(number), readers), nullptr) << number;
  }
}

}  // namespace
}  // namespace tessaron
