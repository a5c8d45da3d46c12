#include "core/settings_stream_walker.h"

#include <algorithm>

#include "core/command_frame.h"
#include "core/data_edit_model.h"

namespace tessaron {

namespace {

// An added field's slot: its length byte and 8 data bytes.
constexpr std::size_t ADDED_FIELD_SLOT = 1 + MAX_ADDED_FIELD_BYTES;
// An empty formula is the item 00 FF.
constexpr std::size_t EMPTY_FORMULA_ITEM = 2;

}  // namespace

bool FindSettingsStreamStart(const Byte* bytes, std::size_t count, std::size_t* stx) {
  if (bytes == nullptr || count == 0 || stx == nullptr) return false;
  const std::size_t start = (bytes[0] == REPLY_ACK || bytes[0] == KEYBOARD_ACK) ? 1 : 0;
  if (start >= count || bytes[start] != STX) return false;
  *stx = start;
  return true;
}

SettingsStreamWalker::SettingsStreamWalker(const Byte* bytes, std::size_t count, std::size_t stx)
    : bytes_(bytes), count_(count), stx_(stx), p_(stx + 1) {}

bool SettingsStreamWalker::Next(StreamStep& step) {
  if (ended_) return false;
  step.items.clear();
  step.record = nullptr;
  step.funcId = 0;
  step.expectedCheckByte = 0;
  step.offset = p_;

  if (p_ >= count_) {
    step.kind = StreamStepKind::NoEtx;
    step.offset = count_;
    step.length = step.wanted = 0;
    ended_ = true;
    return true;
  }

  const Byte funcId = bytes_[p_];
  if (funcId == ETX) {
    step.kind = StreamStepKind::Etx;
    step.length = step.wanted = 1;
    step.expectedCheckByte =
        ComputeLrc(bytes_ + stx_, static_cast<std::uint32_t>(p_ - stx_ + 1));
    ended_ = true;
    return true;
  }
  if (funcId == DIR_READ || funcId == DIR_SET) {
    step.kind = StreamStepKind::Direction;
    step.length = step.wanted = 1;
    ++p_;
    return true;
  }

  step.funcId = funcId;
  step.record = FindSettingsRecord(funcId);
  bool whole = false;
  switch (step.record != nullptr ? step.record->kind : RecordKind::String) {
    case RecordKind::OneByte:
      whole = MeasureOneByte(step);
      break;
    case RecordKind::String:  // an unknown FuncID has the same layout: FuncID, L, L bytes
      whole = MeasureLengthPrefixed(step);
      break;
    case RecordKind::AddedFields:
      whole = MeasureAddedFields(step);
      break;
    case RecordKind::FieldRules:
      whole = MeasureFieldRules(step);
      break;
    case RecordKind::Formulas:
      whole = MeasureFormulas(step);
      break;
  }
  if (!whole) {
    ended_ = true;
    return true;
  }
  step.kind = StreamStepKind::Record;
  step.wanted = step.length;
  p_ += step.length;
  return true;
}

bool SettingsStreamWalker::CutOff(StreamStep& step, std::size_t announced) const {
  step.kind = StreamStepKind::CutRecord;
  step.length = count_ - p_;
  step.wanted = std::max(announced, step.length + 1);
  step.items.clear();
  return false;
}

bool SettingsStreamWalker::MeasureOneByte(StreamStep& step) const {
  if (!HasRange(p_, ONE_BYTE_RECORD_LENGTH)) return CutOff(step, ONE_BYTE_RECORD_LENGTH);
  step.length = ONE_BYTE_RECORD_LENGTH;
  return true;
}

// A string is FuncID, n + 1, n, n bytes; a length of 0 makes it a bare two-byte record.
// Either way it ends its length byte plus two bytes after its FuncID.
bool SettingsStreamWalker::MeasureLengthPrefixed(StreamStep& step) const {
  if (!Has(p_ + 1)) return CutOff(step, RECORD_HEAD);
  const std::size_t length = RECORD_HEAD + bytes_[p_ + 1];
  if (!HasRange(p_, length)) return CutOff(step, length);
  step.length = length;
  return true;
}

bool SettingsStreamWalker::MeasureAddedFields(StreamStep& step) const {
  if (!Has(p_ + 1)) return CutOff(step, RECORD_HEAD);
  const std::size_t slots = bytes_[p_ + 1] / ADDED_FIELD_SLOT;
  const std::size_t length = RECORD_HEAD + slots * ADDED_FIELD_SLOT;
  if (!HasRange(p_, length)) return CutOff(step, length);
  for (std::size_t q = p_ + RECORD_HEAD; q < p_ + length; q += ADDED_FIELD_SLOT) {
    step.items.push_back({q, ADDED_FIELD_SLOT});
  }
  step.length = length;
  return true;
}

std::size_t FieldRuleLength(const Byte* rule, std::size_t available) {
  auto at = [rule, available](std::size_t offset, std::size_t& value) {
    if (offset >= available) return false;
    value = rule[offset];
    return true;
  };
  std::size_t byte3 = 0;
  std::size_t other = 0;
  if (available == 0) return 0;
  switch (rule[0]) {
    case TAG_LENGTH_LIMIT:
      return 4;
    case TAG_MATCH_STRING:
    case TAG_BEFORE:
      return at(3, byte3) ? byte3 + 4 : 0;
    case TAG_BETWEEN:
      return at(3, byte3) && at(byte3 + 5, other) ? byte3 + other + 6 : 0;
    case TAG_AFTER:
      return at(5, other) ? other + 6 : 0;
    case TAG_AMONG:
      return at(3, byte3) && at(byte3 + 5, other) ? byte3 + other + 8 : 0;
    default:
      return 0;
  }
}

// The length byte holds the content's length modulo 256, so it is counted down modulo 256.
bool SettingsStreamWalker::MeasureFieldRules(StreamStep& step) const {
  if (!Has(p_ + 1)) return CutOff(step, RECORD_HEAD);
  const std::size_t announced = RECORD_HEAD + bytes_[p_ + 1];
  Byte remaining = bytes_[p_ + 1];
  std::size_t q = p_ + RECORD_HEAD;
  while (remaining != 0) {
    if (!Has(q)) return CutOff(step, announced);
    const Byte tag = bytes_[q];
    if (tag < TAG_LENGTH_LIMIT || tag > TAG_AMONG) break;
    const std::size_t length = FieldRuleLength(bytes_ + q, count_ - q);
    if (length == 0 || !HasRange(q, length)) {
      return CutOff(step, std::max(announced, q - p_ + length));
    }
    step.items.push_back({q, length});
    q += length;
    remaining = static_cast<Byte>(remaining - length);
  }
  step.length = q - p_;
  return true;
}

// Items of 00 FF for an empty formula, else c, 0xE0 + kind, c - 1 bytes, 0xFF, until the
// block's length is used up.
bool SettingsStreamWalker::MeasureFormulas(StreamStep& step) const {
  if (!Has(p_ + 1)) return CutOff(step, RECORD_HEAD);
  const std::size_t announced = RECORD_HEAD + bytes_[p_ + 1];
  long remaining = bytes_[p_ + 1];
  std::size_t q = p_ + RECORD_HEAD;
  while (remaining > 0) {
    if (!Has(q)) return CutOff(step, announced);
    const std::size_t c = bytes_[q];
    const std::size_t length = c == 0 ? EMPTY_FORMULA_ITEM : c + 2;
    if (!HasRange(q, length)) return CutOff(step, std::max(announced, q - p_ + length));
    step.items.push_back({q, length});
    q += length;
    remaining -= static_cast<long>(length);
  }
  step.length = q - p_;
  return true;
}

}  // namespace tessaron
