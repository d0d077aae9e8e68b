// The common-practice commands this layer knows, and the lookup over both
// tables. Commands that act on the device each time they arrive (fixing the
// loop current, a reset, trims) are marked NotRepeatable: the master never
// resends them once they may have reached the device.

#include <algorithm>
#include <array>

#include "hart/identifier_fields.h"
#include "hart/layout.h"

namespace zolin6::hart {

namespace {

constexpr std::array kDeviceVariable{U8("device variable")};
constexpr std::array kVariableUnitsValue{U8("device variable"), U8("units"), F32("value")};
constexpr std::array kDamping{F32("damping")};  // seconds
constexpr std::array kRange{U8("range units"), F32("upper range value"), F32("lower range value")};
constexpr std::array kLoopCurrent{F32("loop current")};  // mA; 0 leaves fixed current mode
constexpr std::array kPvUnits{U8("pv units")};
constexpr std::array kMeasuredCurrent{F32("measured current")};  // mA read on the reference meter
constexpr std::array kVariableUnits{U8("device variable"), U8("units")};
// The acquisition period and the properties came with HART 7.
constexpr std::array kVariableInformation{
    U8("device variable"), U24("sensor serial number"),
    U8("limits units"),    F32("upper limit"),
    F32("lower limit"),    F32("damping"),
    F32("minimum span"),   U8("classification"),
    U8("family"),          U32("acquisition period"),
    U8("properties"),
};
constexpr std::size_t kHart6VariableInformationFields = 9;
constexpr std::array kResponsePreambles{U8("response preambles")};
constexpr std::array kSimulatedVariable{U8("device variable"), U8("command code"), U8("units"), F32("value"),
                                        U8("status")};
constexpr std::array kTrimPoints{U8("device variable"), U8("units"), F32("lower trim point"), F32("upper trim point")};
constexpr std::array kTrimGuidelines{
    U8("device variable"),           U8("trim points supported"),     U8("units"),
    F32("minimum lower trim point"), F32("maximum lower trim point"), F32("minimum upper trim point"),
    F32("maximum upper trim point"), F32("minimum differential"),
};
constexpr std::array kTrimPoint{U8("device variable"), U8("trim point"), U8("units"), F32("value")};

// An I/O system and the sub-devices behind it, on cards and channels.
// Command 77 carries a frame from its delimiter up to its check byte,
// byte by byte: at least delimiter, polling address, command and byte
// count (and the status bytes in a reply), at most what the data field
// leaves.
constexpr std::array kIoSystemCapabilities{
    U8("max I/O cards"),     U8("max channels per card"), U8("max sub-devices per channel"),
    U16("devices detected"), U8("max delayed responses"), U8("master mode"),
    U8("retry count")};
constexpr std::array kPollSubDevice{U8("card"), U8("channel"), U8("polling address")};
constexpr std::array kSubDeviceRequestHead{U8("card"), U8("channel"), U8("transmit preambles")};
constexpr std::array kSubDeviceRoute{U8("card"), U8("channel")};
constexpr std::array kSubDeviceFrame{U8("frame byte")};
constexpr std::uint8_t kShortestRequestFrame = 4;
constexpr std::uint8_t kLongestRequestFrame = 255 - kSubDeviceRequestHead.size();
constexpr std::uint8_t kShortestReplyFrame = 6;
constexpr std::uint8_t kLongestReplyFrame = 255 - 2 - kSubDeviceRoute.size();
constexpr std::array kSubDeviceIndex{U16("sub-device index")};
constexpr std::array kSubDeviceIdentity{
    U16("sub-device index"),
    U8("card"),
    U8("channel"),
    U16("manufacturer"),
    U16("expanded device type"),
    U24("device id"),
    U8("universal revision"),
    Latin1("long tag", 32),
    U8("device revision"),
    U8("device profile"),
    U16("private label distributor"),
};

// Burst mode: periods in 1/32 ms; up to 3 messages, numbered from 0.
constexpr std::array kBurstPeriods{U8("burst message"), U32("update period"), U32("maximum update period")};
constexpr std::array kBurstTrigger{U8("burst message"), U8("trigger mode"), U8("trigger classification"),
                                   U8("trigger units"), F32("trigger level")};
constexpr std::array kBurstMessage{U8("burst message")};
// Before the slots: the control and the command in one byte (31 for one
// above 253), as older hosts read it; after them the full form.
constexpr std::array kBurstHead{U8("burst mode control"), U8("legacy command")};
constexpr std::array kBurstSlot{U8("device variable")};
constexpr std::array kBurstTail{U8("burst message"),          U8("burst messages"),         U16("burst command"),
                                U32("update period"),         U32("maximum update period"), U8("trigger mode"),
                                U8("trigger classification"), U8("trigger units"),          F32("trigger level")};
constexpr std::uint8_t kBurstSlots = 8;
constexpr std::array kBurstCommand{U16("burst command"), U8("burst message")};
constexpr std::array kBurstControl{U8("burst mode control"), U8("burst message")};
// Answered by a HART-IP server itself: which device's published data
// (all zero: every device) and of what kind a session wants.
constexpr std::array kSubscription{Raw("device address", 5), U16("subscription flags")};

constexpr Effect kOnce = Effect::NotRepeatable;

constexpr std::array kCommonPractice{
    CommandLayout{33, "read device variables", Repeated({}, kDeviceVariable, 1, 4),
                  Repeated({}, kVariableUnitsValue, 1, 4)},
    CommandLayout{34, "write primary variable damping", Fixed(kDamping), Fixed(kDamping)},
    CommandLayout{35, "write primary variable range values", Fixed(kRange), Fixed(kRange)},
    CommandLayout{40, "enter or exit fixed current mode", Fixed(kLoopCurrent), Fixed(kLoopCurrent), kOnce},
    CommandLayout{42, "device reset", kNoFields, kNoFields, kOnce},
    CommandLayout{44, "write primary variable units", Fixed(kPvUnits), Fixed(kPvUnits)},
    CommandLayout{45, "trim loop current zero", Fixed(kMeasuredCurrent), Fixed(kMeasuredCurrent), kOnce},
    CommandLayout{46, "trim loop current gain", Fixed(kMeasuredCurrent), Fixed(kMeasuredCurrent), kOnce},
    CommandLayout{53, "write device variable units", Fixed(kVariableUnits), Fixed(kVariableUnits)},
    CommandLayout{54, "read device variable information", Fixed(kDeviceVariable),
                  Optional(kVariableInformation, kHart6VariableInformationFields)},
    CommandLayout{59, "write number of response preambles", Fixed(kResponsePreambles), Fixed(kResponsePreambles)},
    CommandLayout{74, "read I/O system capabilities", kNoFields, Fixed(kIoSystemCapabilities)},
    CommandLayout{75, "poll sub-device", Fixed(kPollSubDevice), Optional(kUniqueIdentifier, kHart5IdentifierFields)},
    CommandLayout{77, "send command to sub-device",
                  Repeated(kSubDeviceRequestHead, kSubDeviceFrame, kShortestRequestFrame, kLongestRequestFrame),
                  Repeated(kSubDeviceRoute, kSubDeviceFrame, kShortestReplyFrame, kLongestReplyFrame)},
    CommandLayout{79, "write device variable", Fixed(kSimulatedVariable), Fixed(kSimulatedVariable)},
    CommandLayout{80, "read device variable trim points", Fixed(kDeviceVariable), Fixed(kTrimPoints)},
    CommandLayout{81, "read device variable trim guidelines", Fixed(kDeviceVariable), Fixed(kTrimGuidelines)},
    CommandLayout{82, "write device variable trim point", Fixed(kTrimPoint), Fixed(kTrimPoint), kOnce},
    CommandLayout{84, "read sub-device identity summary", Fixed(kSubDeviceIndex), Fixed(kSubDeviceIdentity)},
    CommandLayout{103, "write burst period", Fixed(kBurstPeriods), Fixed(kBurstPeriods)},
    CommandLayout{104, "write burst trigger", Fixed(kBurstTrigger), Fixed(kBurstTrigger)},
    // Without a message number a legacy device answers for its only message.
    CommandLayout{105, "read burst mode configuration", Optional(kBurstMessage, 0),
                  Repeated(kBurstHead, kBurstSlot, kBurstSlots, kBurstSlots, kBurstTail)},
    CommandLayout{107, "write burst device variables",
                  Repeated({}, kBurstSlot, kBurstSlots, kBurstSlots, kBurstMessage),
                  Repeated({}, kBurstSlot, kBurstSlots, kBurstSlots, kBurstMessage)},
    CommandLayout{108, "write burst mode command number", Fixed(kBurstCommand), Fixed(kBurstCommand)},
    CommandLayout{109, "burst mode control", Optional(kBurstControl, 1), Optional(kBurstControl, 1)},
    CommandLayout{533, "subscribe to published data", Fixed(kSubscription), Fixed(kSubscription)},
};

const CommandLayout* FindIn(std::span<const CommandLayout> table, std::uint16_t number) {
  const auto found = std::lower_bound(table.begin(), table.end(), number,
                                      [](const CommandLayout& layout, std::uint16_t n) { return layout.number < n; });
  return found != table.end() && found->number == number ? &*found : nullptr;
}

}  // namespace

std::span<const CommandLayout> CommonPracticeCommands() { return kCommonPractice; }

const CommandLayout* FindCommand(std::uint16_t number) {
  const CommandLayout* universal = FindIn(UniversalCommands(), number);
  return universal != nullptr ? universal : FindIn(CommonPracticeCommands(), number);
}

Effect EffectOf(std::uint16_t number) {
  const CommandLayout* layout = FindCommand(number);
  return layout != nullptr ? layout->effect : Effect::Repeatable;
}

}  // namespace zolin6::hart
