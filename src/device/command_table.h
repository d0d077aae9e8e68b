#pragma once
// The commands the simulated transmitter answers, one row each: how many
// request bytes it needs, how busy time and write protection treat it,
// whether carrying it out is a configuration change, and its handler. The
// device (hart_device.h) runs the shared checks from the row, in the order
// the command reference gives: busy, write protection, too few bytes.

#include <cstdint>

#include "device/exchange.h"

namespace zolin6::device {

enum class Access : std::uint8_t {
  Read,         // answered while busy and under write protection
  Write,        // busy (32) after a restart, refused (7) under write protection
  Unprotected,  // busy after a restart, carried out under write protection (40, 42, 146)
  Unprotects,   // 139: under write protection only when it switches protection off
};

struct CommandRow {
  std::uint16_t number = 0;
  std::uint8_t requestSize = 0;  // fewer data bytes answer 5
  Access access = Access::Read;
  bool configurationChange = false;  // raises the change counter and sets 0x40 when it answers 0
  Handler handler = nullptr;
};

// The row of a command the device implements, or nullptr (answered 64).
const CommandRow* FindCommandRow(std::uint16_t number);

// The handlers, by the file that holds them.
// command_table.cpp
std::uint8_t ExpandedCommandWithoutNumber(Exchange& x);  // 31: too few bytes before it gets here
// identity_commands.cpp
std::uint8_t ReadUniqueIdentifier(Exchange& x);           // 0
std::uint8_t ReadUniqueIdentifierByTag(Exchange& x);      // 11
std::uint8_t ReadUniqueIdentifierByLongTag(Exchange& x);  // 21
std::uint8_t ReadMessage(Exchange& x);                    // 12
std::uint8_t ReadTagDescriptorDate(Exchange& x);          // 13
std::uint8_t ReadFinalAssembly(Exchange& x);              // 16
std::uint8_t WriteMessage(Exchange& x);                   // 17
std::uint8_t WriteTagDescriptorDate(Exchange& x);         // 18
std::uint8_t WriteFinalAssembly(Exchange& x);             // 19
std::uint8_t ReadLongTag(Exchange& x);                    // 20
std::uint8_t WriteLongTag(Exchange& x);                   // 22
std::uint8_t ReadOrderingCode(Exchange& x);               // 128
// variable_commands.cpp
std::uint8_t ReadPrimaryVariable(Exchange& x);        // 1
std::uint8_t ReadLoopCurrentAndPercent(Exchange& x);  // 2
std::uint8_t ReadDynamicVariables(Exchange& x);       // 3
std::uint8_t ReadClassifications(Exchange& x);        // 8
std::uint8_t ReadVariablesWithStatus(Exchange& x);    // 9
std::uint8_t ReadTransducerInformation(Exchange& x);  // 14
std::uint8_t ReadVariables(Exchange& x);              // 33
std::uint8_t ReadAdditionalStatus(Exchange& x);       // 48
std::uint8_t ReadVariableInformation(Exchange& x);    // 54
// setting_commands.cpp
std::uint8_t WritePollingAddress(Exchange& x);        // 6
std::uint8_t ReadLoopConfiguration(Exchange& x);      // 7
std::uint8_t ReadOutputInformation(Exchange& x);      // 15
std::uint8_t ResetConfigurationChanged(Exchange& x);  // 38
std::uint8_t WriteResponsePreambles(Exchange& x);     // 59
std::uint8_t ReadSensorParameters(Exchange& x);       // 133
std::uint8_t WriteSensorParameters(Exchange& x);      // 134
std::uint8_t ReadDisplayLines(Exchange& x);           // 135
std::uint8_t WriteDisplayLines(Exchange& x);          // 136
std::uint8_t ReadSpecialFunctions(Exchange& x);       // 137
std::uint8_t WriteSpecialFunctions(Exchange& x);      // 138
std::uint8_t WriteProtectionAndAlarm(Exchange& x);    // 139
std::uint8_t ReadChangeCounters(Exchange& x);         // 140
std::uint8_t ResetChangeCounters(Exchange& x);        // 141
std::uint8_t ReadExtremes(Exchange& x);               // 142
std::uint8_t WriteExtremeRecording(Exchange& x);      // 143
std::uint8_t ResetExtremes(Exchange& x);              // 144
// burst_commands.cpp
std::uint8_t WriteBurstPeriod(Exchange& x);        // 103
std::uint8_t WriteBurstTrigger(Exchange& x);       // 104
std::uint8_t ReadBurstConfiguration(Exchange& x);  // 105
std::uint8_t WriteBurstVariables(Exchange& x);     // 107
std::uint8_t WriteBurstCommand(Exchange& x);       // 108
std::uint8_t BurstModeControl(Exchange& x);        // 109
// channel_commands.cpp
std::uint8_t ReadChannel(Exchange& x);         // 129
std::uint8_t WriteChannelSensor(Exchange& x);  // 130
std::uint8_t WriteChannelRange(Exchange& x);   // 131
std::uint8_t WriteVariableUnit(Exchange& x);   // 132
// output_commands.cpp
std::uint8_t FixLoopCurrent(Exchange& x);       // 40
std::uint8_t ResetDevice(Exchange& x);          // 42
std::uint8_t TrimLoopCurrentZero(Exchange& x);  // 45
std::uint8_t TrimLoopCurrentGain(Exchange& x);  // 46
std::uint8_t ReadOutputCurrents(Exchange& x);   // 145
std::uint8_t FixOutputCurrent(Exchange& x);     // 146
std::uint8_t TrimOutputCurrent(Exchange& x);    // 147
// trim_commands.cpp
std::uint8_t TrimSensor(Exchange& x);             // 148
std::uint8_t TrimDeviceTemperature(Exchange& x);  // 149
std::uint8_t FactoryTrim(Exchange& x);            // 150
std::uint8_t RestoreFactory(Exchange& x);         // 151

}  // namespace zolin6::device
