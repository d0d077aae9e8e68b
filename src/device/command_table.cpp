#include "device/command_table.h"

#include <algorithm>
#include <array>

namespace zolin6::device {

namespace {

constexpr Access R = Access::Read;
constexpr Access W = Access::Write;
constexpr Access U = Access::Unprotected;
constexpr bool kChange = true;
constexpr bool kNoChange = false;

// Sorted by number. Request sizes are the fewest bytes each command needs;
// the optional bytes of 6, 38, 48, 105, 107-109 and 130 are looked at by
// their handlers.
constexpr std::array kRows{
    CommandRow{0, 0, R, kNoChange, ReadUniqueIdentifier},
    CommandRow{1, 0, R, kNoChange, ReadPrimaryVariable},
    CommandRow{2, 0, R, kNoChange, ReadLoopCurrentAndPercent},
    CommandRow{3, 0, R, kNoChange, ReadDynamicVariables},
    CommandRow{6, 1, W, kChange, WritePollingAddress},
    CommandRow{7, 0, R, kNoChange, ReadLoopConfiguration},
    CommandRow{8, 0, R, kNoChange, ReadClassifications},
    CommandRow{9, 1, R, kNoChange, ReadVariablesWithStatus},
    CommandRow{11, 6, R, kNoChange, ReadUniqueIdentifierByTag},
    CommandRow{12, 0, R, kNoChange, ReadMessage},
    CommandRow{13, 0, R, kNoChange, ReadTagDescriptorDate},
    CommandRow{14, 0, R, kNoChange, ReadTransducerInformation},
    CommandRow{15, 0, R, kNoChange, ReadOutputInformation},
    CommandRow{16, 0, R, kNoChange, ReadFinalAssembly},
    CommandRow{17, 24, W, kChange, WriteMessage},
    CommandRow{18, 21, W, kChange, WriteTagDescriptorDate},
    CommandRow{19, 3, W, kChange, WriteFinalAssembly},
    CommandRow{20, 0, R, kNoChange, ReadLongTag},
    CommandRow{21, 32, R, kNoChange, ReadUniqueIdentifierByLongTag},
    CommandRow{22, 32, W, kChange, WriteLongTag},
    // Command 31 arrives here only bare: with its number the frame names the expanded command.
    CommandRow{31, 2, R, kNoChange, ExpandedCommandWithoutNumber},
    CommandRow{33, 1, R, kNoChange, ReadVariables},
    CommandRow{38, 0, W, kNoChange, ResetConfigurationChanged},
    CommandRow{40, 4, U, kNoChange, FixLoopCurrent},
    CommandRow{42, 0, U, kNoChange, ResetDevice},
    CommandRow{45, 4, W, kChange, TrimLoopCurrentZero},
    CommandRow{46, 4, W, kChange, TrimLoopCurrentGain},
    CommandRow{48, 0, R, kNoChange, ReadAdditionalStatus},
    CommandRow{54, 1, R, kNoChange, ReadVariableInformation},
    CommandRow{59, 1, W, kChange, WriteResponsePreambles},
    CommandRow{103, 9, W, kChange, WriteBurstPeriod},
    CommandRow{104, 8, W, kChange, WriteBurstTrigger},
    CommandRow{105, 0, R, kNoChange, ReadBurstConfiguration},
    CommandRow{107, 1, W, kChange, WriteBurstVariables},
    CommandRow{108, 1, W, kChange, WriteBurstCommand},
    CommandRow{109, 1, W, kChange, BurstModeControl},
    CommandRow{128, 0, R, kNoChange, ReadOrderingCode},
    CommandRow{129, 1, R, kNoChange, ReadChannel},
    CommandRow{130, 4, W, kChange, WriteChannelSensor},
    CommandRow{131, 10, W, kChange, WriteChannelRange},
    CommandRow{132, 2, W, kChange, WriteVariableUnit},
    CommandRow{133, 0, R, kNoChange, ReadSensorParameters},
    CommandRow{134, 29, W, kChange, WriteSensorParameters},
    CommandRow{135, 0, R, kNoChange, ReadDisplayLines},
    CommandRow{136, 6, W, kChange, WriteDisplayLines},
    CommandRow{137, 0, R, kNoChange, ReadSpecialFunctions},
    CommandRow{138, 3, W, kChange, WriteSpecialFunctions},
    CommandRow{139, 2, Access::Unprotects, kChange, WriteProtectionAndAlarm},
    CommandRow{140, 0, R, kNoChange, ReadChangeCounters},
    CommandRow{141, 0, W, kNoChange, ResetChangeCounters},
    CommandRow{142, 0, R, kNoChange, ReadExtremes},
    CommandRow{143, 2, W, kChange, WriteExtremeRecording},
    CommandRow{144, 1, W, kNoChange, ResetExtremes},
    CommandRow{145, 0, R, kNoChange, ReadOutputCurrents},
    CommandRow{146, 5, U, kNoChange, FixOutputCurrent},
    CommandRow{147, 6, W, kChange, TrimOutputCurrent},
    CommandRow{148, 7, W, kChange, TrimSensor},
    CommandRow{149, 5, W, kChange, TrimDeviceTemperature},
    CommandRow{150, 5, W, kChange, FactoryTrim},
    CommandRow{151, 0, W, kChange, RestoreFactory},
};

}  // namespace

std::uint8_t ExpandedCommandWithoutNumber(Exchange& /*x*/) { return code::kNotImplemented; }

const CommandRow* FindCommandRow(std::uint16_t number) {
  const auto* found = std::ranges::lower_bound(kRows, number, {}, &CommandRow::number);
  return found != kRows.end() && found->number == number ? &*found : nullptr;
}

}  // namespace zolin6::device
