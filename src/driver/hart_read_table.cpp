// The read table of the HART driver (see hart_read_table.h).

#include "driver/hart_read_table.h"

#include <algorithm>
#include <array>

namespace zolin6::driver {

namespace {

constexpr auto D = Text::Decimal;
constexpr auto N = Text::Number;
constexpr auto H = Text::Hex;

// Device variable codes in command 9's slots.
constexpr std::array<std::uint8_t, 1> kDeviceTemperature{12};
constexpr std::array<std::uint8_t, 1> kSensor1{0};
constexpr std::array<std::uint8_t, 5> kProcessValues{246, 247, 248, 244, 245};  // PV, SV, TV, %, loop current

constexpr std::array kHartInfoCommands{Transaction{13}, Transaction{20}, Transaction{12},
                                       Transaction{7},  Transaction{16}, Transaction{128}};
constexpr std::array kHartInfoTags{
    TagSource{"Tag", 0, 0, 21, H},
    TagSource{"Long Tag", 1, 0, 32, H},
    TagSource{"Descriptor", 0, 0, 21, H},
    TagSource{"Message", 2, 0, 24, H},
    TagSource{"Polling Address", 3, 0, 1, D},
    TagSource{"Final Assembly", 4, 0, 3, D},
    TagSource{"DeviceSerialNumber", 5, 24, 3, D},
    TagSource{"Date", 0, 0, 21, H},
    TagSource{"Ordering_Code", 5, 0, 24, H},
};
constexpr std::array<Transaction, 0> kNoCommand{};
constexpr auto I = kIdentity;
constexpr std::array kDeviceInfoTags{
    TagSource{"Manufacturer Id", I, 17, 2, D},   TagSource{"Device Type", I, 1, 2, D},
    TagSource{"Device Profile", I, 21, 1, D},    TagSource{"Private Label Distributor", I, 19, 2, D},
    TagSource{"Universal Revision", I, 4, 1, D}, TagSource{"Transmitter Revision", I, 5, 1, D},
    TagSource{"Hardware Revision", I, 7, 1, D},  TagSource{"Software Version", I, 6, 1, D},
};
constexpr std::array kChannelCommand{Transaction{129, RequestData::Channel}};
constexpr std::array kSensorInfoTags{
    TagSource{"Sns#Type", 0, 1, 1, D},
    TagSource{"Sns#Connection", 0, 2, 1, D},
    TagSource{"Sns#ColdJunction", 0, 3, 1, D},
    TagSource{"Sns#Unit", 0, 4, 1, D},
    TagSource{"Sns#UpperRangeLimit", 0, 5, 4, N},
    TagSource{"Sns#LowerRangeLimit", 0, 9, 4, N},
    TagSource{"Sns#UpperRangeValue", 0, 13, 4, N},
    TagSource{"Sns#LowerRangeValue", 0, 17, 4, N},
};
constexpr std::array kHartConfigCommands{Transaction{7}, Transaction{15}};
constexpr std::array kHartConfigTags{
    TagSource{"ReqPreambles", I, 3, 1, D},  TagSource{"RespPreambles", I, 12, 1, D},
    TagSource{"WriteProtect", 1, 15, 1, D}, TagSource{"Polling_Address", 0, 0, 1, D},
    TagSource{"CurrentMode", 0, 1, 1, D},   TagSource{"Loop_Alarm", 1, 0, 1, D},
};
constexpr std::array kSensorConfigTags{
    TagSource{"Sns#Type", 0, 1, 1, D},
    TagSource{"Sns#Connection", 0, 2, 1, D},
    TagSource{"Sns#ColdJunction", 0, 3, 1, D},
};
constexpr std::array kDeviceTemperatureCommand{Transaction{9, RequestData::Slots, kDeviceTemperature}};
constexpr std::array kTempUnitTags{TagSource{"TempUnit", 0, 3, 1, D}};
constexpr std::array kDisplayCommand{Transaction{135}};
constexpr std::array kDisplayTags{
    TagSource{"Display1", 0, 0, 1, D}, TagSource{"Display2", 0, 1, 1, D}, TagSource{"Display3", 0, 2, 1, D},
    TagSource{"Display4", 0, 3, 1, D}, TagSource{"Display5", 0, 4, 1, D}, TagSource{"Display6", 0, 5, 1, D},
};
constexpr std::array kSensorRangeTags{
    TagSource{"Sns#UpperRangeLimit", 0, 5, 4, N},  TagSource{"Sns#LowerRangeLimit", 0, 9, 4, N},
    TagSource{"Sns#UpperRangeValue", 0, 13, 4, N}, TagSource{"Sns#LowerRangeValue", 0, 17, 4, N},
    TagSource{"Sns#MinSpan", 0, 21, 4, N},         TagSource{"Sns#Unit", 0, 4, 1, D},
};
constexpr std::array kProcessCommand{Transaction{9, RequestData::Slots, kProcessValues}};
constexpr std::array kProcessTags{
    TagSource{"LoopCurrent", 0, 36, 4, N}, TagSource{"PercentRange", 0, 28, 4, N}, TagSource{"PV", 0, 4, 4, N},
    TagSource{"SV", 0, 12, 4, N},          TagSource{"TV", 0, 20, 4, N},           TagSource{"PVUnit", 0, 3, 1, D},
    TagSource{"SVUnit", 0, 11, 1, D},      TagSource{"TVUnit", 0, 19, 1, D},
};
// This transmitter's command 48 carries the configuration change counter
// in its device-specific bytes 2-3; another device's is command 0's.
constexpr std::array kStatusCommands{Transaction{48}};
constexpr std::array kStatusTags{
    TagSource{"Device Status", 0, 0, 2, Text::DeviceStatus},
    TagSource{"DiagStatus", 0, 0, 1, D},
    TagSource{"DiagStatusByte1", 0, 1, 1, D},
    TagSource{"ChangeCounters", 0, 2, 2, D},
};
constexpr std::array kUniversalStatusTags{
    TagSource{"Device Status", 0, 0, 2, Text::DeviceStatus},
    TagSource{"DiagStatus", 0, 0, 1, D},
    TagSource{"DiagStatusByte1", 0, 1, 1, D},
    TagSource{"ChangeCounters", I, 14, 2, D},
};
constexpr std::array kCountersCommand{Transaction{140}};
constexpr std::array kCounterTags{
    TagSource{"ChangeSensorRange", 0, 0, 2, D},   TagSource{"ChangeSensorTrim", 0, 2, 2, D},
    TagSource{"ChangeSensorConfig", 0, 4, 2, D},  TagSource{"ChangeSensorUnit", 0, 6, 2, D},
    TagSource{"ChangeSensorDamping", 0, 8, 2, D}, TagSource{"ChangeSensorCjunct", 0, 10, 2, D},
    TagSource{"ChangeCurrentTrim", 0, 12, 2, D},  TagSource{"ChangeTempTrim", 0, 14, 2, D},
    TagSource{"ChangeTempUnit", 0, 16, 2, D},     TagSource{"ChangeSoftWprotect", 0, 18, 2, D},
    TagSource{"ChangeDspVar", 0, 20, 2, D},       TagSource{"ChangeFailSafe", 0, 22, 2, D},
    TagSource{"ChangeMultidrop", 0, 24, 2, D},    TagSource{"ChangeVanDusen", 0, 26, 2, D},
};
constexpr std::array kExtremesCommand{Transaction{142}};
constexpr std::array kExtremeTags{
    TagSource{"SnsMinTemp", 0, 0, 4, N},      TagSource{"SnsMaxTemp", 0, 4, 4, N},
    TagSource{"VarLocalMinTemp", 0, 8, 4, N}, TagSource{"VarLocalMaxTemp", 0, 12, 4, N},
    TagSource{"SensorMaxMin", 0, 16, 1, D},   TagSource{"TempMaxMin", 0, 17, 1, D},
    TagSource{"SensorUnit", 0, 18, 1, D},     TagSource{"TempUnit", 0, 19, 1, D},
};
constexpr std::array kCurrentsCommand{Transaction{145}};
constexpr std::array kCurrentTags{TagSource{"Current", 0, 5, 4, N, kOutputGroup}};
constexpr std::array kTrimTemperatureTags{TagSource{"Unit Temp", 0, 3, 1, D}, TagSource{"Temp", 0, 4, 4, N}};
constexpr std::array kSensor1Command{Transaction{9, RequestData::Slots, kSensor1}};
constexpr std::array kSpecialCommand{Transaction{137}};
constexpr std::array kSpecialTags{
    TagSource{"BackupMode", 0, 0, 1, D},
    TagSource{"BackupSensor", 0, 1, 1, D},
    TagSource{"AverageMode", 0, 2, 1, D},
};
constexpr std::array kMonitoredCommand{Transaction{9, RequestData::AttributeSlots}};
// Slot k's value at 4 + 8k, its units at 3 + 8k.
constexpr std::array kMonitoredTags{
    TagSource{"Var1", 0, 4, 4, N},      TagSource{"Var2", 0, 12, 4, N},     TagSource{"Var3", 0, 20, 4, N},
    TagSource{"Var4", 0, 28, 4, N},     TagSource{"Var5", 0, 36, 4, N},     TagSource{"Var6", 0, 44, 4, N},
    TagSource{"Var7", 0, 52, 4, N},     TagSource{"Var8", 0, 60, 4, N},     TagSource{"Var1Unit", 0, 3, 1, D},
    TagSource{"Var2Unit", 0, 11, 1, D}, TagSource{"Var3Unit", 0, 19, 1, D}, TagSource{"Var4Unit", 0, 27, 1, D},
    TagSource{"Var5Unit", 0, 35, 1, D}, TagSource{"Var6Unit", 0, 43, 1, D}, TagSource{"Var7Unit", 0, 51, 1, D},
    TagSource{"Var8Unit", 0, 59, 1, D},
};
constexpr std::array kSensorParametersCommand{Transaction{133}};
constexpr std::array kSensorParameterTags{
    TagSource{"SnsUnit", 0, 0, 1, D},         TagSource{"SnsTempHighLimit", 0, 1, 4, N},
    TagSource{"SnsTempLowLimit", 0, 5, 4, N}, TagSource{"CoeffA", 0, 9, 4, N},
    TagSource{"CoeffB", 0, 13, 4, N},         TagSource{"CoeffC", 0, 17, 4, N},
    TagSource{"CoeffRA", 0, 21, 4, N},        TagSource{"Damping", 0, 25, 4, N},
};

constexpr std::array kReads{
    ReadRow{1, 1, kHartInfoCommands, kHartInfoTags},
    ReadRow{2, 2, kNoCommand, kDeviceInfoTags},
    ReadRow{3, 8, kChannelCommand, kSensorInfoTags},
    ReadRow{9, 9, kHartConfigCommands, kHartConfigTags},
    ReadRow{10, 15, kChannelCommand, kSensorConfigTags},
    ReadRow{16, 16, kDeviceTemperatureCommand, kTempUnitTags},
    ReadRow{17, 17, kDisplayCommand, kDisplayTags},
    ReadRow{18, 23, kChannelCommand, kSensorRangeTags},
    ReadRow{24, 24, kProcessCommand, kProcessTags},
    ReadRow{25, 25, kStatusCommands, kStatusTags},
    ReadRow{26, 26, kCountersCommand, kCounterTags},
    ReadRow{27, 27, kExtremesCommand, kExtremeTags},
    ReadRow{28, 28, kCurrentsCommand, kCurrentTags},
    ReadRow{29, 29, kDeviceTemperatureCommand, kTrimTemperatureTags},
    ReadRow{30, 30, kSpecialCommand, kSpecialTags},
    ReadRow{31, 31, kSensor1Command, kTrimTemperatureTags},
    ReadRow{32, 32, kMonitoredCommand, kMonitoredTags},
    ReadRow{33, 33, kSensorParametersCommand, kSensorParameterTags},
};

// Another HART device: the identification texts without this transmitter's
// serial number and ordering code, and the primary variable's range from
// its transducer limits (14) and range values (15) as the first channel's.
constexpr std::array kUniversalInfoCommands{Transaction{13}, Transaction{20}, Transaction{12}, Transaction{7},
                                            Transaction{16}};
constexpr std::array kUniversalInfoTags{
    TagSource{"Tag", 0, 0, 21, H},
    TagSource{"Long Tag", 1, 0, 32, H},
    TagSource{"Descriptor", 0, 0, 21, H},
    TagSource{"Message", 2, 0, 24, H},
    TagSource{"Polling Address", 3, 0, 1, D},
    TagSource{"Final Assembly", 4, 0, 3, D},
    TagSource{"DeviceSerialNumber", kNoReply, 0, 0, D},
    TagSource{"Date", 0, 0, 21, H},
    TagSource{"Ordering_Code", kNoReply, 0, 0, H},
};
constexpr std::array kPrimaryRangeCommands{Transaction{14}, Transaction{15}};
constexpr std::array kPrimaryRangeTags{
    TagSource{"Sns#UpperRangeLimit", 0, 4, 4, N}, TagSource{"Sns#LowerRangeLimit", 0, 8, 4, N},
    TagSource{"Sns#UpperRangeValue", 1, 3, 4, N}, TagSource{"Sns#LowerRangeValue", 1, 7, 4, N},
    TagSource{"Sns#MinSpan", 0, 12, 4, N},        TagSource{"Sns#Unit", 1, 2, 1, D},
};

constexpr std::array kUniversalReads{
    ReadRow{1, 1, kUniversalInfoCommands, kUniversalInfoTags},
    ReadRow{2, 2, kNoCommand, kDeviceInfoTags},
    ReadRow{9, 9, kHartConfigCommands, kHartConfigTags},
    ReadRow{18, 18, kPrimaryRangeCommands, kPrimaryRangeTags},
    ReadRow{24, 24, kProcessCommand, kProcessTags},
    ReadRow{25, 25, kStatusCommands, kUniversalStatusTags},
};

}  // namespace

const ReadRow* FindRead(int code, CommandSet set) {
  const std::span<const ReadRow> rows =
      set == CommandSet::Transmitter ? std::span<const ReadRow>(kReads) : std::span<const ReadRow>(kUniversalReads);
  const auto found =
      std::ranges::find_if(rows, [code](const ReadRow& row) { return code >= row.first && code <= row.last; });
  return found != rows.end() ? &*found : nullptr;
}

CommandSet CommandSetFor(std::span<const std::uint8_t> identity) {
  constexpr std::size_t kDeviceTypeAt = 1;
  constexpr std::size_t kManufacturerAt = 17;
  if (identity.size() < kManufacturerAt + 2) return CommandSet::Universal;
  const auto word = [&](std::size_t at) { return static_cast<std::uint32_t>((identity[at] << 8U) | identity[at + 1]); };
  const bool same = word(kDeviceTypeAt) == kTransmitterDeviceType && word(kManufacturerAt) == kTransmitterManufacturer;
  return same ? CommandSet::Transmitter : CommandSet::Universal;
}

}  // namespace zolin6::driver
