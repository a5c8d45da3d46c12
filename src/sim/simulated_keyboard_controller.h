#pragma once
// A model of the PC's keyboard controller with a simulated reader on its keyboard line.
// It serves the status (0x64) and data (0x60) ports through PortIo: every byte the host
// writes to the data port is answered 0xFA; complete command frames go to the reader,
// whose keyboard-style reply is queued for the host. A frame still unfinished when the host
// writes a new controller command byte is dropped. Nothing in it waits in real time, so
// it may be driven from the thread that runs a transaction.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/byte_string.h"
#include "sim/simulated_reader.h"
#include "transport/port_io.h"

namespace tessaron::sim {

// The byte queued for the host ahead of each line byte while mouse traffic is interleaved.
constexpr Byte SIMULATED_MOUSE_BYTE = 0x08;
// The system flag, always set in the status register after the controller's self test.
constexpr std::uint8_t KBC_STATUS_SYSTEM_FLAG = 0x04;

class SimulatedKeyboardController final : public PortIo {
 public:
  // Without a reader the controller makes its own, attached to the keyboard line.
  explicit SimulatedKeyboardController(std::shared_ptr<SimulatedReader> reader = nullptr);

  bool Start() override;
  void Stop() override;
  std::uint8_t ReadPort(std::uint16_t port) override;
  void WritePort(std::uint16_t port, std::uint8_t value) override;

  SimulatedReader& Reader() { return *reader_; }

  // --- knobs ---
  // Start fails (the port permission cannot be had) while refused.
  void SetStartRefused(bool refused);
  // Once afterBytes more host bytes have been taken, the next count host bytes are answered
  // with answer instead of 0xFA and are not taken (0xFE asks for them again). Calls queue
  // up; afterBytes of a later call counts from the end of the earlier one.
  void ForceAnswers(Byte answer, int count, int afterBytes = 0);
  // While dead, host bytes on the keyboard line get no answer at all.
  void SetLineDead(bool dead);
  // Frames are acknowledged byte by byte but never answered.
  void SetNoReply(bool noReply);
  // Answers the next complete frame with these bytes instead of the reader's reply
  // (one scripted reply per frame, in order).
  void ScriptReply(const ByteString& reply);
  // Puts a mouse byte ahead of every byte queued for the host. The status register shows
  // a waiting mouse byte with bit 5; with outputFullFlag also with bit 0, as the real
  // controller does, otherwise with bit 5 alone.
  void SetMouseInterleave(bool interleave, bool outputFullFlag = true);
  // After each write the status register reports the input buffer full for this many reads.
  void SetInputBusyReads(int reads);

  // --- what happened ---
  bool IsStarted() const;
  int StartCount() const;
  // Every command byte written through the 0x60 controller command, in order.
  std::vector<Byte> CommandBytes() const;
  // The current controller command byte.
  Byte CommandByte() const;
  // Every byte taken from the host on the keyboard line, in order.
  ByteString HostBytes() const;
  // Complete frames handed to the reader (or answered by a script), in order.
  std::vector<ByteString> Frames() const;
  // Bytes still waiting for the host (mouse bytes included).
  std::size_t PendingOutput() const;
  // Port accesses so far.
  std::size_t ReadCount() const;
  std::size_t WriteCount() const;
  void ResetCounts();

 private:
  struct OutputByte {
    Byte value;
    bool mouse;
  };
  struct ForcedAnswers {
    int afterBytes;
    Byte answer;
    int count;
  };

  void QueueForHost(Byte value);
  void TakeHostByte(Byte value);
  std::uint8_t Status();

  mutable std::mutex lock_;
  std::shared_ptr<SimulatedReader> reader_;
  std::deque<OutputByte> output_;
  ByteString frameBuffer_;
  ByteString hostBytes_;
  std::vector<ByteString> frames_;
  std::deque<ByteString> scriptedReplies_;
  std::vector<Byte> commandBytes_;
  Byte commandByte_ = 0x47;
  Byte lastRead_ = 0;
  bool commandBytePending_ = false;
  bool started_ = false;
  int startCount_ = 0;
  bool startRefused_ = false;
  std::deque<ForcedAnswers> forcedAnswers_;
  bool lineDead_ = false;
  bool noReply_ = false;
  bool mouseInterleave_ = false;
  bool mouseOutputFullFlag_ = true;
  int inputBusyReads_ = 0;
  int inputBusyLeft_ = 0;
  std::size_t readCount_ = 0;
  std::size_t writeCount_ = 0;
};

}  // namespace tessaron::sim
