// The tag registry of the simulated transmitter: how each tag of its
// parameter documents is read from the device state and how `sim set`
// changes it.

#include "driver/device_documents.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

#include "codecs/functions_hart.h"
#include "codecs/latin1.h"

namespace zolin6::driver {

namespace {

// The text the device writes for a number it has no valid value for.
constexpr std::string_view kNotANumber = "1.#QNAN";
// What the device reports for an extreme it has not recorded.
constexpr float kUnrecordedMinimum = 5000;
constexpr float kUnrecordedMaximum = -5000;

std::string Integer(long long value) { return std::to_string(value); }

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The identification record: tag (6 bytes) and descriptor (12 bytes) in
// packed ASCII, then day, month and year minus 1900, one byte each.
std::string IdentificationRecord(const Identification& id) {
  std::string tag = Upper(id.tag);
  std::string descriptor = Upper(id.descriptor);
  return codecs::PackAscii(tag, 8) + codecs::PackAscii(descriptor, 16) + codecs::ByteToHex(id.day & 0xFF) +
         codecs::ByteToHex(id.month & 0xFF) + codecs::ByteToHex((id.year - 1900) & 0xFF);
}

std::string PackedMessage(const Identification& id) {
  std::string message = Upper(id.message);
  return codecs::PackAscii(message, 32);
}

std::string LatinDigits(std::string text, int characters) { return codecs::AsciiToHex(text, characters); }

// An extreme in a channel's unit, or the unrecorded mark.
std::string ExtremeValue(const Extreme& extreme, float unrecorded, int baseUnit, int unit) {
  if (!extreme.recorded) return DeviceNumber(unrecorded);
  return DeviceNumber(static_cast<float>(ConvertValue(extreme.value, baseUnit, unit)));
}

int ChannelBaseUnit(const SensorChannel& channel) {
  const SensorTypeInfo* info = FindSensorType(channel.type);
  return BaseUnit(info == nullptr ? InputKind::Temperature : info->kind);
}

// --- The tag registry ----------------------------------------------------------

// How one tag is read from the device, and how `sim set` changes it (no
// setter: the value is measured, not kept).
struct TagAccess {
  std::function<std::string(const DeviceState&, const Measurements&)> get;
  std::function<std::string(const std::string&, DeviceState&, ProcessSimulation&)> set;
};
using Registry = std::map<std::string, TagAccess, std::less<>>;

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
auto IntegerSetter(Field field, long long low, long long high) {
  return [field, low, high](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    auto v = ParseInteger(text);
    if (!v) return kNotAnIntegerMessage;
    if (*v < low || *v > high) return "the value is out of range " + Integer(low) + " to " + Integer(high);
    field(s) = static_cast<std::remove_reference_t<decltype(field(s))>>(*v);
    return "";
  };
}
template <class Field>
auto NumberSetter(Field field) {
  return [field](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    auto v = ParseNumber(text);
    if (!v) return kNotANumberMessage;
    field(s) = *v;
    return "";
  };
}
template <class Field>
auto TextSetter(Field field, std::size_t length, bool packed) {
  return [field, length, packed](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
    std::string value = packed ? Upper(text) : text;
    if (codecs::CharacterCount(value) > length)
      return "the text is longer than " + Integer(static_cast<long long>(length)) + " characters";
    field(s) = value;
    return "";
  };
}

void AddIdentification(Registry& r) {
  auto id = [](auto member) {
    return [member](DeviceState & s) -> auto& { return s.identification.*member; };
  };
  auto record = [](const DeviceState& s, const Measurements&) { return IdentificationRecord(s.identification); };
  r["Tag"] = {record, TextSetter(id(&Identification::tag), 8, true)};
  r["Descriptor"] = {record, TextSetter(id(&Identification::descriptor), 16, true)};
  r["Date"] = {record, [](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                 int day = 0, month = 0, year = 0;
                 char a = 0, b = 0;
                 std::istringstream in(text);
                 if (!(in >> day >> a >> month >> b >> year) || a != '/' || b != '/' || !in.eof() || day < 1 ||
                     day > 31 || month < 1 || month > 12 || year < 1900 || year > 2155) {
                   return "the date is not day/month/year between 1900 and 2155";
                 }
                 s.identification.day = day;
                 s.identification.month = month;
                 s.identification.year = year;
                 return "";
               }};
  r["Message"] = {[](const DeviceState& s, const Measurements&) { return PackedMessage(s.identification); },
                  TextSetter(id(&Identification::message), 32, true)};
  r["Long Tag"] = {[](const DeviceState& s, const Measurements&) { return LatinDigits(s.identification.longTag, 32); },
                   TextSetter(id(&Identification::longTag), 32, false)};
  r["Ordering_Code"] = {
      [](const DeviceState& s, const Measurements&) { return LatinDigits(s.identification.orderingCode, 24); },
      TextSetter(id(&Identification::orderingCode), 24, false)};
  auto integer = [&](const char* tag, auto member, long long low, long long high) {
    r[tag] = {[member](const DeviceState& s, const Measurements&) { return Integer(s.identification.*member); },
              IntegerSetter(id(member), low, high)};
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
  auto field = [member](DeviceState & s) -> auto& { return s.*member; };
  r[tag] = {[member](const DeviceState& s, const Measurements&) { return Integer(s.*member); },
            IntegerSetter(field, low, high)};
}

void AddChannels(Registry& r) {
  for (int i = 0; i < kChannels; ++i) {
    const std::string p = "Sns" + std::to_string(i + 1);
    auto ch = [i](auto member) {
      return [ i, member ](DeviceState & s) -> auto& { return s.channels[i].*member; };
    };
    auto integer = [i](auto member) {
      return [i, member](const DeviceState& s, const Measurements&) { return Integer(s.channels[i].*member); };
    };
    auto number = [i](auto member) {
      return [i, member](const DeviceState& s, const Measurements&) { return DeviceNumber(s.channels[i].*member); };
    };
    r[p + "Type"] = {integer(&SensorChannel::type),
                     [i](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                       auto v = ParseInteger(text);
                       if (!v) return kNotAnIntegerMessage;
                       if (FindSensorType(static_cast<int>(*v)) == nullptr)
                         return "the device has no sensor type " + text;
                       ChangeSensorType(s.channels[i], static_cast<int>(*v));
                       return "";
                     }};
    r[p + "Connection"] = {integer(&SensorChannel::connection), IntegerSetter(ch(&SensorChannel::connection), 0, 255)};
    r[p + "ColdJunction"] = {integer(&SensorChannel::coldJunction),
                             IntegerSetter(ch(&SensorChannel::coldJunction), 0, 255)};
    r[p + "Unit"] = {integer(&SensorChannel::unit),
                     [i](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                       auto v = ParseInteger(text);
                       if (!v) return kNotAnIntegerMessage;
                       if (!UnitFitsSensor(static_cast<int>(*v), s.channels[i].type)) {
                         return "unit " + text + " does not fit the channel's sensor type";
                       }
                       ChangeChannelUnit(s.channels[i], static_cast<int>(*v));
                       return "";
                     }};
    r[p + "UpperRangeLimit"] = {number(&SensorChannel::upperRangeLimit),
                                NumberSetter(ch(&SensorChannel::upperRangeLimit))};
    r[p + "LowerRangeLimit"] = {number(&SensorChannel::lowerRangeLimit),
                                NumberSetter(ch(&SensorChannel::lowerRangeLimit))};
    r[p + "UpperRangeValue"] = {number(&SensorChannel::upperRangeValue),
                                NumberSetter(ch(&SensorChannel::upperRangeValue))};
    r[p + "LowerRangeValue"] = {number(&SensorChannel::lowerRangeValue),
                                NumberSetter(ch(&SensorChannel::lowerRangeValue))};
    r[p + "MinSpan"] = {number(&SensorChannel::minSpan), NumberSetter(ch(&SensorChannel::minSpan))};
    r[p + "Value"] = {[i](const DeviceState&, const Measurements& m) { return DeviceNumber(m.reading[i]); },
                      [i](const std::string& text, DeviceState& s, ProcessSimulation& process) -> std::string {
                        auto v = ParseNumber(text);
                        if (!v) return kNotANumberMessage;
                        process.SetLevel(i, *v, s);
                        return "";
                      }};
  }
}

void AddProcessAndStatus(Registry& r) {
  auto measured = [](auto value) {
    return TagAccess{[value](const DeviceState& s, const Measurements& m) { return value(s, m); }, nullptr};
  };
  r["LoopCurrent"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.loopCurrent[0]); });
  r["PercentRange"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.pvPercent); });
  r["PV"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.pv); });
  r["SV"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.sv); });
  r["TV"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.tv); });
  r["PVUnit"] = measured([](const DeviceState& s, const Measurements&) { return Integer(s.channels[0].unit); });
  r["SVUnit"] = measured([](const DeviceState& s, const Measurements&) { return Integer(s.channels[1].unit); });
  r["TVUnit"] = measured([](const DeviceState& s, const Measurements&) { return Integer(s.localTempUnit); });
  r["Current"] = measured([](const DeviceState&, const Measurements& m) { return DeviceNumber(m.actualCurrent[0]); });
  r["SensorUnit"] = measured([](const DeviceState& s, const Measurements&) { return Integer(s.channels[0].unit); });

  // The status bytes are worked out from the process; `sim set` forces
  // bits on besides.
  auto status = [](int Measurements::*computed, int DeviceState::*forced) {
    return TagAccess{[computed](const DeviceState&, const Measurements& m) { return Integer(m.*computed); },
                     IntegerSetter([forced](DeviceState& s) -> int& { return s.*forced; }, 0, 255)};
  };
  r["Device Status"] = status(&Measurements::deviceStatus, &DeviceState::forcedDeviceStatus);
  r["DiagStatus"] = status(&Measurements::diagStatus, &DeviceState::forcedDiagStatus);
  r["DiagStatusByte1"] = status(&Measurements::diagStatusByte1, &DeviceState::forcedDiagStatusByte1);
  AddSetting(r, "ChangeCounters", &DeviceState::configChangeCounter, 0, 65535);

  static constexpr std::array<const char*, kChangeCounterCount> kCounterTags{
      "ChangeSensorRange",  "ChangeSensorTrim",  "ChangeSensorConfig", "ChangeSensorUnit", "ChangeSensorDamping",
      "ChangeSensorCjunct", "ChangeCurrentTrim", "ChangeTempTrim",     "ChangeTempUnit",   "ChangeSoftWprotect",
      "ChangeDspVar",       "ChangeFailSafe",    "ChangeMultidrop",    "ChangeVanDusen"};
  for (int i = 0; i < kChangeCounterCount; ++i) {
    r[kCounterTags[i]] = {[i](const DeviceState& s, const Measurements&) { return Integer(s.changeCounters[i]); },
                          IntegerSetter([i](DeviceState& s) -> int& { return s.changeCounters[i]; }, 0, 65535)};
  }

  // Extremes: sensor 1's in its unit, the device temperature's in the local
  // temperature unit; setting one records it.
  auto extreme = [](Extreme DeviceState::*member, float unrecorded, bool sensor) {
    auto units = [sensor](const DeviceState& s) {
      return sensor ? std::pair{ChannelBaseUnit(s.channels[0]), s.channels[0].unit}
                    : std::pair{kUnitDegC, s.localTempUnit};
    };
    return TagAccess{[=](const DeviceState& s, const Measurements&) {
                       auto [base, unit] = units(s);
                       return ExtremeValue(s.*member, unrecorded, base, unit);
                     },
                     [=](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                       auto v = ParseNumber(text);
                       if (!v) return kNotANumberMessage;
                       auto [base, unit] = units(s);
                       s.*member = {true, static_cast<float>(ConvertValue(*v, unit, base))};
                       return "";
                     }};
  };
  r["SnsMinTemp"] = extreme(&DeviceState::sensorMin, kUnrecordedMinimum, true);
  r["SnsMaxTemp"] = extreme(&DeviceState::sensorMax, kUnrecordedMaximum, true);
  r["VarLocalMinTemp"] = extreme(&DeviceState::localMin, kUnrecordedMinimum, false);
  r["VarLocalMaxTemp"] = extreme(&DeviceState::localMax, kUnrecordedMaximum, false);
  r["LocalTemp"] = {[](const DeviceState&, const Measurements& m) { return DeviceNumber(m.localTemp); },
                    [](const std::string& text, DeviceState& s, ProcessSimulation& process) -> std::string {
                      auto v = ParseNumber(text);
                      if (!v) return kNotANumberMessage;
                      process.SetLocalLevel(*v, s);
                      return "";
                    }};
}

