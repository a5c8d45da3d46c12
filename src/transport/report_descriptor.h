#pragma once
// Reading a HID report descriptor far enough to know how long the device's feature
// reports are, the way the host's HID class reports FeatureReportByteLength.

#include <cstddef>
#include <cstdint>

#include "core/byte_string.h"

namespace tessaron {

// Deepest push of the global item state a descriptor may use.
constexpr std::size_t REPORT_DESCRIPTOR_MAX_PUSH_DEPTH = 16;

// Computes the byte length of the longest feature report in the descriptor plus one byte
// for the report ID (whether or not the device numbers its reports); 0 when the
// descriptor declares no feature report. Returns false, with length 0, for a descriptor
// that cannot be read: an item cut short by the end of the data, a pop without a push, or
// pushes deeper than REPORT_DESCRIPTOR_MAX_PUSH_DEPTH. Lengths beyond 32 bits saturate.
bool ComputeFeatureReportByteLength(const Byte* descriptor, std::size_t size,
                                    std::uint32_t* length);

}  // namespace tessaron
