// Feeds arbitrary bytes to the HID report-descriptor parser. A broken or hostile USB device
// hands over whatever descriptor it likes; the parser must refuse or measure it without
// reading outside it, and a refusal must leave no length behind.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "transport/report_descriptor.h"

using tessaron::fuzz::ExactBuffer;
using tessaron::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const auto descriptor = ExactBuffer(data, size);

  std::uint32_t length = 0xDEADBEEF;
  const bool readable = tessaron::ComputeFeatureReportByteLength(descriptor.get(), size, &length);
  if (!readable) Require(length == 0);

  // The same descriptor read twice gives the same answer: the parser keeps no state.
  std::uint32_t again = 0;
  Require(tessaron::ComputeFeatureReportByteLength(descriptor.get(), size, &again) == readable);
  Require(again == length);

  Require(!tessaron::ComputeFeatureReportByteLength(descriptor.get(), size, nullptr));
  return 0;
}
