// The sensor channel pages: information tabs (300-800), configuration tabs
// (1000-1500), the local temperature unit (1600) and the sensor parameter
// tab (3300).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

using SensorPages = PageTest;

TagValues SensorInfo(int channel, const std::string& type, const std::string& lowerValue) {
  const std::string sns = "Sns" + std::to_string(channel);
  return {{sns + "Type", type},
          {sns + "Connection", "3"},
          {sns + "ColdJunction", "1"},
          {sns + "Unit", "32"},
          {sns + "UpperRangeLimit", "1372"},
          {sns + "LowerRangeLimit", "-270"},
          {sns + "UpperRangeValue", "1.#QNAN"},
          {sns + "LowerRangeValue", lowerValue}};
}

TEST_F(SensorPages, InformationTabShowsCodesAsTextsAndRangesUnchecked) {
  h.Notify(500, Doc(SensorInfo(3, "137", "2141192192")));
  const std::pair<int, std::string> fields[] = {
      {42, "T/C Type K IEC"}, {33, "Three wires"}, {43, "Internal"},      {35, "\u00B0C"}, {44, "1372.000"},
      {32, "-270.000"},       {41, "1.000"},       {45, "2141192192.000"}};  // no not-a-number check on this tab
  for (const auto& [field, shown] : fields) EXPECT_EQ(h.text("txtParameter", field), shown) << field;

  // A type without a text keeps the field; the loader goes on.
  h.Notify(500, Doc(SensorInfo(3, "135", "4")));
  EXPECT_EQ(h.text("txtParameter", 42), "T/C Type K IEC");
  EXPECT_EQ(h.text("txtParameter", 45), "4.000");
}

TEST_F(SensorPages, EachInformationNotificationFillsItsOwnChannel) {
  const std::pair<int, int> typeAndLowerValue[] = {{24, 34}, {28, 31}, {42, 45}, {50, 56}, {63, 66}, {72, 78}};
  for (int channel = 1; channel <= 6; ++channel) {
    h.Notify(200 + 100 * channel, Doc(SensorInfo(channel, "12", std::to_string(channel))));
    const auto [type, lower] = typeAndLowerValue[channel - 1];
    EXPECT_EQ(h.text("txtParameter", type), "Pt 100 IEC") << channel;
    EXPECT_EQ(h.text("txtParameter", lower), std::to_string(channel) + ".000") << channel;
  }
}

TEST_F(SensorPages, ConfigurationAndLocalUnitTakeOnlyKnownCodes) {
  h.get<toolkit::ComboBox>("cmbColdJunction", 3).setText("Internal");
  h.Notify(1300, Doc({{"Sns4Type", "249"}, {"Sns4Connection", "9"}, {"Sns4ColdJunction", "0"}}));
  EXPECT_EQ(h.text("cmbSensorType", 3), "4-20mA Input");
  EXPECT_EQ(h.text("cmbSensorConnection", 3), "Average");
  EXPECT_EQ(h.text("cmbColdJunction", 3), "Internal");
  EXPECT_EQ(h.text("cmbSensorType", 2), "");

  h.Notify(1600, Doc({{"TempUnit", "33"}}));
  h.Notify(1600, Doc({{"TempUnit", "99"}}));
  EXPECT_EQ(h.text("cmbUnitLocalTemp"), "\u00B0F");
}

TEST_F(SensorPages, ParameterTabShowsLimitsCoefficientsAndDamping) {
  auto parameters = [](const std::string& unit) {
    return Doc({{"SnsUnit", unit},
                {"SnsTempHighLimit", "850"},
                {"SnsTempLowLimit", "-200.5"},
                {"CoeffA", "0.0039083"},
                {"CoeffB", "-0.0000005775"},
                {"CoeffC", "-4.183E-12"},
                {"CoeffRA", "100"},
                {"Damping", "2"}});
  };
  h.Notify(3300, parameters("32"));
  EXPECT_EQ(h.caption("lbArray", 246) + h.caption("lbArray", 247), "\u00B0C\u00B0C");
  const std::pair<int, std::string> fields[] = {{136, "850.000"},
                                                {137, "-200.500"},
                                                {143, "0.003908300000000"},
                                                {144, "-0.000000577500000"},
                                                {145, "-0.000000000004183"},
                                                {138, "100.000000000000000"},
                                                {146, "2.00"}};
  for (const auto& [field, shown] : fields) EXPECT_EQ(h.text("txtParameter", field), shown) << field;

  h.Notify(3300, parameters("200"));  // a unit without a text empties both captions
  EXPECT_EQ(h.caption("lbArray", 246) + h.caption("lbArray", 247), "");
}

}  // namespace
}  // namespace zolin6::pages_test
