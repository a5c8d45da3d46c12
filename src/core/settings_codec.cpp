#include "core/settings_codec.h"

#include <cstddef>

#include "core/command_frame.h"
#include "core/data_edit_model.h"

namespace tessaron {

namespace {

// Largest content a block can announce in its one length byte.
constexpr std::size_t MAX_BLOCK_CONTENT = 255;
// A string record carries n + 1 in one byte, so n is at most 254.
constexpr std::size_t MAX_STRING_BYTES = 254;
// An added field travels in a slot of its length byte and 8 data bytes.
constexpr std::size_t ADDED_FIELD_SLOT = 1 + MAX_ADDED_FIELD_BYTES;

constexpr Byte FUNC_ADDED_FIELDS = 0xFA;
constexpr Byte FUNC_FIELD_RULES = 0xFB;
constexpr Byte FUNC_FORMULAS = 0xFC;

// Where a one-byte FuncID keeps its value.
using ByteMember = Byte ReaderSettings::*;
using StringMember = ByteString ReaderSettings::*;

struct ByteRecord {
  Byte funcId;
  ByteMember member;
};

struct StringRecord {
  Byte funcId;
  StringMember member;
};

// Records written before the preamble, in the order the reader expects them.
constexpr ByteRecord LEADING_BYTE_RECORDS[] = {
    {0x10, &ReaderSettings::terminalType},
    {0x11, &ReaderSettings::beepVolume},
    {0x12, &ReaderSettings::interCharDelay},
    {0x44, &ReaderSettings::handshake},
    {0x45, &ReaderSettings::stopBits},
    {0x41, &ReaderSettings::baudRate},
    {0x42, &ReaderSettings::dataBits},
    {0x43, &ReaderSettings::parity},
    {0x47, &ReaderSettings::xonChar},
    {0x48, &ReaderSettings::xoffChar},
    {0x13, &ReaderSettings::trackSelect},
    {0x17, &ReaderSettings::trackSeparator},
    {0x15, &ReaderSettings::dataFormat},
    {0x16, &ReaderSettings::formatOptions},
    {0x21, &ReaderSettings::terminator},
    {0x1B, &ReaderSettings::dataEditMode},
    {0x19, &ReaderSettings::sendOutFormat},
    {0x1A, &ReaderSettings::msrReading},
    {0x1D, &ReaderSettings::decodingMethod},
    {0x60, &ReaderSettings::lrcOption},
    {0x23, &ReaderSettings::hidFormat},
    {0x61, &ReaderSettings::track1StartSentinel7Bit},
    {0x62, &ReaderSettings::track1StartSentinel6Bit},
    {0x63, &ReaderSettings::track1StartSentinel5Bit},
    {0x64, &ReaderSettings::track2StartSentinel7Bit},
    {0x65, &ReaderSettings::track2StartSentinel5Bit},
    {0x66, &ReaderSettings::track3StartSentinel7Bit},
    {0x67, &ReaderSettings::track3StartSentinel6Bit},
    {0x68, &ReaderSettings::track3StartSentinel5Bit},
};

constexpr StringRecord AMBLE_RECORDS[] = {
    {0xD2, &ReaderSettings::preamble},
    {0xD3, &ReaderSettings::postamble},
};

// Records written after the data-edit blocks. 0x69 is the track 1 end sentinel; endSentinel
// is only ever filled from it on input and never written.
constexpr ByteRecord TRAILING_BYTE_RECORDS[] = {
    {0x69, &ReaderSettings::track1EndSentinel},
    {0x6A, &ReaderSettings::track2EndSentinel},
    {0x6B, &ReaderSettings::track3EndSentinel},
    {0x14, &ReaderSettings::hidKbPollingInterval},
    {0x24, &ReaderSettings::languageOption},
    {0x25, &ReaderSettings::option25},
};

constexpr StringRecord AFFIX_RECORDS[] = {
    {0x34, &ReaderSettings::track1Prefix},
    {0x35, &ReaderSettings::track2Prefix},
    {0x36, &ReaderSettings::track3Prefix},
    {0x37, &ReaderSettings::track1Suffix},
    {0x38, &ReaderSettings::track2Suffix},
    {0x39, &ReaderSettings::track3Suffix},
};

const ByteRecord* FindByteRecord(Byte funcId) {
  for (const auto& record : LEADING_BYTE_RECORDS) {
    if (record.funcId == funcId) return &record;
  }
  for (const auto& record : TRAILING_BYTE_RECORDS) {
    if (record.funcId == funcId) return &record;
  }
  return nullptr;
}

const StringRecord* FindStringRecord(Byte funcId) {
  for (const auto& record : AMBLE_RECORDS) {
    if (record.funcId == funcId) return &record;
  }
  for (const auto& record : AFFIX_RECORDS) {
    if (record.funcId == funcId) return &record;
  }
  return nullptr;
}

// Appends to a caller's buffer and never past its capacity: once a byte does not fit,
// every later write is dropped and the writer stays failed.
class StreamWriter {
 public:
  StreamWriter(Byte* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

  void Put(Byte value) {
    if (!ok_ || used_ >= capacity_) {
      ok_ = false;
      return;
    }
    buffer_[used_++] = value;
  }

  void Put(const ByteString& bytes) {
    for (Byte value : bytes) Put(value);
  }

  void PutZeros(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(0);
  }

  void Fail() { ok_ = false; }
  bool Ok() const { return ok_; }
  std::size_t Used() const { return used_; }

  // Opens a block: writes its FuncID and a placeholder length, returns where the content starts.
  std::size_t BeginBlock(Byte funcId) {
    Put(funcId);
    Put(0);
    return used_;
  }

  // Fills in the block's length byte. A content of more than 255 bytes cannot be told by one
  // byte (modulo 256 it would announce a shorter block and the rest would be read as records),
  // so such a block fails the encode.
  void EndBlock(std::size_t contentStart) {
    if (!ok_) return;
    const std::size_t content = used_ - contentStart;
    if (content > MAX_BLOCK_CONTENT) {
      ok_ = false;
      return;
    }
    buffer_[contentStart - 1] = static_cast<Byte>(content);
  }

 private:
  Byte* buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

void WriteByteRecord(StreamWriter& out, const ReaderSettings& settings, const ByteRecord& record) {
  out.Put(record.funcId);
  out.Put(1);
  out.Put(settings.*record.member);
}

void WriteStringRecord(StreamWriter& out, const ReaderSettings& settings,
                       const StringRecord& record) {
  const ByteString& value = settings.*record.member;
  if (value.size() > MAX_STRING_BYTES) {
    out.Fail();  // n + 1 would not fit its length byte
    return;
  }
  out.Put(record.funcId);
  out.Put(static_cast<Byte>(value.size() + 1));
  out.Put(static_cast<Byte>(value.size()));
  out.Put(value);
}

// One 9-byte slot per added field: its length, its bytes, zeros up to 8 data bytes. A field
// longer than 8 bytes would spill into the next slot, and an empty one would be dropped by the
// reader's parser and shift every later field's letter, so both fail the encode.
void WriteAddedFields(StreamWriter& out, const ReaderSettings& settings) {
  const std::size_t start = out.BeginBlock(FUNC_ADDED_FIELDS);
  for (const ByteString& field : settings.addedFields) {
    if (field.empty() || field.size() > MAX_ADDED_FIELD_BYTES) {
      out.Fail();
      return;
    }
    out.Put(static_cast<Byte>(field.size()));
    out.Put(field);
    out.PutZeros(MAX_ADDED_FIELD_BYTES - field.size());
  }
  out.EndBlock(start);
}

// Length limits of tracks 1 to 3, match strings of tracks 1 to 3, then the custom fields,
// each record copied as it stands.
void WriteFieldRules(StreamWriter& out, const ReaderSettings& settings) {
  const std::size_t start = out.BeginBlock(FUNC_FIELD_RULES);
  for (const ByteString& limit : settings.lengthLimits) out.Put(limit);
  for (const ByteString& match : settings.matchStrings) out.Put(match);
  for (const ByteString& field : settings.customFields) out.Put(field);
  out.EndBlock(start);
}

// One item per card kind: n + 1, 0xE0 + kind, the n formula bytes, 0xFF; an empty formula
// is the item 00 FF.
void WriteFormulas(StreamWriter& out, const ReaderSettings& settings) {
  const std::size_t start = out.BeginBlock(FUNC_FORMULAS);
  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    const ByteString& formula = settings.formulas[static_cast<std::size_t>(kind)];
    if (formula.empty()) {
      out.Put(0);
      out.Put(FORMULA_ITEM_END);
      continue;
    }
    if (formula.size() + 1 > MAX_BLOCK_CONTENT) {
      out.Fail();  // the item's count byte cannot hold it (nor could the block's length)
      return;
    }
    out.Put(static_cast<Byte>(formula.size() + 1));
    out.Put(static_cast<Byte>(FORMULA_KIND_BASE + kind));
    out.Put(formula);
    out.Put(FORMULA_ITEM_END);
  }
  out.EndBlock(start);
}

// Reads a stream without ever looking outside bytes[0..count). A record is stored only when
// all of its bytes lie inside the count; a record cut off by the count ends the decode as a
// stream cut off before its end.
class StreamReader {
 public:
  StreamReader(const Byte* bytes, std::size_t count, ReaderSettings& settings)
      : bytes_(bytes), count_(count), settings_(settings) {}

