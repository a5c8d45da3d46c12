#pragma once
// Reading a fuzz input as a sequence of decisions and bytes, shared by the fuzz targets.
// Whatever runs out reads as zero, so every input is a complete script.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/byte_string.h"

namespace tessaron::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::size_t Left() const { return size_ - pos_; }

  // The next byte, 0 once the input has run out.
  Byte Take() { return Empty() ? Byte{0} : data_[pos_++]; }

  // Fills count bytes; those past the end of the input are 0.
  void TakeInto(Byte* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = Take();
  }

  const std::uint8_t* Rest() const { return data_ + pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A heap buffer of exactly count bytes (one for count 0, never handed out as usable), so that
// AddressSanitizer catches any access past the count a caller was given.
inline std::unique_ptr<Byte[]> ExactBuffer(const std::uint8_t* data, std::size_t count) {
  auto buffer = std::make_unique<Byte[]>(count == 0 ? 1 : count);
  for (std::size_t i = 0; i < count; ++i) buffer[i] = data != nullptr ? data[i] : Byte{0};
  return buffer;
}

// Stops the run as a finding when a property that must hold does not.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace tessaron::fuzz
