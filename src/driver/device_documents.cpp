#include "driver/device_documents.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <vector>

#include "codecs/functions_hart.h"
#include "driver/parameter_list.h"

namespace zolin6::driver {

namespace {

// The text the device writes for a number it has no valid value for.
constexpr std::string_view kNotANumber = "1.#QNAN";

std::string Integer(long long value) { return std::to_string(value); }

// --- Documents ------------------------------------------------------------------

using Pairs = ParameterPairs;

// The registry's tags, named as the read lists them.
Pairs FromRegistry(const std::vector<std::string>& tags, const DeviceState& s, const Measurements& m) {
  Pairs pairs;
  for (const std::string& tag : tags) pairs.emplace_back(tag, *TagValue(tag, s, m));
  return pairs;
}

std::vector<std::string> ChannelTags(int channel, std::initializer_list<const char*> names) {
  std::vector<std::string> tags;
  for (const char* name : names) tags.push_back("Sns" + std::to_string(channel) + name);
  return tags;
}

// A request attribute read as a one-byte code ("0C"), if it is one; a sign
// makes it none.
std::optional<int> AttributeCode(const std::string& text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return static_cast<int>(value);
}

// The output whose current read 28 answers: the one named by a channel code
// "01" to "05" in Attribute1, else the first one held at a fixed current
// (the one a current trim works on), else output 1.
int CurrentOutput(const RequestAttributes& attributes, const DeviceState& s) {
  const std::optional<int> channel = AttributeCode(attributes[0]);
  if (channel && attributes[0].size() == 2 && *channel >= 1 && *channel < kChannels) return *channel;
  for (int i = 0; i < kChannels; ++i) {
    if (s.outputs[i].fixed) return i;
  }
  return 0;
}

// One monitored variable: a sensor (0..5), a sensor's percent of range
// (6..11) or the device temperature (12); anything else has no value and no
// unit.
std::pair<std::string, std::string> MonitoredVariable(const std::string& attribute, const DeviceState& s,
                                                      const Measurements& m) {
  const std::optional<int> code = AttributeCode(attribute);
  if (!code || *code > 12) return {DeviceNumber(std::nullopt), Integer(kUnitNotUsed)};
  if (*code < 6) return {DeviceNumber(m.reading[*code]), Integer(s.channels[*code].unit)};
  if (*code < 12) return {DeviceNumber(m.percent[*code - 6]), Integer(kUnitPercent)};
  return {DeviceNumber(m.localTemp), Integer(s.localTempUnit)};
}

}  // namespace

std::string DeviceNumber(std::optional<float> value) {
  if (!value || !std::isfinite(*value)) return std::string(kNotANumber);
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value);
  return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
}

RequestAttributes ParseRequestDocument(const std::string& document) {
  RequestAttributes attributes;
  attributes.fill("None");
  pugi::xml_document doc;
  if (!doc.load_string(document.c_str())) return attributes;
  pugi::xml_node data = doc.child("ViewData").child("ControlData");
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    pugi::xml_attribute a = data.attribute(("Attribute" + std::to_string(i + 1)).c_str());
    if (a) attributes[i] = a.value();
  }
  return attributes;
}

