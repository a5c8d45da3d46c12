#include "cli/cli_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "cli/cli_output.h"
#include "cli/stop_signals.h"
#include "core/config_file.h"
#include "core/settings_json.h"

namespace tessaron {

namespace {

const char* KindText(RecordFileKind kind) {
  return kind == RecordFileKind::Json ? "a settings file in JSON" : "a configuration file (.cfs2)";
}

const char* Suffix(RecordFileKind kind) { return kind == RecordFileKind::Json ? ".json" : ".cfs2"; }

bool EndsWith(const std::string& path, std::string_view suffix) {
  const auto same = [](char a, char b) {
    return a == std::tolower(static_cast<unsigned char>(b));
  };
  return path.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), path.end() - static_cast<long>(suffix.size()),
                    same);
}

// Whether the name says a kind, and which.
bool NameSaysKind(const std::string& path, RecordFileKind* kind) {
  if (EndsWith(path, ".json")) *kind = RecordFileKind::Json;
  else if (EndsWith(path, ".cfs2")) *kind = RecordFileKind::Config;
  else return false;
  return true;
}

int Failure(CliContext& context, const std::string& text, int code = CLI_EXIT_FAILURE) {
  PrintError(context.err, text);
  return code;
}

// A status of reading a file: what the system refused is a failure, a file that is no
// settings file a wrong one.
int ExitCodeOfRead(ConfigFileStatus status) {
  switch (status) {
    case ConfigFileStatus::NotFound:
    case ConfigFileStatus::CannotOpen:
    case ConfigFileStatus::ReadFailed:
    case ConfigFileStatus::NotAFile:
    case ConfigFileStatus::WriteFailed:
      return CLI_EXIT_FAILURE;
    default:
      return CLI_EXIT_USAGE;
  }
}

}  // namespace

std::string ShownName(const std::string& path) {
  return path == STANDARD_STREAM ? "standard input" : path;
}

RecordFileKind KindOfName(const std::string& path, RecordFileKind otherwise) {
  RecordFileKind kind = otherwise;
  NameSaysKind(path, &kind);
  return kind;
}

RecordFileKind KindOfContents(const ByteString& bytes, RecordFileKind otherwise) {
  if (LooksLikeConfigFile(bytes)) return RecordFileKind::Config;
  if (LooksLikeSettingsJson(bytes)) return RecordFileKind::Json;
  return otherwise;
}

int ReadInput(const std::string& path, std::size_t maxSize, ByteString* bytes,
              CliContext& context) {
  // Standard input or a pipe may keep the run waiting: a signal ends it then.
  const InputWait waiting;
  ConfigFileStatus status = ConfigFileStatus::Ok;
  int osError = 0;
  if (path == STANDARD_STREAM) {
    bytes->clear();
    if (context.inClosed) {
      return Failure(context, "cannot load standard input: it is closed (" +
                                  std::string(std::strerror(EBADF)) + ")");
    }
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
  return Failure(context, "cannot load " + ShownName(path) + ": " + ConfigFileCause(status, osError),
                 ExitCodeOfRead(status));
}

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
  return Failure(context, "cannot load " + ShownName(path) + ": " + ConfigFileStatusText(status),
                 CLI_EXIT_USAGE);
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

int CheckOutputName(const std::string& path, RecordFileKind kind, const std::string& command,
                    const std::string& otherCommand, CliContext& context) {
  if (path == STANDARD_STREAM) return CLI_EXIT_OK;
  RecordFileKind named = kind;
  if (NameSaysKind(path, &named) && named != kind) {
    return Failure(context, path + " is named as " + KindText(named) + ", but " + command +
                                " writes " + KindText(kind) + ": name it " + Suffix(kind) +
                                ", or use \"tessaron " + otherCommand + "\"",
                   CLI_EXIT_USAGE);
  }
  // A directory, or a folder that is not there, would fail the write only after the work.
  std::error_code error;
  const std::filesystem::path file(path);
  int osError = 0;
  if (std::filesystem::is_directory(file, error)) {
    osError = EISDIR;
  } else if (file.has_parent_path() && !std::filesystem::exists(file.parent_path(), error)) {
    osError = ENOENT;
  }
  if (osError == 0) return CLI_EXIT_OK;
  return Failure(context, "cannot write " + path + ": " +
                              ConfigFileCause(ConfigFileStatus::WriteFailed, osError));
}

int CheckHeldKind(const std::string& path, RecordFileKind held, CliContext& context) {
  RecordFileKind named = held;
  if (!NameSaysKind(path, &named) || named == held) return CLI_EXIT_OK;
  const std::string convert = held == RecordFileKind::Json
                                  ? "\"tessaron import " + path + " --file NEW.cfs2\""
                                  : "\"tessaron export NEW.json --file " + path + "\"";
  return Failure(context, path + " holds " + KindText(held) + " under the name of " +
                              KindText(named) + "; nothing was written: rename it to end in " +
                              Suffix(held) + ", or make " + KindText(named) + " of it with " +
                              convert,
                 CLI_EXIT_USAGE);
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
