// The sensor range tabs (1800-2300).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using RangePages = PageTest;

TEST_F(RangePages, LimitsAreUncheckedAndRangeValuesAndSpanChecked) {
  h.Notify(2100, Doc({{"Sns4UpperRangeLimit", "1.#R"},
                      {"Sns4LowerRangeLimit", "-200"},
                      {"Sns4UpperRangeValue", "1.#R"},
                      {"Sns4LowerRangeValue", "12.34567"},
                      {"Sns4MinSpan", "2141192192"},
                      {"Sns4Unit", "35"}}));
  const std::pair<int, std::string> fields[] = {
      {94, "1.000"}, {93, "-200.000"}, {97, "1.#QNAN"}, {96, "12.346"}, {95, "1.#QNAN"}};
  for (const auto& [field, shown] : fields) EXPECT_EQ(h.text("txtParameter", field), shown) << field;
  EXPECT_EQ(h.text("cmbPVUnits", 3), "K");
}

TEST_F(RangePages, EachNotificationFillsItsOwnTab) {
  const int upperValue[] = {40, 87, 92, 97, 130, 160};
  for (int channel = 1; channel <= 6; ++channel) {
    const std::string sns = "Sns" + std::to_string(channel);
    h.Notify(1700 + 100 * channel, Doc({{sns + "UpperRangeLimit", "850"},
                                        {sns + "LowerRangeLimit", "-200"},
                                        {sns + "UpperRangeValue", std::to_string(channel)},
                                        {sns + "LowerRangeValue", "0"},
                                        {sns + "MinSpan", "10"},
                                        {sns + "Unit", "32"}}));
    EXPECT_EQ(h.text("txtParameter", upperValue[channel - 1]), std::to_string(channel) + ".000") << channel;
    EXPECT_EQ(h.text("cmbPVUnits", channel - 1), "\u00B0C") << channel;
  }
}

TEST_F(RangePages, MissingSpanKeepsSpanAndUnitAfterTheRangeValues) {
  Mark({38});
  h.get<toolkit::ComboBox>("cmbPVUnits", 0).setText("K");
  h.Notify(1800, Doc({{"Sns1UpperRangeLimit", "850"},
                      {"Sns1LowerRangeLimit", "-200"},
                      {"Sns1UpperRangeValue", "100"},
                      {"Sns1LowerRangeValue", "-50"},
                      {"Sns1Unit", "32"}}));
  EXPECT_EQ(h.text("txtParameter", 40) + " " + h.text("txtParameter", 39), "100.000 -50.000");
  EXPECT_EQ(h.text("txtParameter", 38), "old");
  EXPECT_EQ(h.text("cmbPVUnits", 0), "K");
}

}  // namespace
}  // namespace zolin6::pages_test
