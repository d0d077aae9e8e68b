// The HART configuration (900), local display (1700) and backup and average
// (3000) pages.

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using ConfigPages = PageTest;

TEST_F(ConfigPages, HartConfigFillsTheCombosAndRepaintsTheSettingCombos) {
  const char* settings[] = {"cmbRequestPreambles", "cmbResponsePreambles", "cmbWriteProtection", "cmbLoopCurrentMode"};
  for (const char* name : settings) h.get<toolkit::ComboBox>(name).setBackColor(0xFFFFFF);
  h.get<toolkit::ComboBox>("cmbLoopAlarm").setBackColor(0xFFFFFF);
  h.get<toolkit::ComboBox>("cmbResponsePreambles").setText("7");

  h.Notify(900, Doc({{"ReqPreambles", "5"},
                     {"RespPreambles", "4"},
                     {"WriteProtect", "255"},
                     {"Polling_Address", "05"},
                     {"CurrentMode", "1"},
                     {"Loop_Alarm", "1"}}));
  EXPECT_EQ(h.text("cmbRequestPreambles"), "5");
  EXPECT_EQ(h.text("cmbResponsePreambles"), "7");  // 4 preambles has no text
  EXPECT_EQ(h.text("cmbWriteProtection"), "Enabled");
  EXPECT_EQ(h.text("txtParameter", 36), "5");
  EXPECT_EQ(h.text("cmbLoopCurrentMode"), "Enabled");
  EXPECT_EQ(h.text("cmbLoopAlarm"), "Low");
  // Known code or not, the settings get the window colour back; the alarm keeps its own.
  for (const char* name : settings) {
    EXPECT_EQ(h.get<toolkit::ComboBox>(name).backColor(), toolkit::kSystemWindowBackground) << name;
  }
  EXPECT_EQ(h.get<toolkit::ComboBox>("cmbLoopAlarm").backColor(), 0xFFFFFFu);

  // An alarm code without a text empties the alarm combo.
  h.Notify(900, Doc({{"ReqPreambles", "5"},
                     {"RespPreambles", "6"},
                     {"WriteProtect", "0"},
                     {"Polling_Address", "0"},
                     {"CurrentMode", "0"},
                     {"Loop_Alarm", "7"}}));
  EXPECT_EQ(h.text("cmbResponsePreambles"), "6");
  EXPECT_EQ(h.text("cmbLoopAlarm"), "");
}

TEST_F(ConfigPages, DisplayAndSpecialFunctionsSkipCodesWithoutText) {
  h.get<toolkit::ComboBox>("cmbDisplay4").setText("Sensor 2");
  h.get<toolkit::ComboBox>("cmbBackupSensor").setText("Sensor 3");
  h.Notify(1700, Doc({{"Display1", "0"},
                      {"Display2", "6"},
                      {"Display3", "12"},
                      {"Display4", "13"},
                      {"Display5", "4"},
                      {"Display6", "11"}}));
  h.Notify(3000, Doc({{"BackupMode", "1"}, {"BackupSensor", "0"}, {"AverageMode", "0"}}));
  const std::pair<const char*, std::string> combos[] = {
      {"cmbDisplay1", "Sensor 1"},  {"cmbDisplay2", "Sensor 1 %"},   {"cmbDisplay3", "Local Temp"},
      {"cmbDisplay4", "Sensor 2"},  {"cmbDisplay5", "Sensor 5"},     {"cmbDisplay6", "Sensor 6 %"},
      {"cmbBackupMode", "Enabled"}, {"cmbBackupSensor", "Sensor 3"}, {"cmbAverageMode", "Disabled"}};
  for (const auto& [name, shown] : combos) EXPECT_EQ(h.text(name), shown) << name;
}

}  // namespace
}  // namespace zolin6::pages_test
