#include "transport/transport_timing.h"

namespace tessaron {

Millis ScaleMillis(Millis length, double factor) {
  if (length.count() <= 0) return length;
  const auto scaled = static_cast<Millis::rep>(static_cast<double>(length.count()) * factor);
  return Millis(scaled < 1 ? 1 : scaled);
}

TransportTiming TransportTiming::ScaledBy(double factor) const {
  TransportTiming scaled = *this;
  for (Millis* time : {&scaled.serial.writeWait, &scaled.serial.replyPause,
                       &scaled.serial.perByteWait, &scaled.hid.retryPause, &scaled.hid.replyPause,
                       &scaled.hid.pollPause, &scaled.hid.fastPollPause, &scaled.keyboard.byteWait,
                       &scaled.keyboard.ackedBytePause, &scaled.keyboard.setAckPausePerByte,
                       &scaled.keyboard.setAckWait, &scaled.keyboard.replyLimit,
                       &scaled.keyboard.replyByteWait, &scaled.keyboard.afterTransaction,
                       &scaled.keyboard.exchangeLimit}) {
    *time = ScaleMillis(*time, factor);
  }
  return scaled;
}

}  // namespace tessaron
