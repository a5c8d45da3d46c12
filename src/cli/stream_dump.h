#pragma once
// A readable hexadecimal listing of a settings stream, one record per line.

#include <cstddef>
#include <string>

#include "core/byte_string.h"

namespace tessaron {

// Lists the stream at bytes[0..count): a line for a reply's lead-in byte when there is one,
// a line for the STX and direction letter, one line per record (its name, then FuncID,
// length and value bytes in hexadecimal), then lines for the ETX and the LRC (with a note
// when the LRC does not match). Records are delimited by SettingsStreamWalker, the walk the
// settings decoder reads them by; a record cut off by the end of the bytes is listed as far
// as it goes and marked. Bytes after the LRC are listed on a line of their own. Lines end
// with "\n". Any content is accepted; nothing past count is read.
std::string DumpSettingsStream(const Byte* bytes, std::size_t count);

// The member name that a FuncID carries in the settings stream; "" for an unknown FuncID.
const char* SettingsRecordName(Byte funcId);

}  // namespace tessaron