  DecodeStatus Run() {
    const std::size_t frameStart = (bytes_[0] == REPLY_ACK || bytes_[0] == KEYBOARD_ACK) ? 1 : 0;
    if (frameStart >= count_ || bytes_[frameStart] != STX) return DecodeStatus::NoStx;

    std::size_t p = frameStart + 1;
    while (p < count_) {
      const Byte funcId = bytes_[p];
      if (funcId == ETX) {
        // An ETX with no check byte after it is a stream cut off before its end.
        if (p + 1 >= count_) return DecodeStatus::CutOff;
        return bytes_[p + 1] == ComputeLrc(bytes_ + frameStart, p - frameStart + 1)
                   ? DecodeStatus::Ok
                   : DecodeStatus::BadChecksum;
      }
      if (funcId == DIR_READ || funcId == DIR_SET) {
        ++p;
        continue;
      }
      bool complete = true;
      if (const ByteRecord* record = FindByteRecord(funcId)) {
        complete = ReadByteRecord(*record, p);
      } else if (const StringRecord* record = FindStringRecord(funcId)) {
        complete = ReadStringRecord(*record, p);
      } else if (funcId == FUNC_ADDED_FIELDS) {
        complete = ReadAddedFields(p);
      } else if (funcId == FUNC_FIELD_RULES) {
        complete = ReadFieldRules(p);
      } else if (funcId == FUNC_FORMULAS) {
        complete = ReadFormulas(p);
      } else {
        complete = SkipUnknownRecord(p);
      }
      if (!complete) return DecodeStatus::CutOff;
    }
    return DecodeStatus::CutOff;
  }

