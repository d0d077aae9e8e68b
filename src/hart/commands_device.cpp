// The transmitter's device-specific commands. Sensor channels are bytes 0-5
// (255: all six at once), outputs 2-6 are bytes 1-5, numbers are singles in
// the channel's unit. Trims, fixed currents and resets act each time they
// arrive, so they are NotRepeatable and the master never resends them.

#include "hart/commands_device.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>

namespace zolin6::hart {

namespace {

constexpr std::array kIdentity{Latin1("ordering code", 24), U24("serial number")};
constexpr std::array kChannel{U8("channel")};
constexpr std::array kChannelConfiguration{
    U8("channel"),
    U8("sensor type"),
    U8("connection"),
    U8("cold junction"),
    U8("unit"),
    F32("upper range limit"),
    F32("lower range limit"),
    F32("upper range value"),
    F32("lower range value"),
    F32("minimum span"),
};
// The alarm limits came with the channel 1 write; without them the sensor
// write is 4 bytes.
constexpr std::array kChannelSensor{
    U8("channel"),           U8("sensor type"),      U8("connection"),  U8("cold junction"),
    F32("high alarm limit"), F32("low alarm limit"), U8("limits unit"),
};
constexpr std::size_t kChannelSensorRequired = 4;
constexpr std::array kChannelRange{U8("channel"), U8("unit"), F32("upper range value"), F32("lower range value")};
constexpr std::array kVariableUnit{U8("device variable"), U8("unit")};
constexpr std::array kSensorParameters{
    U8("limits unit"),
    F32("high alarm limit"),
    F32("low alarm limit"),
    F32("coefficient a"),
    F32("coefficient b"),
    F32("coefficient c"),
    F32("r0"),
    F32("damping"),  // r0 in ohm, damping in s
};
constexpr std::array kDisplayLines{U8("line 1"), U8("line 2"), U8("line 3"), U8("line 4"), U8("line 5"), U8("line 6")};
constexpr std::array kSpecialFunctions{U8("backup mode"), U8("backup sensor"), U8("average mode")};
constexpr std::array kProtectionAndAlarm{U8("write protect"), U8("loop alarm")};
// In the order the diagnosis page lists them.
constexpr std::array kChangeCounters{
    U16("sensor range"),  U16("sensor trim"),      U16("sensor config"),
    U16("sensor unit"),   U16("sensor damping"),   U16("sensor cold junction"),
    U16("current trim"),  U16("temperature trim"), U16("temperature unit"),
    U16("write protect"), U16("display"),          U16("loop alarm"),
    U16("multidrop"),     U16("van dusen"),
};
constexpr std::array kExtremes{
    F32("sensor minimum"), F32("sensor maximum"), F32("device minimum"), F32("device maximum"),
    U8("sensor recorded"), U8("device recorded"), U8("sensor unit"),     U8("device unit"),
};
constexpr std::array kExtremeRecording{U8("sensor recorded"), U8("device recorded")};
constexpr std::array kExtremeSelection{U8("selection")};  // 0 sensor 1, 1 device temperature
// Per output: bit 0 of the flags says "held at a fixed current"; currents in mA.
constexpr std::array kOutputCurrent{U8("flags"), F32("drive current"), F32("loop current")};
constexpr std::uint8_t kOutputs = 6;
constexpr std::array kFixedCurrent{U8("output"), F32("current")};  // 0 mA releases
constexpr std::array kOutputTrim{U8("output"), U8("trim point"), F32("measured current")};
constexpr std::array kSensorTrim{U8("channel"), U8("trim point"), U8("unit"), F32("value")};
constexpr std::array kDeviceTemperatureTrim{U8("unit"), F32("value")};
constexpr std::array kFactoryTrim{U8("input"), F32("reference")};  // input 0 mV, 1 ohm

constexpr Effect kOnce = Effect::NotRepeatable;

constexpr std::array kDeviceSpecific{
    CommandLayout{128, "read ordering code and serial number", kNoFields, Fixed(kIdentity)},
    CommandLayout{129, "read channel configuration", Fixed(kChannel), Fixed(kChannelConfiguration)},
    CommandLayout{130, "write channel sensor", Optional(kChannelSensor, kChannelSensorRequired),
                  Optional(kChannelSensor, kChannelSensorRequired)},
    CommandLayout{131, "write channel range", Fixed(kChannelRange), Fixed(kChannelRange)},
    CommandLayout{132, "write variable unit", Fixed(kVariableUnit), Fixed(kVariableUnit)},
    CommandLayout{133, "read sensor parameters", kNoFields, Fixed(kSensorParameters)},
    CommandLayout{134, "write sensor parameters", Fixed(kSensorParameters), Fixed(kSensorParameters)},
    CommandLayout{135, "read display lines", kNoFields, Fixed(kDisplayLines)},
    CommandLayout{136, "write display lines", Fixed(kDisplayLines), Fixed(kDisplayLines)},
    CommandLayout{137, "read special functions", kNoFields, Fixed(kSpecialFunctions)},
    CommandLayout{138, "write special functions", Fixed(kSpecialFunctions), Fixed(kSpecialFunctions)},
    CommandLayout{139, "write protection and loop alarm", Fixed(kProtectionAndAlarm), Fixed(kProtectionAndAlarm)},
    CommandLayout{140, "read change counters", kNoFields, Fixed(kChangeCounters)},
    CommandLayout{141, "reset change counters", kNoFields, kNoFields, kOnce},
    CommandLayout{142, "read temperature extremes", kNoFields, Fixed(kExtremes)},
    CommandLayout{143, "write extreme recording", Fixed(kExtremeRecording), Fixed(kExtremeRecording)},
    CommandLayout{144, "reset temperature extremes", Fixed(kExtremeSelection), Fixed(kExtremeSelection), kOnce},
    CommandLayout{145, "read output currents", kNoFields, Repeated({}, kOutputCurrent, kOutputs, kOutputs)},
    CommandLayout{146, "write fixed current of outputs 2-6", Fixed(kFixedCurrent), Fixed(kFixedCurrent), kOnce},
    CommandLayout{147, "trim current of outputs 2-6", Fixed(kOutputTrim), Fixed(kOutputTrim), kOnce},
    CommandLayout{148, "trim sensor", Fixed(kSensorTrim), Fixed(kSensorTrim), kOnce},
    CommandLayout{149, "trim device temperature", Fixed(kDeviceTemperatureTrim), Fixed(kDeviceTemperatureTrim), kOnce},
    CommandLayout{150, "factory trim", Fixed(kFactoryTrim), Fixed(kFactoryTrim), kOnce},
    CommandLayout{151, "restore factory configuration", kNoFields, kNoFields, kOnce},
};

Error NoLayout(std::uint16_t number) { return {"command " + std::to_string(number) + ": no layout known"}; }

}  // namespace

std::span<const CommandLayout> DeviceSpecificCommands() { return kDeviceSpecific; }

const CommandLayout* FindDeviceCommand(std::uint16_t number) {
  const auto found = std::ranges::find(kDeviceSpecific, number, &CommandLayout::number);
  return found != kDeviceSpecific.end() ? &*found : FindCommand(number);
}

Result<Bytes> BuildDeviceRequest(std::uint16_t command, const Record& fields) {
  const CommandLayout* layout = FindDeviceCommand(command);
  if (layout == nullptr) return NoLayout(command);
  return BuildRequest(*layout, fields);
}

Result<Record> ParseDeviceReply(std::uint16_t command, const ReplyStatus& status, ByteView data) {
  const CommandLayout* layout = FindDeviceCommand(command);
  if (layout == nullptr) return NoLayout(command);
  return ParseReply(*layout, status, data);
}

std::size_t FixedSize(const Layout& layout) {
  return std::accumulate(layout.fields.begin(), layout.fields.end(), std::size_t{0},
                         [](std::size_t sum, const Field& field) { return sum + field.size; });
}

}  // namespace zolin6::hart
