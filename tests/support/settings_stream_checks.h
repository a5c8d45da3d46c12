#pragma once
// StreamOf for the gtest programs: settings that do not encode fail the test that asked.

#include <gtest/gtest.h>

#include "support/settings_streams.h"

namespace tessaron::test_support {

inline ByteString CheckedStreamOf(const ReaderSettings& settings) {
  ByteString stream;
  EXPECT_TRUE(EncodeStream(settings, &stream));
  return stream;
}

}  // namespace tessaron::test_support
