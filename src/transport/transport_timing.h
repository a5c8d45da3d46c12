#pragma once
// Every time constant of the three transports in one record. The defaults are the real
// values the readers are built for; tests inject a scaled-down copy.

#include <chrono>

namespace tessaron {

using Millis = std::chrono::milliseconds;

struct SerialTiming {
  Millis writeWait{500};      // wait for a pending write to complete
  Millis replyPause{1500};    // pause between the end of the write and the first read
  Millis perByteWait{1000};   // wait for each reply byte; this much silence ends a reply
};

struct HidTiming {
  Millis retryPause{10};      // after each failed set-feature attempt
  Millis replyPause{200};     // between the last report sent and the first read
  Millis pollPause{40};       // after each read that brings no data
  Millis fastPollPause{1};    // fast mode: between reads while waiting for data
};

struct KeyboardTiming {
  Millis byteWait{20};             // controller takes a byte / answers it, while sending
  Millis ackedBytePause{1};        // busy wait after each acknowledged command byte
  Millis setAckPausePerByte{3};    // pause before a set-type acknowledgement, per command byte
  Millis setAckWait{2000};         // wait for that acknowledgement
  Millis replyLimit{3500};         // overall limit for receiving a framed reply
  Millis replyByteWait{5};         // wait for each byte of a framed reply
  Millis afterTransaction{100};    // pause after every transaction, outside the lock
  // Upper bound of one whole exchange, its sending included: the longest frame's pause and
  // waits (3 x 514 + 2000 + 3500 ms) and its sending, so that no exchange holds the line (and
  // the helper's signals) for longer.
  Millis exchangeLimit{8000};
};

struct TransportTiming {
  SerialTiming serial;
  HidTiming hid;
  KeyboardTiming keyboard;
  // Fast mode of the serial and USB HID lines: an exchange ends as soon as a whole reply has
  // come (see core/reply_end.h) rather than after the fixed pause and closing silence, which
  // stay the upper bounds. Off by default: the readers are built for the fixed timing.
  bool fastReplies = false;

  // The real values.
  static TransportTiming Real() { return TransportTiming{}; }

  // Every time multiplied by factor; a time that was not zero stays at least 1 ms.
  TransportTiming ScaledBy(double factor) const;
};

// length multiplied by factor; a length that was not zero stays at least 1 ms.
Millis ScaleMillis(Millis length, double factor);

}  // namespace tessaron
