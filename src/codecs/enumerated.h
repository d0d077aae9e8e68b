#pragma once
// mEnumerated: the transmitter's enumerations, code to text for the pages
// (Get...Text) and text to code for the write requests (Get...Code).
//
// A decoder returns the empty text for a code it does not list. An encoder
// returns the code as upper-case hexadecimal digits, at least two ("0C",
// "FA", "12C"); for a text it does not list it returns its own fallback,
// named at each function. Texts are compared exactly, case included.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace zolin6::codecs {

// --- Decoders ---------------------------------------------------------------

std::string GetBackupModeText(std::int16_t code);        // 0 "Disabled", 1 "Enabled"
std::string GetSensorMaxMinText(std::int16_t code);      // 0 "Disabled", 1 "Enabled"
std::string GetLoopAlarmText(std::int16_t code);         // 0 "High", 1 "Low"
std::string GetTempMaxMinText(std::int16_t code);        // 0 "Disabled", 1 "Enabled"
std::string GetBackupSensorText(std::int16_t code);      // 1..5 "Sensor 2".."Sensor 6"
std::string GetAverageModeText(std::int16_t code);       // 0 "Disabled", 1 "Enabled"
std::string GetPhysicalSignalText(std::int16_t code);    // HART physical signaling code
std::string GetPreamblesText(std::int16_t code);         // 5..9 "5".."9"
std::string GetWriteProtectText(std::int16_t code);      // 0 "Disabled", 1 and 255 "Enabled"
std::string GetLoopCurrentModeText(std::int16_t code);   // 0 "Disabled", 1 "Enabled"
std::string GetSensorTypeText(std::int16_t code);        // 35 sensor types
std::string GetSensorConnectionText(std::int16_t code);  // 2..9 "Two wires".."Average"
std::string GetColdJunctionText(std::int16_t code);      // 1 "Internal", 2 "Fixed", 250 "Not Used"
std::string GetUnitText(std::int16_t code);              // HART unit codes, "°C" is 32
std::string GetDisplayVariableText(std::int16_t code);   // 0..12 "Sensor 1".."Local Temp"

// --- Encoders ---------------------------------------------------------------

std::string GetLoopCurrentModeCode(std::string_view text);   // unlisted: ""
std::string GetPreamblesCode(std::string_view text);         // unlisted: ""
std::string GetWriteProtectCode(std::string_view text);      // only "Enabled" is "01"; else "00"
std::string GetSensorTypeCode(std::string_view text);        // unlisted: "0C" (Pt 100 IEC)
std::string GetSensorConnectionCode(std::string_view text);  // unlisted: "02" (Two wires)
std::string GetColdJunctionCode(std::string_view text);      // unlisted: "FA" (Not Used)
std::string GetUnitCode(std::string_view text);              // unlisted: "20" (°C)
std::string GetDisplayVariableCode(std::string_view text);   // unlisted: ""
std::string GetBackupModeCode(std::string_view text);        // unlisted: ""
std::string GetBackupSensorCode(std::string_view text);      // unlisted, "Sensor 1" too: ""
std::string GetAverageModeCode(std::string_view text);       // unlisted: ""
std::string GetSensorMaxMinCode(std::string_view text);      // unlisted: ""
std::string GetTempMaxMinCode(std::string_view text);        // unlisted: ""
std::string GetMonitorVariableCode(std::string_view text);   // "Sensor 1%" (no blank) style; unlisted: ""
std::string GetLoopAlarmCode(std::string_view text);         // only "Low" is "01"; else "00"

// The polling address typed as a decimal number, encoded like the other
// codes ("10" -> "0A", "300" -> "12C"); a negative address gives the 16-bit
// two's complement ("-1" -> "FFFF"). Fractions round half to even. A text
// that is no number is a type mismatch, one beyond 16 bits an overflow.
Result<std::string> GetPollingAddressCode(std::string_view text);

// The encoded form of a code: upper-case hexadecimal, at least two digits;
// negative codes as their 16-bit two's complement.
std::string EncodeCode(std::int16_t code);

}  // namespace zolin6::codecs
