// The combo-box lists filled at start, and the page state they reset.

#include <gtest/gtest.h>

#include <functional>

#include "codecs/enumerated.h"
#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Items = std::vector<std::string>;
using toolkit::ComboBox;

struct ListCase {
  const char* combo;
  int index;  // control-array member, -1 for a single combo box
  Items items;
  const char* preset;  // text shown after start
};

class OptionLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(OptionLists, HoldTheirItemsInOrder) {
  ControlHarness h;
  const ComboBox& box = h.get<ComboBox>(GetParam().combo, GetParam().index);
  EXPECT_EQ(box.items(), GetParam().items);
  EXPECT_EQ(box.text(), GetParam().preset);
}

const Items kMonitor{"Sensor 1",  "Sensor 2",  "Sensor 3",  "Sensor 4",  "Sensor 5",  "Sensor 6",  "Sensor 1%",
                     "Sensor 2%", "Sensor 3%", "Sensor 4%", "Sensor 5%", "Sensor 6%", "Local Temp"};

INSTANTIATE_TEST_SUITE_P(
    Lists, OptionLists,
    ::testing::Values(
        ListCase{"cmbUnitLocalTemp", -1, {"\u00B0C", "\u00B0F", "\u00B0R", "K"}, ""},
        // Upper case here; the range units below say "Ohm".
        ListCase{"cmbTrimSelection", -1, {"OHM", "MV"}, "OHM"},
        ListCase{"cmbPVUnits", 5, {"\u00B0C", "\u00B0F", "\u00B0R", "K", "mV", "Ohm"}, ""},
        ListCase{"cmbSensorConnection", 5, {"Two wires", "Three wires"}, ""},
        ListCase{"cmbColdJunction", 3, {"Internal", "Fixed CJC Value", "Not Used"}, ""},
        ListCase{"cmbResponsePreambles", -1, {"5", "6", "7", "8", "9"}, ""},
        ListCase{"cmbDisplay6", -1, {"Sensor 1", "Sensor 2", "Sensor 3", "Sensor 4", "Sensor 5", "Sensor 6",
                                     "Sensor 1 %", "Sensor 2 %", "Sensor 3 %", "Sensor 4 %", "Sensor 5 %",
                                     "Sensor 6 %", "Local Temp"}, ""},
        ListCase{"cmbBackupSensor", -1, {"Sensor 2", "Sensor 3", "Sensor 4", "Sensor 5", "Sensor 6"}, ""},
        ListCase{"cmbTempMaxMin", -1, {"Disabled", "Enabled"}, ""},
        ListCase{"cmbVar1", -1, kMonitor, "Sensor 1"},
        ListCase{"cmbVar6", -1, kMonitor, "Sensor 6"},
        ListCase{"cmbVar7", -1, kMonitor, "Sensor 1%"},
        ListCase{"cmbVar8", -1, kMonitor, "Sensor 2%"}));

TEST(SensorTypeLists, EveryChannelOffersTheSame35Types) {
  ControlHarness h;
  const Items& first = h.get<ComboBox>("cmbSensorType", 0).items();
  ASSERT_EQ(first.size(), 35u);
  EXPECT_EQ(first.front(), "Ohm 100");
  EXPECT_EQ(first.back(), "4-20mA Input");
  for (int member = 1; member < 6; ++member) EXPECT_EQ(h.get<ComboBox>("cmbSensorType", member).items(), first);
}

// The pages select items by the texts the decoders produce and the writes
// encode the chosen text, so every item must survive text -> code -> text.
// The cold-junction list is left out: its item "Fixed CJC Value" writes code
// 2, which the device's table reads back as "Fixed".
TEST(OptionLists, AgreeWithTheCodeTables) {
  struct RoundTrip {
    const char* combo;
    int index;
    std::function<std::string(std::string_view)> encode;
    std::function<std::string(std::int16_t)> decode;
  };
  const std::vector<RoundTrip> lists{
      {"cmbLoopAlarm", -1, codecs::GetLoopAlarmCode, codecs::GetLoopAlarmText},
      {"cmbUnitLocalTemp", -1, codecs::GetUnitCode, codecs::GetUnitText},
      {"cmbPVUnits", 2, codecs::GetUnitCode, codecs::GetUnitText},
      {"cmbSensorType", 4, codecs::GetSensorTypeCode, codecs::GetSensorTypeText},
      {"cmbSensorConnection", 1, codecs::GetSensorConnectionCode, codecs::GetSensorConnectionText},
      {"cmbLoopCurrentMode", -1, codecs::GetLoopCurrentModeCode, codecs::GetLoopCurrentModeText},
      {"cmbRequestPreambles", -1, codecs::GetPreamblesCode, codecs::GetPreamblesText},
      {"cmbWriteProtection", -1, codecs::GetWriteProtectCode, codecs::GetWriteProtectText},
      {"cmbDisplay3", -1, codecs::GetDisplayVariableCode, codecs::GetDisplayVariableText},
      {"cmbBackupMode", -1, codecs::GetBackupModeCode, codecs::GetBackupModeText},
      {"cmbBackupSensor", -1, codecs::GetBackupSensorCode, codecs::GetBackupSensorText},
      {"cmbAverageMode", -1, codecs::GetAverageModeCode, codecs::GetAverageModeText},
      {"cmbSensorMaxMin", -1, codecs::GetSensorMaxMinCode, codecs::GetSensorMaxMinText},
  };
  ControlHarness h;
  for (const RoundTrip& list : lists) {
    for (const std::string& item : h.get<ComboBox>(list.combo, list.index).items()) {
      SCOPED_TRACE(std::string(list.combo) + " \"" + item + "\"");
      const std::string code = list.encode(item);
      ASSERT_FALSE(code.empty());
      EXPECT_EQ(list.decode(static_cast<std::int16_t>(std::stoi(code, nullptr, 16))), item);
    }
  }
  for (const std::string& item : h.get<ComboBox>("cmbVar4").items()) {
    EXPECT_FALSE(codecs::GetMonitorVariableCode(item).empty()) << item;
  }
}

TEST(PageStateAtStart, IsTheInformationPageWithNoPendingProcedure) {
  ControlHarness h;
  EXPECT_EQ(h.state().sPage, "Information");
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_FALSE(h.state().bUnitChanged);
}

}  // namespace
}  // namespace zolin6::fakes
