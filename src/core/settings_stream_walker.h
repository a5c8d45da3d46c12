#pragma once
// Walks a settings stream record by record, exactly as the decoder consumes it: where each
// record starts, how many bytes it takes, its FuncID and kind, and for the three blocks the
// pieces inside them that the decoder stores. The decoder stores what the walk yields; the
// stream listing prints it, so the two always agree on where a record ends.

#include <cstddef>
#include <vector>

#include "core/byte_string.h"
#include "core/settings_table.h"

namespace tessaron {

// Finds the STX of a settings stream in bytes[0..count): index 1 after a reply's lead-in
// byte (0x06 or 0xFA), else index 0. False when no STX is there.
bool FindSettingsStreamStart(const Byte* bytes, std::size_t count, std::size_t* stx);

// Length of the field rule (length limit, match string or custom field) that starts at rule,
// as its tag and length bytes tell it; 0 for a byte that is no rule tag or when the bytes
// that tell the length lie beyond the available ones.
std::size_t FieldRuleLength(const Byte* rule, std::size_t available);

enum class StreamStepKind {
  Direction,  // a direction letter (0x52 or 0x53) between records; skipped
  Record,     // one whole record
  CutRecord,  // a record that the end of the bytes cuts off; the walk ends with it
  NoEtx,      // the bytes end between two records without an ETX; the walk ends with it
  Etx,        // the end mark; the walk ends with it, its check byte follows when present
};

// One piece of a block that the decoder takes on its own: an added-field slot of 9 bytes, a
// tagged length limit, match string or custom field, or a formula item.
struct BlockItem {
  std::size_t offset;  // index of its first byte in the walked bytes
  std::size_t length;
};

struct StreamStep {
  StreamStepKind kind = StreamStepKind::NoEtx;
  std::size_t offset = 0;  // index of its first byte (a record's FuncID)
  std::size_t length = 0;  // bytes it takes; for a CutRecord the bytes that are there
  std::size_t wanted = 0;  // CutRecord: bytes the record needs at least; else equal to length
  Byte funcId = 0;         // Record and CutRecord
  const SettingsRecordInfo* record = nullptr;  // nullptr for a FuncID that carries no setting
  std::vector<BlockItem> items;  // Record of a block: its whole pieces in stream order
  Byte expectedCheckByte = 0;    // Etx: the XOR of the bytes from the STX through the ETX
};

// Reads bytes[0..count) and never past count. A one-byte record always takes three bytes
// whatever its length byte says; a string or an unknown FuncID takes its length byte plus
// two; an added-field block takes its whole 9-byte slots only, so bytes of its length after
// the last whole slot are read as records; a field-rule block ends at the first byte that is
// no rule tag (that byte is read next as a FuncID) or once its length is used up, counted
// modulo 256; a formula block ends once its items have used up its length.
class SettingsStreamWalker {
 public:
  // Walks the records after the STX at index stx.
  SettingsStreamWalker(const Byte* bytes, std::size_t count, std::size_t stx);

  // Fills step with the next step. False once the walk has ended, that is after a step of
  // kind CutRecord, NoEtx or Etx.
  bool Next(StreamStep& step);

 private:
  bool Has(std::size_t index) const { return index < count_; }
  bool HasRange(std::size_t from, std::size_t length) const {
    return from <= count_ && length <= count_ - from;
  }

  // Each measures the record at p_ into step; false when the end of the bytes cuts it off.
  bool MeasureOneByte(StreamStep& step) const;
  bool MeasureLengthPrefixed(StreamStep& step) const;
  bool MeasureAddedFields(StreamStep& step) const;
  bool MeasureFieldRules(StreamStep& step) const;
  bool MeasureFormulas(StreamStep& step) const;
  // Marks step as cut off, needing at least announced bytes.
  bool CutOff(StreamStep& step, std::size_t announced) const;

  const Byte* bytes_;
  std::size_t count_;
  std::size_t stx_;
  std::size_t p_;
  bool ended_ = false;
};

}  // namespace tessaron
