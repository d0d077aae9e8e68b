#include "configuration/config_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "configuration/catalogue.h"
#include "configuration/validation.h"
#include "platform/atomic_file.h"

namespace zolin6::configuration {

namespace {

// Members kept in their table order, so the file reads as the pages do.
using Json = nlohmann::ordered_json;

Json ToJson(const Value& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return *integer;
  if (const auto* number = std::get_if<double>(&value)) return *number;
  return std::get<std::string>(value);
}

// What the JSON holds, as the value the catalogue wants; the type itself is
// checked by the validation, so a wrong type is kept as the wrong type.
Result<Value> FromJson(const CatalogueValue& entry, const Json& json) {
  if (json.is_number_integer()) {
    if (entry.type == ValueType::Number) return Value{json.get<double>()};
    return Value{json.get<std::int64_t>()};
  }
  if (json.is_number_float()) return Value{json.get<double>()};
  if (json.is_string()) return Value{json.get<std::string>()};
  return Error{entry.key + ": " + std::string(json.type_name()) + " is no value"};
}

// The line of byte `offset` in `text`, counted from 1.
std::size_t LineOf(std::string_view text, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + std::min(offset, text.size()), '\n'));
}

// The parser's own words, without its error number.
std::string Detail(const Json::exception& error) {
  std::string what = error.what();
  if (const std::size_t id = what.find("] "); id != std::string::npos) what.erase(0, id + 2);
  const std::size_t detail = what.rfind(": ");
  return detail == std::string::npos ? what : what.substr(detail + 2);
}

Result<Json> ParseJson(std::string_view text, const std::string& name) {
  // The parser's exception stays here: a malformed file becomes a result.
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& error) {
    return Error{name + ": line " + std::to_string(LineOf(text, error.byte > 0 ? error.byte - 1 : 0)) +
                 ": the file is not well-formed JSON (" + Detail(error) + ")"};
  } catch (const Json::exception& error) {
    // A number too large for any value, found while parsing.
    return Error{name + ": the file cannot be read (" + Detail(error) + ")"};
  }
}

Result<bool> CheckHeader(const Json& json, const std::string& name) {
  if (!json.is_object()) return Error{name + ": the file holds no configuration object"};
  const auto format = json.find("format");
  if (format == json.end() || !format->is_string() || format->get<std::string>() != kFileFormat) {
    return Error{name + ": format: not a \"" + std::string(kFileFormat) + "\" file"};
  }
  const auto version = json.find("version");
  if (version == json.end() || !version->is_number_integer()) {
    return Error{name + ": version: an integer version is expected"};
  }
  if (version->get<std::int64_t>() != kFileVersion) {
    return Error{name + ": version: version " + version->dump() + " is not one this program reads (it reads " +
                 std::to_string(kFileVersion) + ")"};
  }
  if (!json.contains("read at") || !json["read at"].is_string()) {
    return Error{name + ": read at: a date and time text is expected"};
  }
  return true;
}

Error Fault(const std::string& name, const std::string& key, const std::string& what) {
  return {name + ": " + key + ": " + what};
}

// Every member of every group must be a catalogue value: a misspelt key
// would otherwise go unnoticed and leave the value it meant missing.
Result<bool> CheckKnownKeys(const Json& json, const std::string& name) {
  for (const auto& [member, group] : json.items()) {
    if (member == "format" || member == "version" || member == "read at") continue;
    if (!group.is_object()) return Fault(name, member, "not a group of values");
    for (const auto& [valueName, value] : group.items()) {
      std::string key = member;
      key += '.';
      key += valueName;
      if (FindValue(key) == nullptr) return Fault(name, key, "the device has no such value");
    }
  }
  return true;
}

}  // namespace

std::string FormatConfiguration(const Configuration& configuration) {
  Json json;
  json["format"] = kFileFormat;
  json["version"] = kFileVersion;
  json["read at"] = configuration.readAt;
  for (const CatalogueValue& entry : Values()) {
    auto found = configuration.values.find(entry.key);
    if (found != configuration.values.end()) json[entry.group][entry.name] = ToJson(found->second);
  }
  return json.dump(2) + "\n";
}

Result<Configuration> ParseConfiguration(std::string_view text, const std::string& name) {
  Result<Json> json = ParseJson(text, name);
  if (!json) return json.error();
  if (Result<bool> header = CheckHeader(*json, name); !header) return header.error();
  if (Result<bool> keys = CheckKnownKeys(*json, name); !keys) return keys.error();
  Configuration configuration;
  configuration.readAt = (*json)["read at"].get<std::string>();
  for (const CatalogueValue& entry : Values()) {
    const auto group = json->find(entry.group);
    if (group == json->end()) continue;
    const auto member = group->find(entry.name);
    if (member == group->end()) continue;
    Result<Value> value = FromJson(entry, *member);
    if (!value) return Error{name + ": " + value.error().message};
    configuration.values.emplace(entry.key, std::move(value).value());
  }
  if (Result<bool> valid = Validate(configuration); !valid) return Error{name + ": " + valid.error().message};
  return configuration;
}

Result<bool> SaveConfiguration(const std::string& path, const Configuration& configuration) {
  return platform::WriteFileAtomically(path, FormatConfiguration(configuration));
}

Result<Configuration> LoadConfiguration(const std::string& path) {
  Result<std::string> text = platform::ReadWholeFile(path);
  if (!text) return text.error();
  return ParseConfiguration(*text, path);
}

}  // namespace zolin6::configuration
