#include "core/settings_json.h"

#include "core/command_frame.h"
#include "core/setting_checks.h"
#include "core/setting_values.h"

namespace tessaron {

namespace {

constexpr const char* SETTINGS_KEY = "settings";
constexpr const char* FORMAT_KEY = "format";
constexpr const char* VERSION_KEY = "format-version";

void AppendMember(std::string& text, const std::string& indent, const std::string& key,
                  const std::string& value, bool last) {
  text += indent + SettingJson(key).dump() + ": " + value + (last ? "\n" : ",\n");
}

// "{", one member a line, "}" (without a line end).
std::string ObjectLines(const ReaderSettings& settings, std::span<const NamedSetting* const> names,
                        const std::string& indent) {
  std::string text = "{\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    AppendMember(text, indent + "  ", names[i]->name,
                 CompactJson(SettingValue(*names[i], settings)), i + 1 == names.size());
  }
  return text + indent + "}";
}

bool Refuse(std::string* error, const std::string& path, const std::string& message) {
  *error = path + ": " + message;
  return false;
}

}  // namespace

std::string SettingsToJson(const ReaderSettings& settings) {
  std::vector<const NamedSetting*> names;
  for (const NamedSetting& setting : NamedSettings()) names.push_back(&setting);
  std::string text = "{\n";
  AppendMember(text, "  ", FORMAT_KEY, SettingJson(SETTINGS_JSON_FORMAT).dump(), false);
  AppendMember(text, "  ", VERSION_KEY, std::to_string(SETTINGS_JSON_VERSION), false);
  AppendMember(text, "  ", SETTINGS_KEY, ObjectLines(settings, names, "  "), true);
  return text + "}\n";
}

std::string SettingsObjectJson(const ReaderSettings& settings,
                               std::span<const NamedSetting* const> names) {
  return ObjectLines(settings, names, "") + "\n";
}

std::string DifferencesJson(const ReaderSettings& first, const ReaderSettings& second,
                            std::span<const SettingDifference> differences) {
  std::string text = "{\n";
  for (std::size_t i = 0; i < differences.size(); ++i) {
    SettingJson both = SettingJson::object();
    both["a"] = SettingValue(*differences[i].setting, first);
    both["b"] = SettingValue(*differences[i].setting, second);
    AppendMember(text, "  ", differences[i].setting->name, CompactJson(both),
                 i + 1 == differences.size());
  }
  return text + "}\n";
}

std::string TextMembersJson(std::span<const std::pair<std::string, std::string>> members) {
  SettingJson object = SettingJson::object();
  for (const auto& [key, value] : members) object[key] = value;
  return CompactJson(object);
}

bool SettingsFromJson(const std::string& text, ReaderSettings& settings, std::string* error) {
  if (text.size() > SETTINGS_JSON_MAX_SIZE) {
    return Refuse(
        error, "/",
        "the file is larger than " + std::to_string(SETTINGS_JSON_MAX_SIZE / 1024) + " KiB");
  }
  SettingJson document;
  if (!ParseJson(text, &document, error)) return Refuse(error, "/", "not JSON: " + *error);
  if (!document.is_object()) return Refuse(error, "/", "a JSON object expected");
  for (const auto& [key, ignored] : document.items()) {
    if (key != FORMAT_KEY && key != VERSION_KEY && key != SETTINGS_KEY) {
      return Refuse(error, "/" + key, "unknown key; expected format, format-version, settings");
    }
  }
  if (!document.contains(FORMAT_KEY) || document[FORMAT_KEY] != SETTINGS_JSON_FORMAT) {
    return Refuse(error, std::string("/") + FORMAT_KEY,
                  std::string("\"") + SETTINGS_JSON_FORMAT + "\" expected");
  }
  if (!document.contains(VERSION_KEY) || document[VERSION_KEY] != SETTINGS_JSON_VERSION) {
    return Refuse(error, std::string("/") + VERSION_KEY,
                  "version " + std::to_string(SETTINGS_JSON_VERSION) + " expected");
  }
  const std::string settingsPath = std::string("/") + SETTINGS_KEY;
  if (!document.contains(SETTINGS_KEY) || !document[SETTINGS_KEY].is_object()) {
    return Refuse(error, settingsPath, "an object of every setting expected");
  }
  const SettingJson& values = document[SETTINGS_KEY];
  for (const auto& [key, ignored] : values.items()) {
    if (FindNamedSetting(key) == nullptr) {
      return Refuse(error, settingsPath + "/" + key,
                    "unknown setting (\"tessaron settings\" lists them)");
    }
  }
  ReaderSettings read(settings);
  for (const NamedSetting& setting : NamedSettings()) {
    const std::string path = settingsPath + "/" + setting.name;
    if (!values.contains(setting.name)) return Refuse(error, path, "missing");
    ValueProblem problem;
    // A file from elsewhere may hold a byte no option defines: it is carried as it is.
    if (!SetSettingValue(setting, values[setting.name], read, &problem, true)) {
      return Refuse(error, path + problem.path, problem.message);
    }
  }
  if (!CheckSettingsFit(read, SETTINGS_BUFFER_SIZE, error)) {
    return Refuse(error, settingsPath, *error);
  }
  settings = std::move(read);
  return true;
}

}  // namespace tessaron
