// The combo-box lists filled at start. The pages select items by the texts
// the decoders produce and the writes encode the chosen text, so every item
// must come back from its own code. Per-channel lists are checked on their
// last member.

#include "codecs/enumerated.h"
#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;

TEST(OptionLists, EveryItemSurvivesTextToCodeToText) {
  struct List {
    const char* combo;
    int index;
    std::size_t count;
    std::string (*encode)(std::string_view);
    std::string (*decode)(std::int16_t);
  };
  const List lists[] = {
      {"cmbLoopAlarm", -1, 2, codecs::GetLoopAlarmCode, codecs::GetLoopAlarmText},
      {"cmbUnitLocalTemp", -1, 4, codecs::GetUnitCode, codecs::GetUnitText},
      {"cmbPVUnits", 5, 6, codecs::GetUnitCode, codecs::GetUnitText},
      {"cmbSensorType", 5, 35, codecs::GetSensorTypeCode, codecs::GetSensorTypeText},
      {"cmbSensorConnection", 5, 2, codecs::GetSensorConnectionCode, codecs::GetSensorConnectionText},
      {"cmbResponsePreambles", -1, 5, codecs::GetPreamblesCode, codecs::GetPreamblesText},
      {"cmbWriteProtection", -1, 2, codecs::GetWriteProtectCode, codecs::GetWriteProtectText},
      {"cmbDisplay6", -1, 13, codecs::GetDisplayVariableCode, codecs::GetDisplayVariableText},
      {"cmbBackupSensor", -1, 5, codecs::GetBackupSensorCode, codecs::GetBackupSensorText},
      {"cmbTempMaxMin", -1, 2, codecs::GetTempMaxMinCode, codecs::GetTempMaxMinText},
  };
  ControlHarness h;
  for (const List& list : lists) {
    const Lines& items = h.get<toolkit::ComboBox>(list.combo, list.index).items();
    EXPECT_EQ(items.size(), list.count) << list.combo;
    for (const std::string& item : items) {
      const std::string code = list.encode(item);
      EXPECT_EQ(list.decode(static_cast<std::int16_t>(std::stoi(code, nullptr, 16))), item) << list.combo;
    }
  }
}

// "Fixed CJC Value" writes code 2, which the device reads back as "Fixed";
// the factory trim compares "OHM" exactly; the monitoring slots have codes
// of their own and start on the six sensors and the first two percentages.
TEST(OptionLists, ListsWithoutARoundTripAndThePresets) {
  ControlHarness h;
  EXPECT_EQ(h.get<toolkit::ComboBox>("cmbColdJunction", 5).items(), (Lines{"Internal", "Fixed CJC Value", "Not Used"}));
  EXPECT_EQ(h.get<toolkit::ComboBox>("cmbTrimSelection").items(), (Lines{"OHM", "MV"}));
  EXPECT_EQ(h.text("cmbTrimSelection"), "OHM");
  const char* presets[] = {"Sensor 1", "Sensor 2", "Sensor 3",  "Sensor 4",
                           "Sensor 5", "Sensor 6", "Sensor 1%", "Sensor 2%"};
  for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(h.text("cmbVar" + std::to_string(slot)), presets[slot - 1]);
  const Lines& monitored = h.get<toolkit::ComboBox>("cmbVar8").items();
  EXPECT_EQ(monitored.size(), 13u);
  for (const std::string& item : monitored) EXPECT_NE(codecs::GetMonitorVariableCode(item), "") << item;
}

}  // namespace
}  // namespace zolin6::fakes
