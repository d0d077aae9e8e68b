#include "codecs/enumerated.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "platform/locale.h"

namespace zolin6::codecs {

namespace {

// One line of an enumeration: the device's code and the text the pages show.
struct Entry {
  std::int16_t code;
  std::string_view text;
};

// The first text listed for the code, or the empty text.
std::string TextOf(std::span<const Entry> table, std::int16_t code) {
  const auto it = std::find_if(table.begin(), table.end(), [code](const Entry& e) { return e.code == code; });
  return it == table.end() ? std::string() : std::string(it->text);
}

// The encoded code of the first line with exactly this text, or `fallback`.
std::string CodeOf(std::span<const Entry> table, std::string_view text, std::string_view fallback) {
  const auto it = std::find_if(table.begin(), table.end(), [text](const Entry& e) { return e.text == text; });
  return it == table.end() ? std::string(fallback) : EncodeCode(it->code);
}

// The five on/off switches of the device share the same two lines.
constexpr std::array<Entry, 2> kSwitch{{{0, "Disabled"}, {1, "Enabled"}}};

// The device reports an active write protection as 1 or as 255.
constexpr std::array<Entry, 3> kWriteProtect{{{0, "Disabled"}, {1, "Enabled"}, {255, "Enabled"}}};

constexpr std::array<Entry, 2> kLoopAlarm{{{0, "High"}, {1, "Low"}}};

// Sensor 1 is always the primary sensor, so it cannot be its own backup.
constexpr std::array<Entry, 5> kBackupSensor{
    {{1, "Sensor 2"}, {2, "Sensor 3"}, {3, "Sensor 4"}, {4, "Sensor 5"}, {5, "Sensor 6"}}};

constexpr std::array<Entry, 5> kPreambles{{{5, "5"}, {6, "6"}, {7, "7"}, {8, "8"}, {9, "9"}}};

// HART physical signaling codes; 5 is not used by this device.
constexpr std::array<Entry, 6> kPhysicalSignal{
    {{0, "Bell 202 Current"}, {1, "Bell 202 Voltage"}, {2, "RS-485"}, {3, "RS-232"}, {4, "Wireless"}, {6, "Special"}}};

// The device has no sensor type 135.
constexpr std::array<Entry, 35> kSensorType{{{0, "Ohm 100"},
                                             {1, "Ohm 400"},
                                             {2, "Ohm 2000"},
                                             {3, "Callendar Van Dusen"},
                                             {12, "Pt 100 IEC"},
                                             {13, "Pt 200 IEC"},
                                             {14, "Pt 500 IEC"},
                                             {15, "Pt 1000 IEC"},
                                             {22, "Pt 100 JIS"},
                                             {23, "Pt 200 JIS"},
                                             {63, "Ni 120 DIN"},
                                             {91, "Cu 10 SAMA"},
                                             {92, "Cu 100 GOST (426)"},
                                             {103, "Cu 50 GOST (426)"},
                                             {104, "Cu 50 GOST (428)"},
                                             {105, "Cu 100 GOST (428)"},
                                             {106, "Pt 50 GOST (391)"},
                                             {107, "Pt 100 GOST (391)"},
                                             {128, "mV 25"},
                                             {129, "mV 100"},
                                             {130, "mV 500"},
                                             {131, "T/C Type B IEC"},
                                             {132, "T/C Type W5 ASTM"},
                                             {133, "T/C Type W3 ASTM"},
                                             {134, "T/C Type E IEC"},
                                             {136, "T/C Type J IEC"},
                                             {137, "T/C Type K IEC"},
                                             {138, "T/C Type N IEC"},
                                             {139, "T/C Type R IEC"},
                                             {140, "T/C Type S IEC"},
                                             {141, "T/C Type T IEC"},
                                             {142, "T/C Type L DIN"},
                                             {143, "T/C Type U DIN"},
                                             {148, "T/C Type L GOST"},
                                             {249, "4-20mA Input"}}};

constexpr std::array<Entry, 8> kSensorConnection{{{2, "Two wires"},
                                                  {3, "Three wires"},
                                                  {4, "Four wires"},
                                                  {5, "Differential"},
                                                  {6, "Maximum"},
                                                  {7, "Minimum"},
                                                  {8, "Backup"},
                                                  {9, "Average"}}};

constexpr std::array<Entry, 3> kColdJunction{{{1, "Internal"}, {2, "Fixed"}, {250, "Not Used"}}};

// HART engineering unit codes; the degree sign is U+00B0.
constexpr std::array<Entry, 8> kUnit{
    {{32, "°C"}, {33, "°F"}, {34, "°R"}, {35, "K"}, {36, "mV"}, {37, "Ohm"}, {39, "mA"}, {57, "%"}}};

// The local display writes a blank before "%".
constexpr std::array<Entry, 13> kDisplayVariable{{{0, "Sensor 1"},
                                                  {1, "Sensor 2"},
                                                  {2, "Sensor 3"},
                                                  {3, "Sensor 4"},
                                                  {4, "Sensor 5"},
                                                  {5, "Sensor 6"},
                                                  {6, "Sensor 1 %"},
                                                  {7, "Sensor 2 %"},
                                                  {8, "Sensor 3 %"},
                                                  {9, "Sensor 4 %"},
                                                  {10, "Sensor 5 %"},
                                                  {11, "Sensor 6 %"},
                                                  {12, "Local Temp"}}};

// The same variables as the display's, but the monitoring page's combos
// write the percent texts without the blank.
constexpr std::array<Entry, 13> kMonitorVariable{{{0, "Sensor 1"},
                                                  {1, "Sensor 2"},
                                                  {2, "Sensor 3"},
                                                  {3, "Sensor 4"},
                                                  {4, "Sensor 5"},
                                                  {5, "Sensor 6"},
                                                  {6, "Sensor 1%"},
                                                  {7, "Sensor 2%"},
                                                  {8, "Sensor 3%"},
                                                  {9, "Sensor 4%"},
                                                  {10, "Sensor 5%"},
                                                  {11, "Sensor 6%"},
                                                  {12, "Local Temp"}}};

}  // namespace

std::string EncodeCode(std::int16_t code) {
  // Negative codes keep their 16-bit pattern, so -1 is "FFFF".
  const auto pattern = static_cast<unsigned>(static_cast<std::uint16_t>(code));
  std::array<char, 8> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%02X", pattern);
  return buffer.data();
}

std::string GetBackupModeText(std::int16_t code) { return TextOf(kSwitch, code); }
std::string GetSensorMaxMinText(std::int16_t code) { return TextOf(kSwitch, code); }
std::string GetLoopAlarmText(std::int16_t code) { return TextOf(kLoopAlarm, code); }
std::string GetTempMaxMinText(std::int16_t code) { return TextOf(kSwitch, code); }
std::string GetBackupSensorText(std::int16_t code) { return TextOf(kBackupSensor, code); }
std::string GetAverageModeText(std::int16_t code) { return TextOf(kSwitch, code); }
std::string GetPhysicalSignalText(std::int16_t code) { return TextOf(kPhysicalSignal, code); }
std::string GetPreamblesText(std::int16_t code) { return TextOf(kPreambles, code); }
std::string GetWriteProtectText(std::int16_t code) { return TextOf(kWriteProtect, code); }
std::string GetLoopCurrentModeText(std::int16_t code) { return TextOf(kSwitch, code); }
std::string GetSensorTypeText(std::int16_t code) { return TextOf(kSensorType, code); }
std::string GetSensorConnectionText(std::int16_t code) { return TextOf(kSensorConnection, code); }
std::string GetColdJunctionText(std::int16_t code) { return TextOf(kColdJunction, code); }
std::string GetUnitText(std::int16_t code) { return TextOf(kUnit, code); }
std::string GetDisplayVariableText(std::int16_t code) { return TextOf(kDisplayVariable, code); }

std::string GetLoopCurrentModeCode(std::string_view text) { return CodeOf(kSwitch, text, ""); }
std::string GetPreamblesCode(std::string_view text) { return CodeOf(kPreambles, text, ""); }
std::string GetWriteProtectCode(std::string_view text) { return CodeOf(kWriteProtect, text, "00"); }
std::string GetSensorTypeCode(std::string_view text) { return CodeOf(kSensorType, text, "0C"); }
std::string GetSensorConnectionCode(std::string_view text) { return CodeOf(kSensorConnection, text, "02"); }
// The combo boxes offer "Fixed CJC Value" where the device's table says
// "Fixed"; both mean code 2, so choosing the item writes a fixed cold
// junction instead of falling back to "Not Used".
std::string GetColdJunctionCode(std::string_view text) {
  if (text == "Fixed CJC Value") return "02";
  return CodeOf(kColdJunction, text, "FA");
}
std::string GetUnitCode(std::string_view text) { return CodeOf(kUnit, text, "20"); }
std::string GetDisplayVariableCode(std::string_view text) { return CodeOf(kDisplayVariable, text, ""); }
std::string GetBackupModeCode(std::string_view text) { return CodeOf(kSwitch, text, ""); }
std::string GetBackupSensorCode(std::string_view text) { return CodeOf(kBackupSensor, text, ""); }
std::string GetAverageModeCode(std::string_view text) { return CodeOf(kSwitch, text, ""); }
std::string GetSensorMaxMinCode(std::string_view text) { return CodeOf(kSwitch, text, ""); }
std::string GetTempMaxMinCode(std::string_view text) { return CodeOf(kSwitch, text, ""); }
std::string GetMonitorVariableCode(std::string_view text) { return CodeOf(kMonitorVariable, text, ""); }
std::string GetLoopAlarmCode(std::string_view text) { return CodeOf(kLoopAlarm, text, "00"); }

Result<std::string> GetPollingAddressCode(std::string_view text) {
  // The listed addresses "0" to "130" read the same through the ordinary
  // conversion, so every text takes that one path.
  Result<std::int16_t> address = platform::ToInt16(text);
  if (!address) return address.error();
  return EncodeCode(*address);
}

}  // namespace zolin6::codecs
