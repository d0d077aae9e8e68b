// The value kinds and display formats, through the loaders that use them, in
// both decimal separators.

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

struct KindCase {
  const char* kind;
  int notification;
  TagValues document;  // the page's document; `tag` gets `value`
  std::string tag;
  std::string value;
  int field;              // txtParameter index
  std::string withPoint;  // shown with "." as the user's separator ("old": unchanged)
  std::string withComma;  // shown with ","
};

TagValues With(TagValues document, const std::string& tag, const std::string& value) {
  for (auto& parameter : document) {
    if (parameter.first == tag) parameter.second = value;
  }
  return document;
}

const TagValues kCurrent = {{"Current", "0"}};
const TagValues kObserve = {{"LoopCurrent", "4"}, {"PercentRange", "0"}, {"PV", "0"},      {"SV", "0"},
                            {"TV", "0"},          {"PVUnit", "32"},      {"SVUnit", "32"}, {"TVUnit", "32"}};
const TagValues kSensorParameters = {{"SnsUnit", "32"}, {"SnsTempHighLimit", "0"}, {"SnsTempLowLimit", "0"},
                                     {"CoeffA", "0"},   {"CoeffB", "0"},           {"CoeffC", "0"},
                                     {"CoeffRA", "0"},  {"Damping", "0"}};
const TagValues kRange = {{"Sns1UpperRangeLimit", "0"}, {"Sns1LowerRangeLimit", "0"}, {"Sns1UpperRangeValue", "0"},
                          {"Sns1LowerRangeValue", "0"}, {"Sns1MinSpan", "0"},         {"Sns1Unit", "32"}};
const TagValues kInfo = {{"Sns1Type", "12"},           {"Sns1Connection", "2"},      {"Sns1ColdJunction", "1"},
                         {"Sns1Unit", "32"},           {"Sns1UpperRangeLimit", "0"}, {"Sns1LowerRangeLimit", "0"},
                         {"Sns1UpperRangeValue", "0"}, {"Sns1LowerRangeValue", "0"}};
const TagValues kExtremes = {{"SnsMinTemp", "0"},      {"SnsMaxTemp", "0"},   {"VarLocalMinTemp", "0"},
                             {"VarLocalMaxTemp", "0"}, {"SensorMaxMin", "1"}, {"TempMaxMin", "1"},
                             {"SensorUnit", "32"},     {"TempUnit", "32"}};
const TagValues kHartConfig = {{"ReqPreambles", "5"},    {"RespPreambles", "5"}, {"WriteProtect", "0"},
                               {"Polling_Address", "0"}, {"CurrentMode", "0"},   {"Loop_Alarm", "0"}};

const KindCase kCases[] = {
    // Number with the three-text check, "###0.000".
    {"checked", 2800, kCurrent, "Current", "12.3456", 57, "12.346", "12,346"},
    {"checked", 2800, kCurrent, "Current", "0", 57, "0.000", "0,000"},
    {"checked", 2800, kCurrent, "Current", "-0.0004", 57, "0.000", "0,000"},
    {"checked", 2800, kCurrent, "Current", "1.2345", 57, "1.235", "1,235"},
    {"checked", 2800, kCurrent, "Current", "2141192192", 57, "1.#QNAN", "1.#QNAN"},
    {"checked", 2800, kCurrent, "Current", "1.#R", 57, "1.#QNAN", "1.#QNAN"},
    // The leading-number rule: the device's "." whatever the user's locale.
    {"leading number", 2800, kCurrent, "Current", "12.5abc", 57, "12.500", "12,500"},
    {"leading number", 2800, kCurrent, "Current", "", 57, "0.000", "0,000"},
    {"leading number", 2800, kCurrent, "Current", "  -7.25 mA", 57, "-7.250", "-7,250"},
    {"leading number", 2800, kCurrent, "Current", "1.5E2", 57, "150.000", "150,000"},
    {"leading number", 2800, kCurrent, "Current", "12,5", 57, "12.000", "12,000"},
    {"leading number", 2800, kCurrent, "Current", "abc", 57, "0.000", "0,000"},
    // The observation page: two decimals, only two texts passed through.
    {"observed", 2400, kObserve, "PV", "21.456", 86, "21.46", "21,46"},
    {"observed", 2400, kObserve, "PV", "1.#R", 86, "1.#R", "1.#R"},
    {"observed", 2400, kObserve, "PV", "2141192192", 86, "2141192192.00", "2141192192,00"},
    // Fifteen decimals and two decimals on the sensor parameter tab.
    {"fifteen", 3300, kSensorParameters, "CoeffB", "-0.0000005775", 144, "-0.000000577500000", "-0,000000577500000"},
    {"fifteen", 3300, kSensorParameters, "CoeffA", "1.#QNAN", 143, "1.000000000000000", "1,000000000000000"},
    {"two", 3300, kSensorParameters, "Damping", "2", 146, "2.00", "2,00"},
    // Unchecked on the information and range limits, checked on the range values.
    {"unchecked", 300, kInfo, "Sns1UpperRangeValue", "2141192192", 23, "2141192192.000", "2141192192,000"},
    {"unchecked", 1800, kRange, "Sns1UpperRangeLimit", "1.#R", 37, "1.000", "1,000"},
    {"checked", 1800, kRange, "Sns1UpperRangeValue", "2141192192", 40, "1.#QNAN", "1.#QNAN"},
    {"checked", 1800, kRange, "Sns1MinSpan", "1.#R", 38, "1.#QNAN", "1.#QNAN"},
    // The 5000 rule reads the shown text back in the user's locale.
    {"5000 rule", 2700, kExtremes, "SnsMaxTemp", "5000", 123, "-", "-"},
    {"5000 rule", 2700, kExtremes, "SnsMaxTemp", "-4999.9999", 123, "-", "-"},
    {"5000 rule", 2700, kExtremes, "SnsMaxTemp", "5000.001", 123, "5000.001", "5000,001"},
    // Integers and codes go through the locale-aware conversion: the other
    // separator is the locale's digit grouping, and a fraction rounds half
    // to even.
    {"integer", 900, kHartConfig, "Polling_Address", "05", 36, "5", "5"},
    {"integer", 900, kHartConfig, "Polling_Address", "-3", 36, "-3", "-3"},
    {"integer", 900, kHartConfig, "Polling_Address", "3.5", 36, "4", "35"},
    {"integer", 900, kHartConfig, "Polling_Address", "3,5", 36, "35", "4"},
    {"integer", 900, kHartConfig, "Polling_Address", "3.5.1", 36, "old", "351"},
    {"integer", 900, kHartConfig, "Polling_Address", "1e1", 36, "10", "10"},
};

TEST(ValueKinds, EveryKindShowsInBothDecimalSeparators) {
  for (char separator : {'.', ','}) {
    LocaleGuard locale(separator);
    fakes::ControlHarness h;
    h.Connect();
    for (const KindCase& c : kCases) {
      h.get<toolkit::TextBox>("txtParameter", c.field).setText("old");
      h.Notify(c.notification, Doc(With(c.document, c.tag, c.value)));
      EXPECT_EQ(h.text("txtParameter", c.field), separator == '.' ? c.withPoint : c.withComma)
          << c.kind << ": " << c.tag << " = \"" << c.value << "\" with '" << separator << "'";
    }
  }
  EXPECT_EQ(platform::UserLocale().decimalSeparator, '.');
}

}  // namespace
}  // namespace zolin6::pages_test
