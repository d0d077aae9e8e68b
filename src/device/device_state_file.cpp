#include "device/device_state_file.h"

#include "device/burst_rules.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace zolin6::device {

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(SensorChannel, type, connection, coldJunction, unit, upperRangeLimit,
                                                lowerRangeLimit, upperRangeValue, lowerRangeValue, minSpan, trimGain,
                                                trimOffset, lowerTrimDone, lowerTrimInput, lowerTrimValue)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(LoopOutput, fixed, fixedCurrent, trimGain, trimOffset, dacGain,
                                                dacOffset)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Identification, tag, longTag, descriptor, message, day, month, year,
                                                pollingAddress, finalAssembly, serialNumber, orderingCode,
                                                manufacturerId, deviceType, deviceProfile, privateLabel,
                                                universalRevision, transmitterRevision, hardwareRevision,
                                                softwareVersion)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(SensorParameters, highLimit, lowLimit, unit, coeffA, coeffB, coeffC,
                                                coeffR0, damping)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Extreme, recorded, value)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(BurstMessage, control, command, variables, updatePeriod, maxPeriod,
                                                triggerMode, triggerClass, triggerUnits, triggerLevel)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(DeviceState, identification, requestPreambles, responsePreambles,
                                                writeProtect, loopCurrentMode, loopAlarm, channels, sensorParameters,
                                                outputs, localTempUnit, displays, backupMode, backupSensor, averageMode,
                                                sensorMaxMin, tempMaxMin, sensorMin, sensorMax, localMin, localMax,
                                                changeCounters, configChangeCounter, configChanged, coldStart,
                                                localTempOffset, factoryTrimOhm, factoryTrimMv, forcedDeviceStatus,
                                                forcedDiagStatus, forcedDiagStatusByte1, bursts)

namespace {

using nlohmann::json;

// What a value is, in the words of a message.
std::string KindOf(const json& value) {
  if (value.is_number_integer()) return "a whole number";
  if (value.is_number()) return "a number";
  if (value.is_string()) return "a text";
  if (value.is_boolean()) return "true or false";
  if (value.is_array()) return "a list";
  if (value.is_object()) return "an object";
  return "null";
}

// A number with a fraction where a whole number belongs would be cut off
// without a word; a whole number is a fine value for a number with a
// fraction.
bool Fits(const json& reference, const json& value) {
  if (reference.is_number_integer()) return value.is_number_integer();
  if (reference.is_number()) return value.is_number();
  return reference.type() == value.type();
}

// The first place where `value` is not shaped as `reference`: a key
// missing, a value of another kind or a list of another length. Keys the
// reference does not have are left alone.
std::optional<std::string> ShapeProblem(const json& reference, const json& value, const std::string& where) {
  if (!Fits(reference, value)) return where + " holds " + KindOf(value) + " where " + KindOf(reference) + " belongs";
  if (reference.is_object()) {
    const std::string prefix = where.empty() ? where : where + ".";
    for (const auto& [key, member] : reference.items()) {
      const std::string at = prefix + key;
      if (!value.contains(key)) return "the key " + at + " is missing";
      if (auto problem = ShapeProblem(member, value.at(key), at)) return problem;
    }
  }
  if (reference.is_array()) {
    if (value.size() != reference.size()) {
      return where + " holds " + std::to_string(value.size()) + " entries where " + std::to_string(reference.size()) +
             " belong";
    }
    for (std::size_t i = 0; i < reference.size(); ++i) {
      if (auto problem = ShapeProblem(reference[i], value[i], where + "[" + std::to_string(i) + "]")) return problem;
    }
  }
  return std::nullopt;
}

// A file without a version was written before files named it: version 1.
std::optional<std::string> VersionProblem(const json& file) {
  if (!file.contains("version")) return std::nullopt;
  const json& version = file.at("version");
  if (!version.is_number_integer()) return "version holds " + KindOf(version) + " where a whole number belongs";
  if (version != kDeviceFileVersion) {
    return "version " + version.dump() + " is not known (this program reads version " +
           std::to_string(kDeviceFileVersion) + ")";
  }
  return std::nullopt;
}

Result<json> ParseObject(const std::string& text) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return Error{"the file is empty"};
  json parsed;
  try {
    parsed = json::parse(text);
  } catch (const json::parse_error& e) {
    // e.byte counts from 1 and stands past the end of a text cut short.
    if (e.byte > text.size()) return Error{"the text is not JSON (it breaks off at the end)"};
    return Error{"the text is not JSON (it goes wrong at byte " + std::to_string(e.byte) + ")"};
  }
  if (!parsed.is_object()) return Error{"the text is JSON, but " + KindOf(parsed) + " rather than an object"};
  return parsed;
}

}  // namespace

std::string SaveDeviceState(const DeviceState& state) { return SaveDeviceState(state, json::object()); }

std::string SaveDeviceState(const DeviceState& state, const json& more) {
  json text = more.is_object() ? more : json::object();
  text.update(json(state));
  text["version"] = kDeviceFileVersion;
  // A text with an 8-bit code that is no UTF-8 is saved with U+FFFD in its
  // place rather than failing the whole save.
  return text.dump(2, ' ', /*ensure_ascii=*/false, json::error_handler_t::replace) + "\n";
}

Result<DeviceState> LoadDeviceState(const std::string& text) {
  const std::string refused = "not a device state: ";
  Result<json> parsed = ParseObject(text);
  if (!parsed) return Error{refused + parsed.error().message};
  json file = *parsed;
  // Files saved before the device could burst load with burst mode off.
  if (!file.contains("bursts")) file["bursts"] = DeviceState{}.bursts;
  std::optional<std::string> problem = VersionProblem(file);
  if (!problem) problem = ShapeProblem(json(DeviceState{}), file, "");
  if (problem) return Error{refused + *problem};
  DeviceState state;
  try {
    from_json(file, state);
  } catch (const json::exception& e) {
    return Error{refused + e.what()};
  }
  for (const SensorChannel& channel : state.channels) {
    if (!UnitFitsSensor(channel.unit, channel.type))
      return Error{refused + "a channel's unit does not fit its sensor type"};
  }
  for (const BurstMessage& burst : state.bursts) {
    if (const char* wrong = BurstMessageProblem(burst)) return Error{refused + wrong};
  }
  return state;
}

}  // namespace zolin6::device
