#include "plant/plant_file.h"

#include <nlohmann/json.hpp>

#include <unordered_map>

#include "platform/atomic_file.h"

namespace zolin6::plant {

namespace {

using nlohmann::json;

// "entry 2 (\"serial:\")", counted from 1 as a person reads the list.
std::string Entry(std::size_t index, const std::string& text) {
  return "entry " + std::to_string(index + 1) + " (\"" + text + "\")";
}

Result<PlantEndpoint> ParseEntry(const json& entry, std::size_t index, const std::string& file) {
  if (!entry.is_string()) {
    return Error{file + ": entry " + std::to_string(index + 1) + " of \"endpoints\" is not a text"};
  }
  const std::string text = entry.get<std::string>();
  // hart-ip://HOST[:PORT]/DEVICE names one device behind an I/O system; a
  // survey finds every one of them itself.
  constexpr std::string_view kHartIp = "hart-ip://";
  if (text.starts_with(kHartIp) && text.substr(0, text.find('?')).find('/', kHartIp.size()) != std::string::npos) {
    return Error{file + ": " + Entry(index, text) +
                 ": names a device behind an I/O system; name the I/O system, the survey finds its devices"};
  }
  Result<transport::ConnectionTarget> target = transport::ParseConnection(text);
  if (!target) return Error{file + ": " + Entry(index, text) + ": " + target.error().message};
  if (target->kind == transport::ConnectionTarget::Kind::Simulated) {
    return Error{file + ": " + Entry(index, text) + ": the built-in simulated device is not a plant endpoint"};
  }
  if (target->secure) {
    return Error{file + ": " + Entry(index, text) +
                 ": secure HART-IP needs a key file, which a plant file does not name"};
  }
  return PlantEndpoint{text, std::move(target).value()};
}

}  // namespace

Result<std::vector<PlantEndpoint>> ParsePlantFile(std::string_view text, const std::string& file) {
  const json document = json::parse(text, nullptr, false);
  if (document.is_discarded()) return Error{file + ": not JSON"};
  if (!document.is_object() || !document.contains("endpoints")) {
    return Error{file + ": no \"endpoints\" list"};
  }
  const json& list = document.at("endpoints");
  if (!list.is_array()) return Error{file + ": \"endpoints\" is not a list"};
  if (list.empty()) return Error{file + ": the \"endpoints\" list is empty"};
  std::vector<PlantEndpoint> endpoints;
  std::unordered_map<std::string, std::size_t> seen;  // address as read back -> entry
  for (std::size_t i = 0; i < list.size(); ++i) {
    Result<PlantEndpoint> endpoint = ParseEntry(list[i], i, file);
    if (!endpoint) return endpoint.error();
    const auto [where, added] = seen.emplace(endpoint->target.url(), i);
    if (!added) {
      return Error{file + ": " + Entry(i, endpoint->name) + " names the same endpoint as entry " +
                   std::to_string(where->second + 1)};
    }
    endpoints.push_back(std::move(endpoint).value());
  }
  return endpoints;
}

Result<std::vector<PlantEndpoint>> ReadPlantFile(const std::string& path) {
  Result<std::string> text = platform::ReadWholeFile(path);
  if (!text) return text.error();
  return ParsePlantFile(*text, path);
}

}  // namespace zolin6::plant
