#include "core/config_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/command_frame.h"
#include "core/settings_codec.h"

namespace tessaron {

namespace {

constexpr std::size_t MAGIC_SIZE = sizeof(CONFIG_FILE_MAGIC) - 1;
constexpr std::size_t VERSION_SIZE = sizeof(CONFIG_FILE_VERSION) - 1;
static_assert(MAGIC_SIZE + VERSION_SIZE == CONFIG_HEADER_SIZE);

using FileBuffer = std::array<Byte, CONFIG_FILE_MAX_SIZE>;
}  // namespace

const char* ConfigFileStatusText(ConfigFileStatus status) {
  switch (status) {
    case ConfigFileStatus::Ok:
      return "ok";
    case ConfigFileStatus::NotFound:
      return "not found";
    case ConfigFileStatus::CannotOpen:
      return "cannot open";
    case ConfigFileStatus::Empty:
      return "empty";
    case ConfigFileStatus::TooLarge:
      return "too large";
    case ConfigFileStatus::ReadFailed:
      return "read failed";
    case ConfigFileStatus::NotConfigFile:
      return "not a configuration file";
    case ConfigFileStatus::BadStreamStart:
      return "bad stream start";
    case ConfigFileStatus::BadChecksum:
      return "bad check byte";
    case ConfigFileStatus::CutOff:
      return "damaged: the settings end before their end mark";
    case ConfigFileStatus::EncodeFailed:
      return "settings do not fit a settings stream";
    case ConfigFileStatus::WriteFailed:
      return "write failed";
    case ConfigFileStatus::SettingsJson:
      return "a settings file in JSON, not a configuration file";
    case ConfigFileStatus::NotAFile:
      return "not a file, device or pipe that can be written";
    case ConfigFileStatus::ForeignLink:
      return "refused: the link belongs to another user in a shared folder (sticky and "
             "writable by everyone), so it is not followed";
    case ConfigFileStatus::ForeignFile:
      return "refused: the file belongs to another user in a shared folder (sticky and "
             "writable by everyone), so root does not replace it";
  }
  return "unknown status";
}

std::string ConfigFileCause(ConfigFileStatus status, int osError) {
  std::string cause = ConfigFileStatusText(status);
  if (osError != 0) cause += std::string(": ") + std::strerror(osError);
  return cause;
}

ConfigFileStatus ConfigFileContents(const ReaderSettings& settings, ByteString* bytes) {
  FileBuffer buffer{};
  std::memcpy(buffer.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE);
  std::memcpy(buffer.data() + MAGIC_SIZE, CONFIG_FILE_VERSION, VERSION_SIZE);
  std::uint32_t streamLength = CONFIG_FILE_MAX_SIZE - CONFIG_HEADER_SIZE;
  if (!EncodeSettings(settings, buffer.data() + CONFIG_HEADER_SIZE, &streamLength)) {
    return ConfigFileStatus::EncodeFailed;
  }
  bytes->assign(buffer.begin(), buffer.begin() + CONFIG_HEADER_SIZE + streamLength);
  return ConfigFileStatus::Ok;
}

// The header and the stream are built first; only then is anything written. The file is
// replaced through a temporary file and a rename whenever the folder allows it, so a failed
// save never leaves a half-written file behind. The file a symbolic link names is the one
// replaced, so the link stays. Where the folder takes no new file, or the file's owner and
// group could not be kept, an existing file is written in place instead; so is a file that
// other hard links share, since a rename would part them from the new contents.
ConfigFileStatus SaveConfigFileStatus(const ReaderSettings& settings, const std::string& path,
                                      int* osError) {
  if (osError != nullptr) *osError = 0;
  ByteString bytes;
  const ConfigFileStatus built = ConfigFileContents(settings, &bytes);
  if (built != ConfigFileStatus::Ok) return built;
  return ReplaceFileContents(path, bytes.data(), bytes.size(), osError);
}

bool LooksLikeConfigFile(const ByteString& bytes) {
  return bytes.size() >= MAGIC_SIZE && std::memcmp(bytes.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE) == 0;
}

bool LooksLikeSettingsJson(const ByteString& bytes) {
  for (Byte b : bytes) {
    if (b == '{') return true;
    if (b != ' ' && b != '\t' && b != '\r' && b != '\n') return false;
  }
  return false;
}

ConfigFileStatus LoadConfigFileStatus(ReaderSettings& settings, const std::string& path,
                                      int* osError) {
  ByteString bytes;
  const ConfigFileStatus read = ReadWholeFile(path, CONFIG_FILE_MAX_SIZE, &bytes, osError);
  if (read == ConfigFileStatus::TooLarge && LooksLikeSettingsJson(bytes)) {
    return ConfigFileStatus::SettingsJson;
  }
  if (read != ConfigFileStatus::Ok) return read;
  return DecodeConfigFile(bytes, settings);
}

// The stream is decoded into a copy of the record, which replaces the record only when the
// decode succeeds: a failed load leaves nothing half-filled behind for a later save or write
// to pass on.
ConfigFileStatus DecodeConfigFile(const ByteString& bytes, ReaderSettings& settings) {
  if (bytes.empty()) return ConfigFileStatus::Empty;
  if (LooksLikeSettingsJson(bytes)) return ConfigFileStatus::SettingsJson;
  if (bytes.size() > CONFIG_FILE_MAX_SIZE) return ConfigFileStatus::TooLarge;
  // The header and the stream's start are compared in a zero-filled buffer of the largest
  // size, so a file shorter than the header fails the comparisons.
  FileBuffer buffer{};
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  const std::size_t size = bytes.size();

  if (std::memcmp(buffer.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE) != 0 ||
      std::memcmp(buffer.data() + MAGIC_SIZE, CONFIG_FILE_VERSION, VERSION_SIZE) != 0) {
    return ConfigFileStatus::NotConfigFile;
  }
  if (buffer[CONFIG_HEADER_SIZE] != STX || buffer[CONFIG_HEADER_SIZE + 1] != DIR_SET) {
    return ConfigFileStatus::BadStreamStart;
  }
  // Past the two checks above the file holds at least 18 bytes, so the count is positive.
  const auto count = static_cast<std::uint32_t>(size - CONFIG_HEADER_SIZE);
  ReaderSettings loaded(settings);
  switch (DecodeSettingsStatus(buffer.data() + CONFIG_HEADER_SIZE, count, &loaded)) {
    case DecodeStatus::Ok:
      settings = std::move(loaded);
      return ConfigFileStatus::Ok;
    case DecodeStatus::BadChecksum:
      return ConfigFileStatus::BadChecksum;
    case DecodeStatus::CutOff:
      return ConfigFileStatus::CutOff;
    case DecodeStatus::NoStream:
    case DecodeStatus::NoStx:
      break;
  }
  return ConfigFileStatus::BadStreamStart;
}

}  // namespace tessaron
