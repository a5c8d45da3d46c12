#pragma once
// Raw byte strings: every setting travels and is held as the bytes of the settings stream.

#include <cstdint>
#include <vector>

namespace tessaron {

using Byte = std::uint8_t;

// A growable array of bytes (append at the end, empty, length, bytes).
using ByteString = std::vector<Byte>;

// An ordered list of owned byte strings.
using ByteStringList = std::vector<ByteString>;

// Deletes every entry of the list and leaves it empty.
inline void ClearByteStringList(ByteStringList& list) { list.clear(); }

}  // namespace tessaron
