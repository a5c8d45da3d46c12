#include "transport/report_descriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace tessaron {

namespace {

constexpr Byte LONG_ITEM_PREFIX = 0xFE;

constexpr unsigned ITEM_TYPE_MAIN = 0;
constexpr unsigned ITEM_TYPE_GLOBAL = 1;

constexpr unsigned MAIN_TAG_FEATURE = 0x0B;

constexpr unsigned GLOBAL_TAG_REPORT_SIZE = 0x07;
constexpr unsigned GLOBAL_TAG_REPORT_ID = 0x08;
constexpr unsigned GLOBAL_TAG_REPORT_COUNT = 0x09;
constexpr unsigned GLOBAL_TAG_PUSH = 0x0A;
constexpr unsigned GLOBAL_TAG_POP = 0x0B;

// Bit counts are kept below this bound so that sums never overflow; it lies far above
// anything that still fits a 32-bit byte length.
constexpr std::uint64_t BIT_COUNT_LIMIT = std::uint64_t{1} << 40;

// The part of the global item state that decides report lengths.
struct GlobalState {
  std::uint32_t reportSize = 0;   // bits per field
  std::uint32_t reportCount = 0;  // fields per main item
  std::uint32_t reportId = 0;     // 0 while the device does not number its reports
};

std::uint64_t AddBits(std::uint64_t total, std::uint64_t more) {
  return std::min(total + std::min(more, BIT_COUNT_LIMIT), BIT_COUNT_LIMIT);
}

}  // namespace

bool ComputeFeatureReportByteLength(const Byte* descriptor, std::size_t size,
                                    std::uint32_t* length) {
  if (length == nullptr) return false;
  *length = 0;
  if (descriptor == nullptr && size > 0) return false;

  GlobalState state;
  std::vector<GlobalState> stack;
  std::map<std::uint32_t, std::uint64_t> featureBits;  // by report ID

  std::size_t pos = 0;
  while (pos < size) {
    const Byte prefix = descriptor[pos];
    const std::size_t left = size - pos - 1;  // bytes after the prefix

    if (prefix == LONG_ITEM_PREFIX) {
      // Long item: prefix, data size, tag, data. No long items are defined; skip it whole.
      if (left < 2) return false;
      const std::size_t dataSize = descriptor[pos + 1];
      if (left - 2 < dataSize) return false;
      pos += 3 + dataSize;
      continue;
    }

    const unsigned sizeCode = prefix & 0x03u;
    const std::size_t dataSize = sizeCode == 3 ? 4 : sizeCode;
    if (left < dataSize) return false;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < dataSize; ++i) {
      value |= static_cast<std::uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
    }
    const unsigned type = (prefix >> 2) & 0x03u;
    const unsigned tag = prefix >> 4;
    pos += 1 + dataSize;

    if (type == ITEM_TYPE_MAIN) {
      if (tag == MAIN_TAG_FEATURE) {
        const std::uint64_t bits =
            static_cast<std::uint64_t>(state.reportSize) * state.reportCount;
        std::uint64_t& total = featureBits[state.reportId];
        total = AddBits(total, bits);
      }
    } else if (type == ITEM_TYPE_GLOBAL) {
      switch (tag) {
        case GLOBAL_TAG_REPORT_SIZE:
          state.reportSize = value;
          break;
        case GLOBAL_TAG_REPORT_ID:
          state.reportId = value;
          break;
        case GLOBAL_TAG_REPORT_COUNT:
          state.reportCount = value;
          break;
        case GLOBAL_TAG_PUSH:
          if (stack.size() >= REPORT_DESCRIPTOR_MAX_PUSH_DEPTH) return false;
          stack.push_back(state);
          break;
        case GLOBAL_TAG_POP:
          if (stack.empty()) return false;
          state = stack.back();
          stack.pop_back();
          break;
        default:
          break;
      }
    }
    // Local items and reserved types carry nothing that changes a report's length.
  }

  if (featureBits.empty()) return true;
  std::uint64_t longest = 0;
  for (const auto& entry : featureBits) longest = std::max(longest, entry.second);
  const std::uint64_t bytes = (longest + 7) / 8 + 1;  // plus the report-ID byte
  *length = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX));
  return true;
}

}  // namespace tessaron
