// Why a port failed: what each line keeps in its PortError, the line that explains it to the
// user, the process named when a serial port is busy, and the keyboard handed back when a
// signal ends the program.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "transport/reader_environment.h"
#include "sim/pty_server.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_keyboard_controller.h"
#include "sim/simulated_reader.h"
#include "transport/keyboard_port.h"
#include "transport/port_error_text.h"
#include "transport/port_failure.h"
#include "transport/reader_port_factory.h"
#include "transport/serial_port.h"
#include "support/transport_fakes.h"

namespace tessaron {
namespace {

using sim::SimulatedKeyboardController;
using test_support::FastTiming;
using Kind = PortErrorKind;

// Restore factory settings: a set command that every line acknowledges.
const ByteString SET_DEFAULTS = {0x02, 0x53, 0x18, 0x03, 0x4A};

bool Exchange(ReaderPort& port, const ByteString& command) {
  Byte reply[64] = {};
  return port.Transact(command, reply).ok;
}

// --- the three ports keep why they failed ---------------------------------------------

struct LineCase {
  const char* name;
  InterfaceType type;
  PortErrorKind whenGone;     // after the reader went away in the middle of the work
  PortErrorKind whenMissing;  // opening where no reader can be reached
};
void PrintTo(const LineCase& line, std::ostream* out) { *out << line.name; }

// One simulated reader on the line of the case, found by discovery at index 0.
class EveryLine : public ::testing::TestWithParam<LineCase> {
 protected:
  void SetUp() override {
    sim::SimulatedReaderConfig config;
    config.interfaceType = GetParam().type;
    reader_ = std::make_shared<sim::SimulatedReader>(config);
    ReaderEnvironment readers = test_support::ReadersOn(std::make_shared<test_support::TestListing>());
    switch (GetParam().type) {
      case InterfaceType::Rs232:
        server_ = std::make_unique<sim::PtyServer>(*reader_);
        ASSERT_TRUE(server_->Start());
        readers.devices = std::make_shared<test_support::TestListing>(
            std::vector<ListedDevice>{test_support::MotherboardPort(server_->Path())});
        break;
      case InterfaceType::UsbHid:
        hid_ = std::make_shared<sim::SimulatedHidDevice>(*reader_);
        readers.hidDevices = hid_->Factory();
        readers.devices = std::make_shared<test_support::TestListing>(
            std::vector<ListedDevice>{}, std::vector<ListedDevice>{hid_->Listing()});
        break;
      default:
        StopControllerAccess();
        controller_ = std::make_shared<SimulatedKeyboardController>(reader_);
        readers.keyboardController = std::make_shared<PortIoController>(controller_);
        break;
    }
    port_ = CreateReaderPort(GetParam().type, readers);
  }

  void TearDown() override {
    port_.reset();
    if (server_) server_->Stop();
    if (controller_) StopControllerAccess();
  }

  void TakeReaderAway() {
    if (server_) server_->Stop();
    if (hid_) hid_->SetAnswering(false);
    if (controller_) controller_->SetLineDead(true);
  }

  // A serial node that does not exist, a HID index past the last device, a keyboard
  // controller whose ports are refused.
  bool OpenMissing() {
    if (server_) return port_->OpenPath("/dev/tessaron-no-such-port");
    if (hid_) return port_->Open(1);
    controller_->SetStartRefused(true);
    const bool opened = port_->Open(0);
    controller_->SetStartRefused(false);
    return opened;
  }

