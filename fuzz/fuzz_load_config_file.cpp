// Writes arbitrary bytes to a file and loads it as a configuration file. The load must refuse
// or accept it without reading outside its buffer, whatever the size and content.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/config_file.h"
#include "core/reader_settings.h"

namespace {

// One scratch file per fuzzing process, rewritten for every input.
struct ScratchFile {
  ScratchFile() {
    const char* folder = std::getenv("TMPDIR");
    path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
           "/tessaron-fuzz-XXXXXX";
    fd = ::mkstemp(path.data());
    if (fd < 0) std::abort();
  }
  ~ScratchFile() {
    ::close(fd);
    ::unlink(path.c_str());
  }
  std::string path;
  int fd = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScratchFile scratch;
  if (::ftruncate(scratch.fd, 0) != 0) std::abort();
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = ::pwrite(scratch.fd, data + written, size - written,
                               static_cast<off_t>(written));
    if (n <= 0) std::abort();
    written += static_cast<std::size_t>(n);
  }

  tessaron::ReaderSettings settings;
  const tessaron::ConfigFileStatus status = tessaron::LoadConfigFileStatus(settings, scratch.path);
  // Sizes decide some outcomes on their own. A file over the limit is too large, unless it
  // begins as a settings file in JSON does (within the limit): that one is named as such.
  if (size == 0 && status != tessaron::ConfigFileStatus::Empty) std::abort();
  if (size > tessaron::CONFIG_FILE_MAX_SIZE) {
    const tessaron::ByteString head(data, data + tessaron::CONFIG_FILE_MAX_SIZE);
    const bool json = tessaron::LooksLikeSettingsJson(head);
    if (status != (json ? tessaron::ConfigFileStatus::SettingsJson
                        : tessaron::ConfigFileStatus::TooLarge)) {
      std::abort();
    }
  }
  return 0;
}