std::optional<std::string> ReadDocument(int code, const RequestAttributes& attributes, const DeviceState& s,
                                        const Measurements& m) {
  Pairs pairs;
  if (code == 1) {
    pairs = FromRegistry({"Tag", "Long Tag", "Descriptor", "Message", "Polling Address", "Final Assembly",
                          "DeviceSerialNumber", "Date", "Ordering_Code"},
                         s, m);
  } else if (code == 2) {
    pairs = FromRegistry({"Manufacturer Id", "Device Type", "Device Profile", "Private Label Distributor",
                          "Universal Revision", "Transmitter Revision", "Hardware Revision", "Software Version"},
                         s, m);
  } else if (code >= 3 && code <= 8) {
    pairs = FromRegistry(ChannelTags(code - 2, {"Type", "Connection", "ColdJunction", "Unit", "UpperRangeLimit",
                                                "LowerRangeLimit", "UpperRangeValue", "LowerRangeValue"}),
                         s, m);
  } else if (code == 9) {
    pairs = FromRegistry(
        {"ReqPreambles", "RespPreambles", "WriteProtect", "Polling_Address", "CurrentMode", "Loop_Alarm"}, s, m);
  } else if (code >= 10 && code <= 15) {
    pairs = FromRegistry(ChannelTags(code - 9, {"Type", "Connection", "ColdJunction"}), s, m);
  } else if (code == 16) {
    pairs = FromRegistry({"TempUnit"}, s, m);
  } else if (code == 17) {
    pairs = FromRegistry({"Display1", "Display2", "Display3", "Display4", "Display5", "Display6"}, s, m);
  } else if (code >= 18 && code <= 23) {
    pairs = FromRegistry(ChannelTags(code - 17, {"UpperRangeLimit", "LowerRangeLimit", "UpperRangeValue",
                                                 "LowerRangeValue", "MinSpan", "Unit"}),
                         s, m);
  } else if (code == 24) {
    pairs = FromRegistry({"LoopCurrent", "PercentRange", "PV", "SV", "TV", "PVUnit", "SVUnit", "TVUnit"}, s, m);
  } else if (code == 25) {
    pairs = FromRegistry({"Device Status", "DiagStatus", "DiagStatusByte1", "ChangeCounters"}, s, m);
  } else if (code == 26) {
    pairs = FromRegistry(
        {"ChangeSensorRange", "ChangeSensorTrim", "ChangeSensorConfig", "ChangeSensorUnit", "ChangeSensorDamping",
         "ChangeSensorCjunct", "ChangeCurrentTrim", "ChangeTempTrim", "ChangeTempUnit", "ChangeSoftWprotect",
         "ChangeDspVar", "ChangeFailSafe", "ChangeMultidrop", "ChangeVanDusen"},
        s, m);
  } else if (code == 27) {
    pairs = FromRegistry({"SnsMinTemp", "SnsMaxTemp", "VarLocalMinTemp", "VarLocalMaxTemp", "SensorMaxMin",
                          "TempMaxMin", "SensorUnit", "TempUnit"},
                         s, m);
  } else if (code == 28) {
    pairs = {{"Current", DeviceNumber(m.actualCurrent[CurrentOutput(attributes, s)])}};
  } else if (code == 29) {
    // The device temperature, for the temperature trim.
    pairs = {{"Unit Temp", Integer(s.localTempUnit)}, {"Temp", DeviceNumber(m.localTemp)}};
  } else if (code == 30) {
    pairs = FromRegistry({"BackupMode", "BackupSensor", "AverageMode"}, s, m);
  } else if (code == 31) {
    // Sensor 1, for the sensor trims.
    pairs = {{"Unit Temp", Integer(s.channels[0].unit)}, {"Temp", DeviceNumber(m.reading[0])}};
  } else if (code == 32) {
    std::array<std::pair<std::string, std::string>, 8> variables;
    for (int i = 0; i < 8; ++i) variables[i] = MonitoredVariable(attributes[i], s, m);
    for (int i = 0; i < 8; ++i) pairs.emplace_back("Var" + std::to_string(i + 1), variables[i].first);
    for (int i = 0; i < 8; ++i) pairs.emplace_back("Var" + std::to_string(i + 1) + "Unit", variables[i].second);
  } else if (code == 33) {
    pairs = FromRegistry(
        {"SnsUnit", "SnsTempHighLimit", "SnsTempLowLimit", "CoeffA", "CoeffB", "CoeffC", "CoeffRA", "Damping"}, s, m);
  } else {
    return std::nullopt;
  }
  return ParameterList(pairs);
}

std::string ResponseDocument(int responseCode) {
  Pairs pairs;
  for (int i = 1; i <= 5; ++i)
    pairs.emplace_back("Response Code " + std::to_string(i), Integer(i == 1 ? responseCode : 0));
  return ParameterList(pairs);
}

}  // namespace zolin6::driver
