#pragma once
// Where the built programs are, for the tests that run them.

#include <cstdlib>
#include <filesystem>

namespace tessaron::test_support {

// TESSARON_BIN_DIR when the test run sets it; else the folder of the running test program,
// which the build puts beside the programs.
inline std::filesystem::path ProgramFolder() {
  const char* binDir = std::getenv("TESSARON_BIN_DIR");
  if (binDir != nullptr && *binDir != '\0') return std::filesystem::path(binDir);
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

}  // namespace tessaron::test_support
