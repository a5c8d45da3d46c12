// Encode and decode of the settings stream, for a default record and for a record with every
// data-edit list at its limit.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "core/data_edit_model.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"

namespace {

using tessaron::Byte;
using tessaron::ByteString;

ByteString Repeat(Byte value, std::size_t count) { return ByteString(count, value); }

ByteString Concat(std::initializer_list<ByteString> parts) {
  ByteString out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Every list at the limit the editors allow: 8 added fields of 8 bytes, length limits and
// match strings on all three tracks, 12 custom fields, 160 formula entries, the longest
// preamble, postamble, prefixes and suffixes the pages accept.
// The 0xFB block can announce at most 255 bytes, so the strings of the match strings and
// custom fields are sized to fill it as far as the encoder accepts: 12 bytes of length limits,
// 36 of match strings (8 characters each) and 12 custom fields of 17 bytes, 252 bytes in all.
tessaron::ReaderSettings FullRecord() {
  tessaron::ReaderSettings s;
  s.preamble = Repeat('P', 15);
  s.postamble = Repeat('Q', 15);
  for (ByteString* affix : {&s.track1Prefix, &s.track2Prefix, &s.track3Prefix, &s.track1Suffix,
                            &s.track2Suffix, &s.track3Suffix}) {
    *affix = Repeat('x', 6);
  }
  s.dataEditMode = '1';
  for (int i = 0; i < tessaron::MAX_ADDED_FIELDS; ++i) {
    s.addedFields.push_back(Repeat(static_cast<Byte>('a' + i), tessaron::MAX_ADDED_FIELD_BYTES));
  }
  for (int track = 1; track <= tessaron::TRACK_COUNT; ++track) {
    const auto trackBits = static_cast<Byte>(track << 5);
    s.lengthLimits[static_cast<std::size_t>(track - 1)] = {tessaron::TAG_LENGTH_LIMIT, trackBits,
                                                           10, 70};
    s.matchStrings[static_cast<std::size_t>(track - 1)] =
        Concat({{tessaron::TAG_MATCH_STRING, trackBits, 1, 8}, Repeat('m', 8)});
  }
  for (int i = 0; i < tessaron::MAX_CUSTOM_FIELDS; ++i) {
    const auto ref = static_cast<Byte>(((i % 3 + 1) << 5) | i);
    switch (i % 4) {
      case 0:  // Before, 4 + 13 bytes
        s.customFields.push_back(Concat({{tessaron::TAG_BEFORE, ref, 1, 13}, Repeat('b', 13)}));
        break;
      case 1:  // Between, 6 + 5 + 6 bytes
        s.customFields.push_back(Concat({{tessaron::TAG_BETWEEN, ref, 1, 5}, Repeat('c', 5),
                                         {2, 6}, Repeat('d', 6)}));
        break;
      case 2:  // After, 6 + 11 bytes
        s.customFields.push_back(
            Concat({{tessaron::TAG_AFTER, ref, 1, 2, 9, 11}, Repeat('e', 11)}));
        break;
      default:  // Among, 8 + 4 + 5 bytes
        s.customFields.push_back(Concat({{tessaron::TAG_AMONG, ref, 1, 4}, Repeat('f', 4),
                                         {1, 5}, Repeat('g', 5), {3, 7}}));
        break;
    }
  }
  // 160 entries in all, none over the 150 of one formula.
  s.formulas[0] = Repeat(0x21, 40);
  s.formulas[1] = Repeat(0x42, 40);
  s.formulas[2] = Repeat(0x63, 40);
  s.formulas[3] = Repeat(0x00, 40);
  return s;
}

ByteString EncodeOrDie(const tessaron::ReaderSettings& settings) {
  std::array<Byte, 1024> buffer{};
  std::uint32_t length = buffer.size();
  if (!tessaron::EncodeSettings(settings, buffer.data(), &length)) std::abort();
  return ByteString(buffer.begin(), buffer.begin() + length);
}

void RunEncode(benchmark::State& state, const tessaron::ReaderSettings& settings) {
  std::array<Byte, 1024> buffer{};
  std::uint32_t length = 0;
  for (auto _ : state) {
    length = buffer.size();
    const bool ok = tessaron::EncodeSettings(settings, buffer.data(), &length);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
  state.counters["stream_bytes"] = length;
}

void RunDecode(benchmark::State& state, const tessaron::ReaderSettings& source) {
  const ByteString stream = EncodeOrDie(source);
  tessaron::ReaderSettings settings;
  for (auto _ : state) {
    const bool ok = tessaron::DecodeSettings(stream.data(),
                                             static_cast<std::uint32_t>(stream.size()), &settings);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(stream.size()));
  state.counters["stream_bytes"] = static_cast<double>(stream.size());
}

void BM_EncodeDefaultRecord(benchmark::State& state) { RunEncode(state, tessaron::ReaderSettings()); }
void BM_DecodeDefaultRecord(benchmark::State& state) { RunDecode(state, tessaron::ReaderSettings()); }
void BM_EncodeFullRecord(benchmark::State& state) { RunEncode(state, FullRecord()); }
void BM_DecodeFullRecord(benchmark::State& state) { RunDecode(state, FullRecord()); }

BENCHMARK(BM_EncodeDefaultRecord);
BENCHMARK(BM_DecodeDefaultRecord);
BENCHMARK(BM_EncodeFullRecord);
BENCHMARK(BM_DecodeFullRecord);

}  // namespace

BENCHMARK_MAIN();