 private:
  bool Has(std::size_t index) const { return index < count_; }
  // True when the range [from, from + length) lies inside the count.
  bool HasRange(std::size_t from, std::size_t length) const {
    return from <= count_ && length <= count_ - from;
  }

  // FuncID, length, value. The length byte is not consulted: the next record is always
  // expected three bytes after the FuncID.
  bool ReadByteRecord(const ByteRecord& record, std::size_t& p) {
    if (!Has(p + 2)) return false;
    const Byte value = bytes_[p + 2];
    settings_.*record.member = value;
    if (record.member == &ReaderSettings::track1EndSentinel) settings_.endSentinel = value;
    p += 3;
    return true;
  }

  // FuncID, k = n + 1, n, n bytes. k = 0 is a bare two-byte record; k = 1 an empty string
  // that leaves the member at its reset value. The count byte n is not consulted.
  bool ReadStringRecord(const StringRecord& record, std::size_t& p) {
    if (!Has(p + 1)) return false;
    const std::size_t k = bytes_[p + 1];
    if (k == 0) {
      p += 2;
      return true;
    }
    const std::size_t dataStart = p + 3;
    const std::size_t dataLength = k - 1;
    if (!HasRange(dataStart, dataLength)) return false;
    if (dataLength > 0) {
      ByteString& member = settings_.*record.member;
      member.assign(bytes_ + dataStart, bytes_ + dataStart + dataLength);
    }
    p = dataStart + dataLength;
    return true;
  }

  // L / 9 slots of a length byte and 8 data bytes; bytes of L after the last whole slot are
  // read as records. A slot with n = 0 is empty and adds nothing. A slot announcing more than
  // 8 bytes would reach into the next slot: it is skipped, and the slots after it are still
  // read, since their positions do not depend on it.
  bool ReadAddedFields(std::size_t& p) {
    ClearByteStringList(settings_.addedFields);
    if (!Has(p + 1)) return false;
    const std::size_t slots = bytes_[p + 1] / ADDED_FIELD_SLOT;
    std::size_t q = p + 2;
    for (std::size_t slot = 0; slot < slots; ++slot, q += ADDED_FIELD_SLOT) {
      if (!HasRange(q, ADDED_FIELD_SLOT)) return false;
      const std::size_t n = bytes_[q];
      if (n == 0 || n > MAX_ADDED_FIELD_BYTES) continue;
      settings_.addedFields.emplace_back(bytes_ + q + 1, bytes_ + q + 1 + n);
    }
    p = q;
    return true;
  }

