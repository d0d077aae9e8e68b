// The universal commands every HART device answers. Reply layouts begin after
// the two status bytes; they were checked against replies captured from
// devices and gateways of other makers, not only against our own device.

#include <array>

#include "hart/identifier_fields.h"
#include "hart/layout.h"

namespace zolin6::hart {

namespace {

constexpr std::array kPrimaryVariable{U8("pv units"), F32("pv")};
constexpr std::array kLoopCurrentAndPercent{F32("loop current"), F32("percent of range")};
constexpr std::array kLoopCurrent{F32("loop current")};
constexpr std::array kUnitsAndValue{U8("units"), F32("value")};
constexpr std::array kLoopConfiguration{U8("polling address"), U8("loop current mode")};
constexpr std::array kClassifications{U8("pv classification"), U8("sv classification"), U8("tv classification"),
                                      U8("qv classification")};
constexpr std::array kDeviceVariable{U8("device variable")};
constexpr std::array kExtendedStatus{U8("extended device status")};
constexpr std::array kVariableWithStatus{U8("device variable"), U8("classification"), U8("units"), F32("value"),
                                         U8("status")};
constexpr std::array kTimeStamp{U32("time stamp")};  // 1/32 ms
constexpr std::array kTag{Packed("tag", 6)};
constexpr std::array kMessage{Packed("message", 24)};
constexpr std::array kTagDescriptorDate{Packed("tag", 6), Packed("descriptor", 12), DateField("date")};
constexpr std::array kTransducer{U24("transducer serial number"), U8("limits units"), F32("upper limit"),
                                 F32("lower limit"), F32("minimum span")};
// The analog channel flags came with HART 6.
constexpr std::array kOutputInformation{U8("alarm selection"),    U8("transfer function"),  U8("range units"),
                                        F32("upper range value"), F32("lower range value"), F32("damping"),
                                        U8("write protect"),      U8("reserved"),           U8("analog channel flags")};
constexpr std::size_t kHart5OutputFields = 8;
constexpr std::array kFinalAssembly{U24("final assembly number")};
constexpr std::array kLongTag{Latin1("long tag", 32)};
// Sent without the counter by hosts older than HART 7.
constexpr std::array kChangeCounter{U16("configuration change counter")};
// Older devices send only the device-specific bytes; a HART 7 host sends back
// what it last read, an older one nothing.
constexpr std::array kAdditionalStatus{
    Raw("device-specific status", 6),
    U8("extended device status"),
    U8("operating mode"),
    U8("standardized status 0"),
    U8("standardized status 1"),
    U8("analog channel saturated"),
    U8("standardized status 2"),
    U8("standardized status 3"),
    U8("analog channel fixed"),
    Raw("more device-specific status", 11),
};

constexpr std::array kUniversal{
    CommandLayout{0, "read unique identifier", kNoFields, Optional(kUniqueIdentifier, kHart5IdentifierFields)},
    CommandLayout{1, "read primary variable", kNoFields, Fixed(kPrimaryVariable)},
    CommandLayout{2, "read loop current and percent of range", kNoFields, Fixed(kLoopCurrentAndPercent)},
    CommandLayout{3, "read dynamic variables and loop current", kNoFields,
                  Repeated(kLoopCurrent, kUnitsAndValue, 1, 4)},
    CommandLayout{6, "write polling address", Optional(kLoopConfiguration, 1), Optional(kLoopConfiguration, 1)},
    CommandLayout{7, "read loop configuration", kNoFields, Fixed(kLoopConfiguration)},
    CommandLayout{8, "read dynamic variable classifications", kNoFields, Fixed(kClassifications)},
    CommandLayout{9, "read device variables with status", Repeated({}, kDeviceVariable, 1, 8),
                  Repeated(kExtendedStatus, kVariableWithStatus, 1, 8, kTimeStamp)},
    CommandLayout{11, "read unique identifier by tag", Fixed(kTag),
                  Optional(kUniqueIdentifier, kHart5IdentifierFields)},
    CommandLayout{12, "read message", kNoFields, Fixed(kMessage)},
    CommandLayout{13, "read tag, descriptor and date", kNoFields, Fixed(kTagDescriptorDate)},
    CommandLayout{14, "read primary variable transducer information", kNoFields, Fixed(kTransducer)},
    CommandLayout{15, "read device information", kNoFields, Optional(kOutputInformation, kHart5OutputFields)},
    CommandLayout{16, "read final assembly number", kNoFields, Fixed(kFinalAssembly)},
    CommandLayout{17, "write message", Fixed(kMessage), Fixed(kMessage)},
    CommandLayout{18, "write tag, descriptor and date", Fixed(kTagDescriptorDate), Fixed(kTagDescriptorDate)},
    CommandLayout{19, "write final assembly number", Fixed(kFinalAssembly), Fixed(kFinalAssembly)},
    CommandLayout{20, "read long tag", kNoFields, Fixed(kLongTag)},
    CommandLayout{21, "read unique identifier by long tag", Fixed(kLongTag),
                  Optional(kUniqueIdentifier, kHart5IdentifierFields)},
    CommandLayout{22, "write long tag", Fixed(kLongTag), Fixed(kLongTag)},
    CommandLayout{38, "reset configuration changed flag", Optional(kChangeCounter, 0), Optional(kChangeCounter, 0)},
    CommandLayout{48, "read additional device status", Optional(kAdditionalStatus, 0), Optional(kAdditionalStatus, 1)},
};

}  // namespace

std::span<const CommandLayout> UniversalCommands() { return kUniversal; }

}  // namespace zolin6::hart
