// The values a bench can change on the simulated transmitter, by the tag
// names of the transmitter's parameter documents, which the scenarios' `sim
// set` lines and the documentation use. The values are given as those
// documents carry them (codes and numbers in decimal, "." as decimal point),
// except that texts are plain text and the date is day/month/year.

#include "device/bench_values.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

namespace zolin6::device {

namespace {

std::string Integer(long long value) { return std::to_string(value); }

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// Characters of a UTF-8 text: every byte but the continuation bytes.
std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(text, [](unsigned char c) { return (c & 0xC0U) != 0x80U; }));
}

int ChannelBaseUnit(const SensorChannel& channel) {
  const SensorTypeInfo* info = FindSensorType(channel.type);
  return BaseUnit(info == nullptr ? InputKind::Temperature : info->kind);
}

// How `sim set` changes a value; none for a value the device measures.
using Setter = std::function<std::string(const std::string&, DeviceState&, ProcessSimulation&)>;
using Registry = std::map<std::string, Setter, std::less<>>;

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<float> ParseNumber(std::string_view text) {
  float value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

const std::string kNotAnIntegerMessage = "the value is not an integer";
const std::string kNotANumberMessage = "the value is not a number";

// Setters for the common value kinds.
template <class Field>
Setter IntegerSetter(Field field, long long low, long long high) {
  return [field, low, high](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    auto v = ParseInteger(text);
    if (!v) return kNotAnIntegerMessage;
    if (*v < low || *v > high) return "the value is out of range " + Integer(low) + " to " + Integer(high);
    field(s) = static_cast<std::remove_reference_t<decltype(field(s))>>(*v);
    return "";
  };
}
template <class Field>
Setter NumberSetter(Field field) {
  return [field](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    auto v = ParseNumber(text);
    if (!v) return kNotANumberMessage;
    field(s) = *v;
    return "";
  };
}
template <class Field>
Setter TextSetter(Field field, std::size_t length, bool packed) {
  return [field, length, packed](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    std::string value = packed ? Upper(text) : text;
    if (CharacterCount(value) > length)
      return "the text is longer than " + Integer(static_cast<long long>(length)) + " characters";
    field(s) = value;
    return "";
  };
}
// A temperature unit for a value kept in `field`.
template <class Field>
Setter TemperatureUnitSetter(Field field) {
  return [field](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    auto v = ParseInteger(text);
    if (!v) return kNotAnIntegerMessage;
    if (UnitKind(static_cast<int>(*v)) != InputKind::Temperature) return "unit " + text + " is no temperature unit";
    field(s) = static_cast<int>(*v);
    return "";
  };
}

void AddIdentification(Registry& r) {
  auto id = [](auto member) {
    return [member](DeviceState & s) -> auto& { return s.identification.*member; };
  };
  r["Tag"] = TextSetter(id(&Identification::tag), 8, true);
  r["Descriptor"] = TextSetter(id(&Identification::descriptor), 16, true);
  r["Date"] = [](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    int day = 0, month = 0, year = 0;
    char a = 0, b = 0;
    std::istringstream in(text);
    if (!(in >> day >> a >> month >> b >> year) || a != '/' || b != '/' || !in.eof() || day < 1 || day > 31 ||
        month < 1 || month > 12 || year < 1900 || year > 2155) {
      return "the date is not day/month/year between 1900 and 2155";
    }
    s.identification.day = day;
    s.identification.month = month;
    s.identification.year = year;
    return "";
  };
  r["Message"] = TextSetter(id(&Identification::message), 32, true);
  r["Long Tag"] = TextSetter(id(&Identification::longTag), 32, false);
  r["Ordering_Code"] = TextSetter(id(&Identification::orderingCode), 24, false);
  auto integer = [&](const char* tag, auto member, long long low, long long high) {
    r[tag] = IntegerSetter(id(member), low, high);
  };
  integer("Polling Address", &Identification::pollingAddress, 0, 63);
  integer("Polling_Address", &Identification::pollingAddress, 0, 63);
  integer("Final Assembly", &Identification::finalAssembly, 0, 0xFFFFFF);
  integer("DeviceSerialNumber", &Identification::serialNumber, 0, 0xFFFFFF);
  integer("Manufacturer Id", &Identification::manufacturerId, 0, 65535);
  integer("Device Type", &Identification::deviceType, 0, 65535);
  integer("Device Profile", &Identification::deviceProfile, 0, 255);
  integer("Private Label Distributor", &Identification::privateLabel, 0, 65535);
  integer("Universal Revision", &Identification::universalRevision, 0, 255);
  integer("Transmitter Revision", &Identification::transmitterRevision, 0, 255);
  integer("Hardware Revision", &Identification::hardwareRevision, 0, 255);
  integer("Software Version", &Identification::softwareVersion, 0, 255);
}

// A setting kept as one integer of the device state.
template <class Member>
void AddSetting(Registry& r, const std::string& tag, Member member, long long low, long long high) {
  r[tag] = IntegerSetter(
      [member](DeviceState & s) -> auto& { return s.*member; }, low, high);
}

void AddChannels(Registry& r) {
  for (int i = 0; i < kChannels; ++i) {
    const std::string p = "Sns" + std::to_string(i + 1);
    auto ch = [i](auto member) {
      return [ i, member ](DeviceState & s) -> auto& { return s.channels[i].*member; };
    };
    r[p + "Type"] = [i](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
      auto v = ParseInteger(text);
      if (!v) return kNotAnIntegerMessage;
      if (FindSensorType(static_cast<int>(*v)) == nullptr) return "the device has no sensor type " + text;
      ChangeSensorType(s.channels[i], static_cast<int>(*v));
      return "";
    };
    r[p + "Connection"] = IntegerSetter(ch(&SensorChannel::connection), 0, 255);
    r[p + "ColdJunction"] = IntegerSetter(ch(&SensorChannel::coldJunction), 0, 255);
    r[p + "Unit"] = [i](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
      auto v = ParseInteger(text);
      if (!v) return kNotAnIntegerMessage;
      if (!UnitFitsSensor(static_cast<int>(*v), s.channels[i].type)) {
        return "unit " + text + " does not fit the channel's sensor type";
      }
      ChangeChannelUnit(s.channels[i], static_cast<int>(*v));
      return "";
    };
    r[p + "UpperRangeLimit"] = NumberSetter(ch(&SensorChannel::upperRangeLimit));
    r[p + "LowerRangeLimit"] = NumberSetter(ch(&SensorChannel::lowerRangeLimit));
    r[p + "UpperRangeValue"] = NumberSetter(ch(&SensorChannel::upperRangeValue));
    r[p + "LowerRangeValue"] = NumberSetter(ch(&SensorChannel::lowerRangeValue));
    r[p + "MinSpan"] = NumberSetter(ch(&SensorChannel::minSpan));
    r[p + "Value"] = [i](const std::string& text, DeviceState& s, ProcessSimulation& process) -> std::string {
      auto v = ParseNumber(text);
      if (!v) return kNotANumberMessage;
      process.SetLevel(i, *v, s);
      return "";
    };
  }
}

void AddProcessAndStatus(Registry& r) {
  // Measured by the device: named, but not set.
  for (const char* measured :
       {"LoopCurrent", "PercentRange", "PV", "SV", "TV", "PVUnit", "SVUnit", "TVUnit", "Current", "SensorUnit"}) {
    r[measured] = nullptr;
  }
  // The status bytes are worked out from the process; `sim set` forces
  // bits on besides.
  AddSetting(r, "Device Status", &DeviceState::forcedDeviceStatus, 0, 255);
  AddSetting(r, "DiagStatus", &DeviceState::forcedDiagStatus, 0, 255);
  AddSetting(r, "DiagStatusByte1", &DeviceState::forcedDiagStatusByte1, 0, 255);
  AddSetting(r, "ChangeCounters", &DeviceState::configChangeCounter, 0, 65535);

  static constexpr std::array<const char*, kChangeCounterCount> kCounterTags{
      "ChangeSensorRange",  "ChangeSensorTrim",  "ChangeSensorConfig", "ChangeSensorUnit", "ChangeSensorDamping",
      "ChangeSensorCjunct", "ChangeCurrentTrim", "ChangeTempTrim",     "ChangeTempUnit",   "ChangeSoftWprotect",
      "ChangeDspVar",       "ChangeFailSafe",    "ChangeMultidrop",    "ChangeVanDusen"};
  for (int i = 0; i < kChangeCounterCount; ++i) {
    r[kCounterTags[i]] = IntegerSetter([i](DeviceState& s) -> int& { return s.changeCounters[i]; }, 0, 65535);
  }

  // Extremes: sensor 1's in its unit, the device temperature's in the local
  // temperature unit; setting one records it.
  auto extreme = [](Extreme DeviceState::*member, bool sensor) -> Setter {
    return [=](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
      auto v = ParseNumber(text);
      if (!v) return kNotANumberMessage;
      const auto [base, unit] = sensor ? std::pair{ChannelBaseUnit(s.channels[0]), s.channels[0].unit}
                                       : std::pair{kUnitDegC, s.localTempUnit};
      s.*member = {true, static_cast<float>(ConvertValue(*v, unit, base))};
      return "";
    };
  };
  r["SnsMinTemp"] = extreme(&DeviceState::sensorMin, true);
  r["SnsMaxTemp"] = extreme(&DeviceState::sensorMax, true);
  r["VarLocalMinTemp"] = extreme(&DeviceState::localMin, false);
  r["VarLocalMaxTemp"] = extreme(&DeviceState::localMax, false);
  r["LocalTemp"] = [](const std::string& text, DeviceState& s, ProcessSimulation& process) -> std::string {
    auto v = ParseNumber(text);
    if (!v) return kNotANumberMessage;
    process.SetLocalLevel(*v, s);
    return "";
  };
}

void AddSettings(Registry& r) {
  AddSetting(r, "ReqPreambles", &DeviceState::requestPreambles, 5, 20);
  AddSetting(r, "RespPreambles", &DeviceState::responsePreambles, 5, 20);
  AddSetting(r, "WriteProtect", &DeviceState::writeProtect, 0, 255);
  AddSetting(r, "CurrentMode", &DeviceState::loopCurrentMode, 0, 1);
  AddSetting(r, "Loop_Alarm", &DeviceState::loopAlarm, 0, 255);
  r["TempUnit"] = TemperatureUnitSetter([](DeviceState& s) -> int& { return s.localTempUnit; });
  for (int i = 0; i < 6; ++i) {
    r["Display" + std::to_string(i + 1)] = IntegerSetter([i](DeviceState& s) -> int& { return s.displays[i]; }, 0, 255);
  }
  AddSetting(r, "BackupMode", &DeviceState::backupMode, 0, 1);
  AddSetting(r, "BackupSensor", &DeviceState::backupSensor, 1, 5);
  AddSetting(r, "AverageMode", &DeviceState::averageMode, 0, 1);
  AddSetting(r, "SensorMaxMin", &DeviceState::sensorMaxMin, 0, 1);
  AddSetting(r, "TempMaxMin", &DeviceState::tempMaxMin, 0, 1);

  auto parameter = [&r](const char* tag, float SensorParameters::*member) {
    r[tag] = NumberSetter([member](DeviceState& s) -> float& { return s.sensorParameters.*member; });
  };
  parameter("SnsTempHighLimit", &SensorParameters::highLimit);
  parameter("SnsTempLowLimit", &SensorParameters::lowLimit);
  parameter("CoeffA", &SensorParameters::coeffA);
  parameter("CoeffB", &SensorParameters::coeffB);
  parameter("CoeffC", &SensorParameters::coeffC);
  parameter("CoeffRA", &SensorParameters::coeffR0);
  parameter("Damping", &SensorParameters::damping);
  r["SnsUnit"] = TemperatureUnitSetter([](DeviceState& s) -> int& { return s.sensorParameters.unit; });
}

const Registry& Values() {
  static const Registry registry = [] {
    Registry r;
    AddIdentification(r);
    AddChannels(r);
    AddProcessAndStatus(r);
    AddSettings(r);
    return r;
  }();
  return registry;
}

}  // namespace

std::string SetBenchValue(std::string_view tag, const std::string& value, DeviceState& state,
                          ProcessSimulation& process) {
  const Registry& values = Values();
  auto it = values.find(tag);
  if (it == values.end()) return "the device has no value " + std::string(tag);
  if (!it->second) return std::string(tag) + " is measured by the device and cannot be set";
  return it->second(value, state, process);
}

}  // namespace zolin6::device