  // Length of the field rule record at q, from its tag; 0 when the bytes that tell the length
  // lie outside the count.
  std::size_t FieldRuleLength(std::size_t q) const {
    auto at = [this, q](std::size_t offset, std::size_t& value) {
      if (!Has(q + offset)) return false;
      value = bytes_[q + offset];
      return true;
    };
    std::size_t byte3 = 0;
    std::size_t other = 0;
    switch (bytes_[q]) {
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

  // Records tagged 0xF0 to 0xF5 until L is used up. A byte that is not such a tag ends the
  // block without being consumed, so it is read next as a FuncID. L is counted down modulo
  // 256, as the length byte is the content's length modulo 256.
  // A length limit or match string whose track bits are not 1 to 3 has no slot: it is
  // skipped by its length and the block goes on. A custom field keeps whatever track bits it
  // carries, since it goes into the list and its bytes are passed on as they stand.
  bool ReadFieldRules(std::size_t& p) {
    ClearByteStringList(settings_.customFields);
    if (!Has(p + 1)) return false;
    Byte remaining = bytes_[p + 1];
    std::size_t q = p + 2;
    while (remaining != 0) {
      if (!Has(q)) return false;
      const Byte tag = bytes_[q];
      if (tag < TAG_LENGTH_LIMIT || tag > TAG_AMONG) break;
      const std::size_t length = FieldRuleLength(q);
      if (length == 0 || !HasRange(q, length)) return false;
      const ByteString record(bytes_ + q, bytes_ + q + length);
      const int track = bytes_[q + 1] >> 5;
      if (tag == TAG_LENGTH_LIMIT || tag == TAG_MATCH_STRING) {
        if (track >= 1 && track <= TRACK_COUNT) {
          auto& slots = tag == TAG_LENGTH_LIMIT ? settings_.lengthLimits : settings_.matchStrings;
          ByteString& slot = slots[static_cast<std::size_t>(track - 1)];
          slot.insert(slot.end(), record.begin(), record.end());
        }
      } else {
        settings_.customFields.push_back(record);
      }
      q += length;
      remaining = static_cast<Byte>(remaining - length);
    }
    p = q;
    return true;
  }

  // Items until L is used up: 00 FF for an empty formula, else c, 0xE0 + kind, c - 1 formula
  // bytes, 0xFF. An item whose kind byte is not 0xE0 to 0xE3 names no formula: it is skipped
  // by its length and the block goes on.
  bool ReadFormulas(std::size_t& p) {
    if (!Has(p + 1)) return false;
    int remaining = bytes_[p + 1];
    std::size_t q = p + 2;
    while (remaining > 0) {
      if (!Has(q)) return false;
      const std::size_t c = bytes_[q];
      if (c == 0) {
        q += 2;
        remaining -= 2;
        continue;
      }
      if (!HasRange(q, c + 2)) return false;
      const int kind = bytes_[q + 1] - FORMULA_KIND_BASE;
      if (kind >= 0 && kind < CARD_KIND_COUNT) {
        settings_.formulas[static_cast<std::size_t>(kind)].assign(bytes_ + q + 2,
                                                                  bytes_ + q + 1 + c);
      }
      q += c + 2;
      remaining -= static_cast<int>(c) + 2;
    }
    p = q;
    return true;
  }

  // Any other FuncID is taken to be FuncID, L, L bytes, and passed over.
  bool SkipUnknownRecord(std::size_t& p) {
    if (!Has(p + 1)) return false;
    p += 2 + static_cast<std::size_t>(bytes_[p + 1]);
    return true;
  }

  const Byte* bytes_;
  std::size_t count_;
  ReaderSettings& settings_;
};

}  // namespace

bool EncodeSettings(const ReaderSettings& settings, Byte* buffer, std::uint32_t* length) {
  if (length == nullptr) return false;
  if (buffer == nullptr || *length <= ENCODE_MIN_CAPACITY_EXCLUSIVE) {
    *length = 0;
    return false;
  }

  StreamWriter out(buffer, *length);
  out.Put(STX);
  out.Put(DIR_SET);
  for (const auto& record : LEADING_BYTE_RECORDS) WriteByteRecord(out, settings, record);
  for (const auto& record : AMBLE_RECORDS) WriteStringRecord(out, settings, record);
  WriteAddedFields(out, settings);
  WriteFieldRules(out, settings);
  WriteFormulas(out, settings);
  for (const auto& record : TRAILING_BYTE_RECORDS) WriteByteRecord(out, settings, record);
  for (const auto& record : AFFIX_RECORDS) WriteStringRecord(out, settings, record);
  out.Put(ETX);
  if (!out.Ok()) {
    *length = 0;
    return false;
  }
  out.Put(ComputeLrc(buffer, static_cast<std::uint32_t>(out.Used())));
  if (!out.Ok()) {
    *length = 0;
    return false;
  }
  *length = static_cast<std::uint32_t>(out.Used());
  return true;
}

DecodeStatus DecodeSettingsStatus(const Byte* bytes, std::uint32_t count,
                                  ReaderSettings* settings) {
  if (bytes == nullptr || settings == nullptr) return DecodeStatus::NoStream;
  settings->ResetToDefaults();
  if (count == 0) return DecodeStatus::NoStream;
  return StreamReader(bytes, count, *settings).Run();
}

bool DecodeSettings(const Byte* bytes, std::uint32_t count, ReaderSettings* settings) {
  return DecodeSettingsStatus(bytes, count, settings) == DecodeStatus::Ok;
}

}  // namespace tessaron
