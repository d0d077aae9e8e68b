// Measured values: process values (2400), specific variables (3200), loop
// current (2800) and trim temperature (2900, 3100).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using ObservePages = PageTest;

TEST_F(ObservePages, ProcessValuesShowTwoDecimalsAndPassTheDeviceTextsThrough) {
  h.get<toolkit::Label>("lbArray", 77).setCaption("K");
  h.Notify(2400, Doc({{"LoopCurrent", "1.#R"},
                      {"PercentRange", "2141192192"},
                      {"PV", "21.456"},
                      {"SV", "1.#QNAN"},
                      {"TV", "-3.004"},
                      {"PVUnit", "32"},
                      {"SVUnit", "99"},
                      {"TVUnit", "37"}}));
  const std::pair<int, std::string> fields[] = {
      {105, "1.#R"}, {104, "2141192192.00"}, {86, "21.46"}, {102, "1.#QNAN"}, {103, "-3.00"}};
  for (const auto& [field, shown] : fields) EXPECT_EQ(h.text("txtParameter", field), shown) << field;
  EXPECT_EQ(h.caption("lbArray", 110), "\u00B0C");
  EXPECT_EQ(h.caption("lbArray", 77), "");  // a unit without a text empties its caption
  EXPECT_EQ(h.caption("lbArray", 114), "Ohm");
}

TEST_F(ObservePages, SpecificVariablesShowThreeDecimalsOrNotANumber) {
  const char* values[] = {"21.456", "2141192192", "1.#R", "7", "-0.0004", "1.#QNAN", "1e3", "x"};
  const char* units[] = {"32", "33", "34", "35", "36", "37", "39", "57"};
  TagValues doc;
  for (int i = 0; i < 8; ++i) doc.emplace_back("Var" + std::to_string(i + 1), values[i]);
  for (int i = 0; i < 8; ++i) doc.emplace_back("Var" + std::to_string(i + 1) + "Unit", units[i]);
  h.Notify(3200, Doc(doc));

  const int fields[] = {142, 141, 140, 139, 147, 148, 149, 150};
  const char* shown[] = {"21.456", "1.#QNAN", "1.#QNAN", "7.000", "0.000", "1.#QNAN", "1000.000", "0.000"};
  const int labels[] = {251, 252, 253, 254, 278, 277, 276, 275};
  const char* unitTexts[] = {"\u00B0C", "\u00B0F", "\u00B0R", "K", "mV", "Ohm", "mA", "%"};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(h.text("txtParameter", fields[i]), shown[i]) << "Var" << i + 1;
    EXPECT_EQ(h.caption("lbArray", labels[i]), unitTexts[i]) << "Var" << i + 1;
  }
}

TEST_F(ObservePages, TrimFieldTakesTheLoopCurrentOrTheTemperature) {
  auto& field = h.get<toolkit::TextBox>("txtParameter", 57);
  field.setBackColor(0xFFFFFF);
  h.Notify(2800, Doc({{"Current", "12.3456"}}));
  EXPECT_EQ(field.text(), "12.346");
  EXPECT_EQ(field.backColor(), toolkit::kSystemWindowBackground);

  // Both temperature notifications behave alike and leave the colour alone.
  for (int code : {2900, 3100}) {
    field.setBackColor(0xFFFFFF);
    h.get<toolkit::Label>("lbArray", 49).setCaption("");
    h.get<toolkit::Label>("lbArray", 54).setCaption("");
    h.Notify(code, Doc({{"Unit Temp", "33"}, {"Temp", code == 2900 ? "25.5" : "1.#R"}}));
    EXPECT_EQ(h.caption("lbArray", 49) + h.caption("lbArray", 54), "\u00B0F\u00B0F") << code;
    EXPECT_EQ(field.text(), code == 2900 ? "25.500" : "1.#QNAN") << code;
    EXPECT_EQ(field.backColor(), 0xFFFFFFu) << code;
  }
}

}  // namespace
}  // namespace zolin6::pages_test