  std::shared_ptr<sim::SimulatedReader> reader_;
  std::unique_ptr<sim::PtyServer> server_;
  std::shared_ptr<sim::SimulatedHidDevice> hid_;
  std::shared_ptr<SimulatedKeyboardController> controller_;
  std::unique_ptr<ReaderPort> port_;
};

TEST_P(EveryLine, KeepsWhyTheLastOpenOrExchangeFailed) {
  const LineCase& line = GetParam();
  ASSERT_NE(port_, nullptr);

  EXPECT_FALSE(OpenMissing());
  EXPECT_EQ(port_->LastError().kind, line.whenMissing);
  EXPECT_FALSE(PortErrorCause(port_->LastError(), line.type).empty());

  ASSERT_TRUE(port_->Open(0)) << PortErrorCause(port_->LastError(), line.type);
  EXPECT_FALSE(port_->LastError().Failed());
  EXPECT_TRUE(Exchange(*port_, SET_DEFAULTS));
  EXPECT_FALSE(port_->LastError().Failed());

  TakeReaderAway();
  EXPECT_FALSE(Exchange(*port_, SET_DEFAULTS));
  EXPECT_EQ(port_->LastError().kind, line.whenGone)
      << PortErrorCause(port_->LastError(), line.type);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EveryLine,
    ::testing::Values(
        LineCase{"Serial", InterfaceType::Rs232, Kind::TransferFailed, Kind::NotPresent},
        LineCase{"Hid", InterfaceType::UsbHid, Kind::TransferFailed, Kind::NotPresent},
        LineCase{"Keyboard", InterfaceType::Ps2Keyboard, Kind::NoReply, Kind::NoPortAccess}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// --- the cause line --------------------------------------------------------------------

PortError Held(long pid, const std::string& name) {
  PortError error = PortFailure(Kind::Busy, "/dev/ttyUSB0", EWOULDBLOCK);
  error.holderPid = pid;
  error.holderName = name;
  return error;
}

TEST(PortErrorCause, NamesTheCauseAndTheRemedyInOneLine) {
  struct Case {
    PortError error;
    InterfaceType line;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const std::string ACCESS = std::strerror(EACCES);
  const std::vector<Case> cases = {
      {PortFailure(Kind::AccessDenied, "/dev/ttyUSB0", EACCES), InterfaceType::UsbRs232,
       {ACCESS, "/dev/ttyUSB0", "group dialout", "sudo adduser $USER dialout", "log in again"},
       {"udev"}},
      {OpenFailure(EPERM, "/dev/ttyUSB0"), InterfaceType::UsbRs232,
       {std::strerror(EPERM), "group dialout"}, {}},  // "operation not permitted" too
      {OpenFailure(EBUSY, "/dev/hidraw3"), InterfaceType::UsbHid, {"in use by another program"}, {}},
      {PortFailure(Kind::AccessDenied, "/dev/hidraw3", EACCES), InterfaceType::UsbHid,
       {ACCESS, "/dev/hidraw3", "packaging/70-tessaron-readers.rules", "/etc/udev/rules.d/",
        "udevadm control --reload", "plug the reader in again"},
       {"dialout"}},
      {Held(1234, "minicom"), InterfaceType::Rs232,
       {"/dev/ttyUSB0 is in use by process 1234 (minicom)", "close that program"}, {}},
      {Held(0, ""), InterfaceType::Rs232, {"/dev/ttyUSB0", "in use by another program"}, {"process"}},
      {PortFailure(Kind::NotPresent, "/dev/ttyUSB0", ENOENT), InterfaceType::Rs232,
       {"not present", "/dev/ttyUSB0", std::strerror(ENOENT), "check the cable"}, {}},
      {PortFailure(Kind::NotPresent, "", 0, "no HID device at position 2"), InterfaceType::UsbHid,
       {"not present", "no HID device at position 2", "check the cable"}, {}},
      {PortFailure(Kind::NotAReader, "/dev/null", ENOTTY, "a character device that is no tty"),
       InterfaceType::Rs232,
       {"/dev/null", "no RS232 reader", "found a character device that is no tty"},
       {}},
      {PortFailure(Kind::NotAReader, "/dev/hidraw0", 0, "USB device 046d:c52b"),
       InterfaceType::UsbHidKb, {"/dev/hidraw0", "no USB-HID-KB reader", "found USB device 046d:c52b"},
       {}},
      {PortFailure(Kind::NoPortAccess, "", EPERM), InterfaceType::Ps2Keyboard,
       {std::strerror(EPERM), "CAP_SYS_RAWIO", "root", "sudo setcap cap_sys_rawio+ep", "lockdown"},
       {}},
      {PortFailure(Kind::NoPortAccess, "/usr/libexec/tessaron/tessaron-kbc", EPERM),
       InterfaceType::Ps2Keyboard, {"sudo setcap cap_sys_rawio+ep /usr/libexec/tessaron/tessaron-kbc)"},
       {}},
      {PortFailure(Kind::NoPortAccess, "/usr/libexec/tessaron/tessaron-kbc", EPERM,
                   KERNEL_LOCKED_DOWN),
       InterfaceType::Ps2Keyboard, {"kernel lockdown", "even to root"}, {"setcap"}},
      {PortFailure(Kind::NoPortAccess, "/usr/libexec/tessaron/tessaron-kbc", EACCES, KBC_GROUP_ONLY),
       InterfaceType::Ps2Keyboard,
       {"group tessaron", ACCESS, "sudo usermod -aG tessaron $USER", "log in again"}, {"setcap"}},
      {PortFailure(Kind::NoReply, "/dev/ttyS0", 0), InterfaceType::Rs232,
       {"did not answer", "/dev/ttyS0", "powered", "connected to this port"}, {}},
      {PortFailure(Kind::NoReply, "", 0), InterfaceType::Ps2Keyboard,
       {"did not answer", "PS/2 keyboard line", "powered", "between the keyboard and the computer"},
       {}},
      {PortFailure(Kind::TransferFailed, "/dev/hidraw1", EIO, "no feature report could be read"),
       InterfaceType::UsbHid, {"/dev/hidraw1", std::strerror(EIO), "unplugged"}, {}},
      {PortFailure(Kind::Other, "/dev/ttyS1", EBADF), InterfaceType::Rs232,
       {"/dev/ttyS1", std::strerror(EBADF)}, {}},
  };
  for (const Case& c : cases) {
    const std::string text = PortErrorCause(c.error, c.line);
    SCOPED_TRACE(text);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    for (const std::string& part : c.present) EXPECT_NE(text.find(part), std::string::npos) << part;
    for (const std::string& part : c.absent) EXPECT_EQ(text.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(PortErrorCause(PortError{}, InterfaceType::Rs232), "");
}

// --- a busy serial port names its holder ------------------------------------------------

TEST(SerialPortBusy, NamesTheProcessThatHoldsThePort) {
  sim::SimulatedReader reader;
  sim::PtyServer server(reader);
  ASSERT_TRUE(server.Start());
  SerialPort holder(InterfaceType::Rs232, FastTiming());
  SerialPort second(InterfaceType::Rs232, FastTiming());
  ASSERT_TRUE(holder.OpenPath(server.Path()));

  EXPECT_FALSE(second.OpenPath(server.Path()));
  const PortError& error = second.LastError();
  EXPECT_EQ(error.kind, Kind::Busy);
  EXPECT_EQ(error.device, server.Path());
  EXPECT_EQ(error.holderPid, static_cast<long>(::getpid()));
  std::string ownName;
  std::getline(std::ifstream("/proc/self/comm"), ownName);
  EXPECT_EQ(error.holderName, ownName);
  EXPECT_NE(PortErrorCause(error, InterfaceType::Rs232)
                .find("in use by process " + std::to_string(::getpid()) + " (" + ownName + ")"),
            std::string::npos);

  holder.Close();
  EXPECT_TRUE(second.OpenPath(server.Path()));
  EXPECT_FALSE(second.LastError().Failed());
  server.Stop();
}

// --- the keyboard is handed back when a signal ends the program --------------------------

// The simulated controller, telling on stderr every controller command byte written and
// the end of the port access: a program that dies leaves nothing else to look at.
class TellingController final : public PortIo {
 public:
  bool Start() override { return inner_.Start(); }
  void Stop() override {
    std::fprintf(stderr, "port access stopped\n");
    inner_.Stop();
  }
  std::uint8_t ReadPort(std::uint16_t port) override { return inner_.ReadPort(port); }
  void WritePort(std::uint16_t port, std::uint8_t value) override {
    if (port == KBC_DATA_PORT && commandByteNext_) {
      std::fprintf(stderr, "command byte 0x%02X\n", value);
    }
    commandByteNext_ = port == KBC_STATUS_PORT && value == KBC_WRITE_COMMAND_BYTE;
    inner_.WritePort(port, value);
  }

 private:
  SimulatedKeyboardController inner_;
  bool commandByteNext_ = false;
};

TEST(KeyboardHandBackDeathTest, ASignalThatEndsTheProgramGivesTheKeyboardBackFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signalNumber));
    EXPECT_EXIT(
        {
          // Untouched until the keyboard access starts.
          struct sigaction before {};
          ::sigaction(signalNumber, nullptr, &before);
          if (before.sa_handler != SIG_DFL) std::_Exit(3);
          KeyboardPort port(FastTiming(),
                            std::make_shared<PortIoController>(std::make_shared<TellingController>()));
          if (!port.Open(0)) std::_Exit(1);
          ::raise(signalNumber);
          std::this_thread::sleep_for(std::chrono::seconds(5));
          std::_Exit(2);  // the signal did not end the program
        },
        ::testing::KilledBySignal(signalNumber),
        "command byte 0x36\ncommand byte 0x47\nport access stopped");
  }
}

}  // namespace
}  // namespace tessaron
