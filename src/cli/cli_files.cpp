#include "cli/cli_files.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "cli/cli_output.h"
#include "core/config_file.h"
#include "core/settings_json.h"

namespace tessaron {

namespace {

const char* KindText(RecordFileKind kind) {
  return kind == RecordFileKind::Json ? "a settings file in JSON" : "a configuration file (.cfs2)";
}

RecordFileKind KindOfContents(const ByteString& bytes, RecordFileKind otherwise) {
  if (LooksLikeConfigFile(bytes)) return RecordFileKind::Config;
  if (LooksLikeSettingsJson(bytes)) return RecordFileKind::Json;
  return otherwise;
}

int Failure(CliContext& context, const std::string& text, int code = CLI_EXIT_FAILURE) {
  PrintError(context.err, text);
  return code;
}

// Decodes a file's bytes as a record of the kind.
int DecodeRecord(const std::string& path, const ByteString& bytes, RecordFileKind kind,
                 ReaderSettings& settings, CliContext& context) {
  if (kind == RecordFileKind::Json) {
    std::string error;
    if (SettingsFromJson(std::string(bytes.begin(), bytes.end()), settings, &error)) {
      return CLI_EXIT_OK;
    }
    return Failure(context, ShownName(path) + ": " + error, CLI_EXIT_USAGE);
  }
  const ConfigFileStatus status = DecodeConfigFile(bytes, settings);
  if (status == ConfigFileStatus::Ok) return CLI_EXIT_OK;
  return Failure(context, "cannot load " + ShownName(path) + ": " + ConfigFileStatusText(status));
}

}  // namespace

std::string ShownName(const std::string& path) {
  return path == STANDARD_STREAM ? "standard input" : path;
}

RecordFileKind KindOfName(const std::string& path, RecordFileKind otherwise) {
  const auto endsWith = [&path](std::string_view suffix) {
    return path.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), path.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) {
                        return a == std::tolower(static_cast<unsigned char>(b));
                      });
  };
  if (endsWith(".json")) return RecordFileKind::Json;
  return endsWith(".cfs2") ? RecordFileKind::Config : otherwise;
}

int ReadInput(const std::string& path, std::size_t maxSize, ByteString* bytes,
              CliContext& context) {
  ConfigFileStatus status = ConfigFileStatus::Ok;
  int osError = 0;
  if (path == STANDARD_STREAM) {
    bytes->clear();
    if (context.in != nullptr) {
      // One byte more than the limit tells that there is more.
      for (int c; bytes->size() <= maxSize && (c = context.in->get()) != std::char_traits<char>::eof();) {
        bytes->push_back(static_cast<Byte>(c));
      }
    }
    if (bytes->empty()) status = ConfigFileStatus::Empty;
    if (bytes->size() > maxSize) status = ConfigFileStatus::TooLarge;
  } else {
    status = ReadWholeFile(path, maxSize, bytes, &osError);
  }
  if (status == ConfigFileStatus::Ok) return CLI_EXIT_OK;
  // A file far too large for either kind is a wrong file, not a failing one.
  return Failure(context, "cannot load " + ShownName(path) + ": " + ConfigFileCause(status, osError),
                 status == ConfigFileStatus::TooLarge ? CLI_EXIT_USAGE : CLI_EXIT_FAILURE);
}

int LoadRecord(const std::string& path, ReaderSettings& settings, CliContext& context) {
  ByteString bytes;
  if (const int read = ReadInput(path, SETTINGS_JSON_MAX_SIZE, &bytes, context)) return read;
  return DecodeRecord(path, bytes, KindOfContents(bytes, KindOfName(path)), settings, context);
}

int LoadRecordOfKind(const std::string& path, RecordFileKind kind, const std::string& elsewhere,
                     ReaderSettings& settings, CliContext& context) {
  ByteString bytes;
  if (const int read = ReadInput(path, SETTINGS_JSON_MAX_SIZE, &bytes, context)) return read;
  const RecordFileKind held = KindOfContents(bytes, kind);
  if (held != kind) {
    return Failure(context, ShownName(path) + " is " + KindText(held) + ", not " + KindText(kind) +
                                ": " + elsewhere,
                   CLI_EXIT_USAGE);
  }
  return DecodeRecord(path, bytes, kind, settings, context);
}

bool PeekRecord(const std::string& path, RecordFileKind kind, ReaderSettings& settings) {
  ByteString bytes;
  if (ReadWholeFile(path, SETTINGS_JSON_MAX_SIZE, &bytes) != ConfigFileStatus::Ok) return false;
  if (kind == RecordFileKind::Config) return DecodeConfigFile(bytes, settings) == ConfigFileStatus::Ok;
  std::string ignored;
  return SettingsFromJson(std::string(bytes.begin(), bytes.end()), settings, &ignored);
}

int WriteOutput(const std::string& path, const ByteString& bytes, CliContext& context) {
  // What is printed so far goes first: the file may be standard output itself.
  context.out.flush();
  if (path == STANDARD_STREAM) {
    // A failed write to standard output fails the run when it ends (RunCli).
    context.out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
    context.out.flush();
    return CLI_EXIT_OK;
  }
  int osError = 0;
  const ConfigFileStatus status = ReplaceFileContents(path, bytes.data(), bytes.size(), &osError);
  if (status == ConfigFileStatus::Ok) return CLI_EXIT_OK;
  // Another user's link or file in a shared folder is a path to choose again, not a failure.
  const bool foreign =
      status == ConfigFileStatus::ForeignLink || status == ConfigFileStatus::ForeignFile;
  return Failure(context, "cannot write " + path + ": " + ConfigFileCause(status, osError),
                 foreign ? CLI_EXIT_USAGE : CLI_EXIT_FAILURE);
}

int SaveRecord(const std::string& path, const ReaderSettings& settings, RecordFileKind kind,
               CliContext& context) {
  ByteString bytes;
  if (kind == RecordFileKind::Json) {
    const std::string text = SettingsToJson(settings);
    bytes.assign(text.begin(), text.end());
  } else if (ConfigFileContents(settings, &bytes) != ConfigFileStatus::Ok) {
    return Failure(context, "cannot write " + path + ": " +
                                ConfigFileStatusText(ConfigFileStatus::EncodeFailed));
  }
  return WriteOutput(path, bytes, context);
}

}  // namespace tessaron
