#include "core/settings_codec.h"

#include <algorithm>
#include <cstddef>

#include "core/command_frame.h"
#include "core/data_edit_model.h"
#include "core/settings_stream_walker.h"

namespace tessaron {

namespace {

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

void WriteByteRecord(StreamWriter& out, const ReaderSettings& settings,
                     const SettingsRecordInfo& record) {
  out.Put(record.funcId);
  out.Put(1);
  out.Put(*RecordByte(record, settings));
}

void WriteStringRecord(StreamWriter& out, const ReaderSettings& settings,
                       const SettingsRecordInfo& record) {
  const ByteString& value = *RecordString(record, settings);
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
void WriteAddedFields(StreamWriter& out, const ReaderSettings& settings, Byte funcId) {
  const std::size_t start = out.BeginBlock(funcId);
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
void WriteFieldRules(StreamWriter& out, const ReaderSettings& settings, Byte funcId) {
  const std::size_t start = out.BeginBlock(funcId);
  for (const ByteString& limit : settings.lengthLimits) out.Put(limit);
  for (const ByteString& match : settings.matchStrings) out.Put(match);
  for (const ByteString& field : settings.customFields) out.Put(field);
  out.EndBlock(start);
}

// One item per card kind: n + 1, 0xE0 + kind, the n formula bytes, 0xFF; an empty formula
// is the item 00 FF.
void WriteFormulas(StreamWriter& out, const ReaderSettings& settings, Byte funcId) {
  const std::size_t start = out.BeginBlock(funcId);
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

void WriteRecord(StreamWriter& out, const ReaderSettings& settings,
                 const SettingsRecordInfo& record) {
  switch (record.kind) {
    case RecordKind::OneByte:
      WriteByteRecord(out, settings, record);
      break;
    case RecordKind::String:
      WriteStringRecord(out, settings, record);
      break;
    case RecordKind::AddedFields:
      WriteAddedFields(out, settings, record.funcId);
      break;
    case RecordKind::FieldRules:
      WriteFieldRules(out, settings, record.funcId);
      break;
    case RecordKind::Formulas:
      WriteFormulas(out, settings, record.funcId);
      break;
  }
}

// Content of the 0xFA block: one slot per added field, padded to 8 data bytes; a longer
// field counts whole.
std::uint64_t AddedFieldsContent(const ReaderSettings& settings) {
  std::uint64_t length = 0;
  for (const ByteString& field : settings.addedFields) {
    length += 1 + std::max<std::uint64_t>(MAX_ADDED_FIELD_BYTES, field.size());
  }
  return length;
}

// Content of the 0xFB block: length limits and match strings of the three tracks, then the
// custom fields.
std::uint64_t FieldRulesContent(const ReaderSettings& settings) {
  std::uint64_t length = 0;
  for (int track = 0; track < TRACK_COUNT; ++track) {
    length += settings.lengthLimits[track].size() + settings.matchStrings[track].size();
  }
  for (const ByteString& field : settings.customFields) length += field.size();
  return length;
}

// Content of the 0xFC block: n + 1, 0xE0 + kind, n bytes, 0xFF for a formula; 00 FF for an
// empty one.
std::uint64_t FormulasContent(const ReaderSettings& settings) {
  std::uint64_t length = 0;
  for (const ByteString& formula : settings.formulas) {
    length += formula.empty() ? 2 : formula.size() + 3;
  }
  return length;
}

// Stores what the walk of a stream yields. Only whole records reach it.
class RecordStore {
 public:
  RecordStore(const Byte* bytes, ReaderSettings& settings) : bytes_(bytes), settings_(settings) {}

  void Store(const StreamStep& step) {
    if (step.record == nullptr) return;  // a FuncID that carries no setting is passed over
    switch (step.record->kind) {
      case RecordKind::OneByte:
        StoreByte(step);
        break;
      case RecordKind::String:
        StoreString(step);
        break;
      case RecordKind::AddedFields:
        StoreAddedFields(step);
        break;
      case RecordKind::FieldRules:
        StoreFieldRules(step);
        break;
      case RecordKind::Formulas:
        StoreFormulas(step);
        break;
    }
  }

 private:
  // FuncID, length, value: the length byte is not consulted.
  void StoreByte(const StreamStep& step) {
    const Byte value = bytes_[step.offset + 2];
    *RecordByte(*step.record, settings_) = value;
    if (step.record->copyMember != nullptr) settings_.*step.record->copyMember = value;
  }

  // FuncID, k = n + 1, n, n bytes. k = 0 is a bare two-byte record and k = 1 an empty
  // string: both leave the member at its reset value. The count byte n is not consulted.
  void StoreString(const StreamStep& step) {
    if (step.length <= 3) return;
    const Byte* data = bytes_ + step.offset + 3;
    RecordString(*step.record, settings_)->assign(data, bytes_ + step.offset + step.length);
  }

  // A slot with n = 0 is empty and adds nothing. A slot announcing more than 8 bytes would
  // reach into the next slot: it is skipped, and the slots after it are still read, since
  // their positions do not depend on it. At most MAX_ADDED_FIELDS fields are kept; later
  // slots are passed over.
  void StoreAddedFields(const StreamStep& step) {
    ClearByteStringList(settings_.addedFields);
    for (const BlockItem& slot : step.items) {
      const std::size_t n = bytes_[slot.offset];
      if (n == 0 || n > MAX_ADDED_FIELD_BYTES) continue;
      if (settings_.addedFields.size() >= static_cast<std::size_t>(MAX_ADDED_FIELDS)) break;
      const Byte* data = bytes_ + slot.offset + 1;
      settings_.addedFields.emplace_back(data, data + n);
    }
  }

  // A length limit or match string is appended to the slot of its track (bits 7 to 5 of its
  // second byte); one whose track is not 1 to 3 has no slot and is passed over. A custom
  // field keeps whatever track bits it carries, since its bytes are passed on as they stand.
  void StoreFieldRules(const StreamStep& step) {
    ClearByteStringList(settings_.customFields);
    for (const BlockItem& item : step.items) {
      const Byte* rule = bytes_ + item.offset;
      const Byte tag = rule[0];
      if (tag == TAG_LENGTH_LIMIT || tag == TAG_MATCH_STRING) {
        const int track = rule[1] >> 5;
        if (track < 1 || track > TRACK_COUNT) continue;
        auto& slots = tag == TAG_LENGTH_LIMIT ? settings_.lengthLimits : settings_.matchStrings;
        ByteString& slot = slots[static_cast<std::size_t>(track - 1)];
        slot.insert(slot.end(), rule, rule + item.length);
      } else {
        settings_.customFields.emplace_back(rule, rule + item.length);
      }
    }
  }

  // An item whose kind byte is not 0xE0 to 0xE3 names no formula and is passed over.
  // Formulas the block does not name keep their reset value (empty).
  void StoreFormulas(const StreamStep& step) {
    for (const BlockItem& item : step.items) {
      const Byte* data = bytes_ + item.offset;
      if (data[0] == 0) continue;
      const int kind = data[1] - FORMULA_KIND_BASE;
      if (kind < 0 || kind >= CARD_KIND_COUNT) continue;
      settings_.formulas[static_cast<std::size_t>(kind)].assign(data + 2,
                                                                data + item.length - 1);
    }
  }

  const Byte* bytes_;
  ReaderSettings& settings_;
};

}  // namespace

std::uint64_t EncodedRecordLength(const SettingsRecordInfo& record,
                                  const ReaderSettings& settings) {
  switch (record.kind) {
    case RecordKind::OneByte:
      return ONE_BYTE_RECORD_LENGTH;
    case RecordKind::String:
      return STRING_RECORD_OVERHEAD + RecordString(record, settings)->size();
    case RecordKind::AddedFields:
      return RECORD_HEAD + AddedFieldsContent(settings);
    case RecordKind::FieldRules:
      return RECORD_HEAD + FieldRulesContent(settings);
    case RecordKind::Formulas:
      return RECORD_HEAD + FormulasContent(settings);
  }
  return 0;
}

bool EncodeSettings(const ReaderSettings& settings, Byte* buffer, std::uint32_t* length) {
  if (length == nullptr) return false;
  if (buffer == nullptr || *length <= ENCODE_MIN_CAPACITY_EXCLUSIVE) {
    *length = 0;
    return false;
  }

  StreamWriter out(buffer, *length);
  out.Put(STX);
  out.Put(DIR_SET);
  for (const SettingsRecordInfo& record : SettingsRecords()) WriteRecord(out, settings, record);
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
  std::size_t stx = 0;
  if (!FindSettingsStreamStart(bytes, count, &stx)) return DecodeStatus::NoStx;

  RecordStore store(bytes, *settings);
  SettingsStreamWalker walker(bytes, count, stx);
  StreamStep step;
  while (walker.Next(step)) {
    switch (step.kind) {
      case StreamStepKind::Direction:
        break;
      case StreamStepKind::Record:
        store.Store(step);
        break;
      case StreamStepKind::CutRecord:
      case StreamStepKind::NoEtx:
        return DecodeStatus::CutOff;
      case StreamStepKind::Etx:
        // An ETX with no check byte after it is a stream cut off before its end.
        if (step.offset + 1 >= count) return DecodeStatus::CutOff;
        return bytes[step.offset + 1] == step.expectedCheckByte ? DecodeStatus::Ok
                                                                : DecodeStatus::BadChecksum;
    }
  }
  return DecodeStatus::CutOff;
}

bool DecodeSettings(const Byte* bytes, std::uint32_t count, ReaderSettings* settings) {
  return DecodeSettingsStatus(bytes, count, settings) == DecodeStatus::Ok;
}

}  // namespace tessaron
