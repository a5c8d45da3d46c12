// SerialLine on a Windows COM port (\\.\COMn), through the communications API with
// overlapped I/O, so that every wait has its own limit.

#include <windows.h>

#include <chrono>

#include "transport/port_failure.h"
#include "transport/serial_line.h"

namespace tessaron {

namespace {

constexpr DWORD QUEUE_SIZE = 4096;
constexpr char DEVICE_PREFIX[] = "\\\\.\\";

// Milliseconds left until deadline, rounded up; 0 when past.
DWORD MillisLeft(SteadyTime deadline) {
  const auto left = deadline - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) return 0;
  return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// The name CreateFileA takes: "COM12" (and "com3") become "\\.\COM12", which also reaches
// ports past COM9; a name that has the prefix already stays as it is.
std::string DeviceName(const std::string& path) {
  return path.rfind(DEVICE_PREFIX, 0) == 0 ? path : DEVICE_PREFIX + path;
}

// The reader's line: 9600 baud, 8 data bits, no parity, one stop bit, no flow control, DTR
// and RTS off; the rest as the driver has it.
void ApplyLineSettings(DCB& line) {
  line.BaudRate = CBR_9600;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.fBinary = 1;
  line.fParity = 1;
  line.fOutxCtsFlow = 0;
  line.fOutxDsrFlow = 0;
  line.fDtrControl = DTR_CONTROL_DISABLE;
  line.fRtsControl = RTS_CONTROL_DISABLE;
  line.fOutX = 0;
  line.fInX = 0;
  line.fAbortOnError = 0;  // a line error must not stop every later read and write
  line.XonChar = 0x11;
  line.XoffChar = 0x13;
  line.XonLim = 100;
  line.XoffLim = 100;
}

// A manual-reset event in an OVERLAPPED record, closed with it.
class Overlapped {
 public:
  Overlapped() { record_.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~Overlapped() {
    if (record_.hEvent != nullptr) ::CloseHandle(record_.hEvent);
  }
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;

  bool Valid() const { return record_.hEvent != nullptr; }
  OVERLAPPED* Get() {
    HANDLE event = record_.hEvent;
    record_ = OVERLAPPED{};
    record_.hEvent = event;
    ::ResetEvent(event);
    return &record_;
  }

 private:
  OVERLAPPED record_{};
};

class WinSerialLine : public SerialLine {
 public:
  explicit WinSerialLine(HANDLE handle) : handle_(handle) {}
  ~WinSerialLine() override { ::CloseHandle(handle_); }

  void DropInput() override { ::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR); }

  LineWait Write(const Byte* bytes, std::size_t count, SteadyTime deadline) override {
    if (count == 0) return LineWait::Done;
    if (!io_.Valid()) return Fail(::GetLastError());
    OVERLAPPED* pending = io_.Get();
    DWORD written = 0;
    if (!::WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, pending)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_IO_PENDING) return Fail(error);
      const LineWait waited = Finish(pending, deadline, &written);
      if (waited != LineWait::Done) {
        // Half a frame must not reach the reader later on.
        ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        return waited;
      }
    }
    return written == count ? LineWait::Done : Fail(ERROR_WRITE_FAULT);
  }

  LineWait ReadByte(Byte* byte, SteadyTime deadline) override {
    if (!io_.Valid()) return Fail(::GetLastError());
    // The port's own read limit ends a read with no byte; the wait goes on until deadline.
    for (;;) {
      OVERLAPPED* pending = io_.Get();
      DWORD got = 0;
      if (!::ReadFile(handle_, byte, 1, &got, pending)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return Fail(error);
        const LineWait waited = Finish(pending, deadline, &got);
        if (waited != LineWait::Done) return waited;
      }
      if (got == 1) return LineWait::Done;
      if (MillisLeft(deadline) == 0) return Fail(WAIT_TIMEOUT);
    }
  }

  int LastOsError() const override { return static_cast<int>(lastError_); }

 private:
  LineWait Fail(DWORD error) {
    lastError_ = error;
    return error == WAIT_TIMEOUT ? LineWait::TimedOut : LineWait::Failed;
  }

  // Waits for a pending transfer until deadline. One that does not end in time is cancelled;
  // a byte that came all the same counts.
  LineWait Finish(OVERLAPPED* pending, SteadyTime deadline, DWORD* transferred) {
    const DWORD waited = ::WaitForSingleObject(pending->hEvent, MillisLeft(deadline));
    if (waited == WAIT_OBJECT_0) {
      if (::GetOverlappedResult(handle_, pending, transferred, FALSE)) return LineWait::Done;
      return Fail(::GetLastError());
    }
    const DWORD why = waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : ::GetLastError();
    ::CancelIo(handle_);
    // The transfer has to settle before its record and buffer may go.
    if (::GetOverlappedResult(handle_, pending, transferred, TRUE) && *transferred > 0) {
      return LineWait::Done;
    }
    return Fail(why);
  }

  const HANDLE handle_;
  Overlapped io_;
  DWORD lastError_ = 0;
};

}  // namespace

bool IsSerialPortName(const std::string& text) {
  const std::string name = text.rfind(DEVICE_PREFIX, 0) == 0 ? text.substr(4) : text;
  if (name.size() < 4 || name.size() > 6) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    if ((name[i] & ~0x20) != "COM"[i]) return false;
  }
  return name.find_first_not_of("0123456789", 3) == std::string::npos;
}

// Windows gives a process's ports back when the process ends.
void ReleaseSerialLinesAtOnce() noexcept {}

std::unique_ptr<SerialLine> OpenSerialLine(const std::string& path, PortError* failure) {
  // No sharing: the port is this program's alone while it is open.
  const HANDLE handle = ::CreateFileA(DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *failure = OpenFailure(static_cast<int>(::GetLastError()), path);
    return nullptr;
  }
  ::SetupComm(handle, QUEUE_SIZE, QUEUE_SIZE);
  ::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  ::SetCommMask(handle, EV_RXCHAR);
  DWORD errors = 0;
  ::ClearCommError(handle, &errors, nullptr);

  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 10;
  timeouts.ReadTotalTimeoutConstant = 1000;
  timeouts.WriteTotalTimeoutMultiplier = 10;
  timeouts.WriteTotalTimeoutConstant = 5000;
  ::SetCommTimeouts(handle, &timeouts);

  DCB line{};
  line.DCBlength = sizeof line;
  if (!::GetCommState(handle, &line)) {
    // A device that keeps no line state is no serial port.
    *failure = PortFailure(PortErrorKind::NotAReader, path, static_cast<int>(::GetLastError()),
                           "no serial port");
    ::CloseHandle(handle);
    return nullptr;
  }
  ApplyLineSettings(line);
  if (!::SetCommState(handle, &line)) {
    *failure = PortFailure(PortErrorKind::Other, path, static_cast<int>(::GetLastError()),
                           "the line settings were refused");
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<WinSerialLine>(handle);
}

}  // namespace tessaron
