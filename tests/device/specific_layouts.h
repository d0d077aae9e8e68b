#pragma once
// The device-specific commands 128-151 as the command reference lays them
// out, written here from the reference alone so the tests read the device's
// replies with the HART layer's one codec, not with the device's own code.

#include <array>

#include "hart/layout.h"

namespace zolin6::device::testing {

using namespace hart;

inline constexpr std::array kOrdering{Latin1("ordering code", 24), U24("serial number")};
inline constexpr std::array kChannel{U8("channel")};
inline constexpr std::array kChannelConfiguration{
    U8("channel"),      U8("sensor type"),  U8("connection"),         U8("cold junction"),      U8("unit"),
    F32("upper limit"), F32("lower limit"), F32("upper range value"), F32("lower range value"), F32("minimum span")};
inline constexpr std::array kSensor{U8("channel"),     U8("sensor type"), U8("connection"), U8("cold junction"),
                                    F32("high limit"), F32("low limit"),  U8("limits unit")};
inline constexpr std::array kRange{U8("channel"), U8("unit"), F32("upper range value"), F32("lower range value")};
inline constexpr std::array kVariableUnit{U8("variable"), U8("unit")};
inline constexpr std::array kSensorParameters{U8("unit"), F32("high limit"), F32("low limit"), F32("A"),
                                              F32("B"),   F32("C"),          F32("R0"),        F32("damping")};
inline constexpr std::array kDisplays{U8("line 1"), U8("line 2"), U8("line 3"),
                                      U8("line 4"), U8("line 5"), U8("line 6")};
inline constexpr std::array kSpecial{U8("backup mode"), U8("backup sensor"), U8("average mode")};
inline constexpr std::array kProtection{U8("write protect"), U8("loop alarm")};
inline constexpr std::array kCounter{U16("counter")};
inline constexpr std::array kExtremes{F32("sensor minimum"), F32("sensor maximum"), F32("device minimum"),
                                      F32("device maximum"), U8("sensor recorded"), U8("device recorded"),
                                      U8("sensor unit"),     U8("device unit")};
inline constexpr std::array kRecording{U8("sensor recorded"), U8("device recorded")};
inline constexpr std::array kSelection{U8("selection")};
inline constexpr std::array kOutputCurrent{U8("flags"), F32("current"), F32("loop current")};
inline constexpr std::array kFixedCurrent{U8("output"), F32("current")};
inline constexpr std::array kCurrentTrim{U8("output"), U8("point"), F32("measured")};
inline constexpr std::array kSensorTrim{U8("channel"), U8("point"), U8("unit"), F32("value")};
inline constexpr std::array kUnitValue{U8("unit"), F32("value")};
inline constexpr std::array kFactoryTrim{U8("input"), F32("value")};

inline constexpr std::array kSpecific{
    CommandLayout{128, "read ordering code", kNoFields, Fixed(kOrdering)},
    CommandLayout{129, "read channel", Fixed(kChannel), Fixed(kChannelConfiguration)},
    CommandLayout{130, "write channel sensor", Optional(kSensor, 4), Optional(kSensor, 4)},
    CommandLayout{131, "write channel range", Fixed(kRange), Fixed(kRange)},
    CommandLayout{132, "write variable unit", Fixed(kVariableUnit), Fixed(kVariableUnit)},
    CommandLayout{133, "read sensor parameters", kNoFields, Fixed(kSensorParameters)},
    CommandLayout{134, "write sensor parameters", Fixed(kSensorParameters), Fixed(kSensorParameters)},
    CommandLayout{135, "read display lines", kNoFields, Fixed(kDisplays)},
    CommandLayout{136, "write display lines", Fixed(kDisplays), Fixed(kDisplays)},
    CommandLayout{137, "read special functions", kNoFields, Fixed(kSpecial)},
    CommandLayout{138, "write special functions", Fixed(kSpecial), Fixed(kSpecial)},
    CommandLayout{139, "write protection and loop alarm", Fixed(kProtection), Fixed(kProtection)},
    CommandLayout{140, "read change counters", kNoFields, Repeated({}, kCounter, 14, 14)},
    CommandLayout{141, "reset change counters", kNoFields, kNoFields},
    CommandLayout{142, "read temperature extremes", kNoFields, Fixed(kExtremes)},
    CommandLayout{143, "write extreme recording", Fixed(kRecording), Fixed(kRecording)},
    CommandLayout{144, "reset temperature extremes", Fixed(kSelection), Fixed(kSelection)},
    CommandLayout{145, "read output currents", kNoFields, Repeated({}, kOutputCurrent, 6, 6)},
    CommandLayout{146, "write fixed current", Fixed(kFixedCurrent), Fixed(kFixedCurrent)},
    CommandLayout{147, "trim output current", Fixed(kCurrentTrim), Fixed(kCurrentTrim)},
    CommandLayout{148, "trim sensor", Fixed(kSensorTrim), Fixed(kSensorTrim)},
    CommandLayout{149, "trim device temperature", Fixed(kUnitValue), Fixed(kUnitValue)},
    CommandLayout{150, "factory trim", Fixed(kFactoryTrim), Fixed(kFactoryTrim)},
    CommandLayout{151, "restore factory configuration", kNoFields, kNoFields},
};

// The layout of any command the device answers, or nullptr.
inline const CommandLayout* LayoutOf(std::uint16_t number) {
  for (const CommandLayout& layout : kSpecific) {
    if (layout.number == number) return &layout;
  }
  return FindCommand(number);
}

}  // namespace zolin6::device::testing