void AddSettings(Registry& r) {
  AddSetting(r, "ReqPreambles", &DeviceState::requestPreambles, 5, 20);
  AddSetting(r, "RespPreambles", &DeviceState::responsePreambles, 5, 20);
  AddSetting(r, "WriteProtect", &DeviceState::writeProtect, 0, 255);
  AddSetting(r, "CurrentMode", &DeviceState::loopCurrentMode, 0, 1);
  AddSetting(r, "Loop_Alarm", &DeviceState::loopAlarm, 0, 255);
  r["TempUnit"] = {[](const DeviceState& s, const Measurements&) { return Integer(s.localTempUnit); },
                   [](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                     auto v = ParseInteger(text);
                     if (!v) return kNotAnIntegerMessage;
                     if (UnitKind(static_cast<int>(*v)) != InputKind::Temperature)
                       return "unit " + text + " is no temperature unit";
                     s.localTempUnit = static_cast<int>(*v);
                     return "";
                   }};
  for (int i = 0; i < 6; ++i) {
    r["Display" + std::to_string(i + 1)] = {
        [i](const DeviceState& s, const Measurements&) { return Integer(s.displays[i]); },
        IntegerSetter([i](DeviceState& s) -> int& { return s.displays[i]; }, 0, 255)};
  }
  AddSetting(r, "BackupMode", &DeviceState::backupMode, 0, 1);
  AddSetting(r, "BackupSensor", &DeviceState::backupSensor, 1, 5);
  AddSetting(r, "AverageMode", &DeviceState::averageMode, 0, 1);
  AddSetting(r, "SensorMaxMin", &DeviceState::sensorMaxMin, 0, 1);
  AddSetting(r, "TempMaxMin", &DeviceState::tempMaxMin, 0, 1);

  auto parameter = [&r](const char* tag, float SensorParameters::*member) {
    r[tag] = {[member](const DeviceState& s, const Measurements&) { return DeviceNumber(s.sensorParameters.*member); },
              NumberSetter([member](DeviceState& s) -> float& { return s.sensorParameters.*member; })};
  };
  parameter("SnsTempHighLimit", &SensorParameters::highLimit);
  parameter("SnsTempLowLimit", &SensorParameters::lowLimit);
  parameter("CoeffA", &SensorParameters::coeffA);
  parameter("CoeffB", &SensorParameters::coeffB);
  parameter("CoeffC", &SensorParameters::coeffC);
  parameter("CoeffRA", &SensorParameters::coeffR0);
  parameter("Damping", &SensorParameters::damping);
  r["SnsUnit"] = {[](const DeviceState& s, const Measurements&) { return Integer(s.sensorParameters.unit); },
                  [](const std::string& text, DeviceState& s, ProcessSimulation&) -> std::string {
                    auto v = ParseInteger(text);
                    if (!v) return kNotAnIntegerMessage;
                    if (UnitKind(static_cast<int>(*v)) != InputKind::Temperature)
                      return "unit " + text + " is no temperature unit";
                    s.sensorParameters.unit = static_cast<int>(*v);
                    return "";
                  }};
}

const Registry& Tags() {
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

std::optional<std::string> TagValue(std::string_view tag, const DeviceState& state, const Measurements& measurements) {
  const Registry& tags = Tags();
  auto it = tags.find(tag);
  if (it == tags.end()) return std::nullopt;
  return it->second.get(state, measurements);
}

std::string SetDeviceValue(std::string_view tag, const std::string& value, DeviceState& state,
                           ProcessSimulation& process) {
  const Registry& tags = Tags();
  auto it = tags.find(tag);
  if (it == tags.end()) return "the device has no value " + std::string(tag);
  if (!it->second.set) return std::string(tag) + " is measured by the device and cannot be set";
  return it->second.set(value, state, process);
}

}  // namespace zolin6::driver
