// The diagnosis page: status lamps (2500), change counters (2600) and the
// recorded temperature extremes (2700).

#include "pages/page_test_support.h"

namespace zolin6::pages_test {
namespace {

class DiagnosisPages : public PageTest {
 protected:
  // The lamps that are on, among those given; a lamp's three colours move together.
  std::vector<int> LampsOn(const std::vector<int>& lamps) {
    std::vector<int> on;
    for (int lamp : lamps) {
      const auto& shape = h.get<toolkit::Shape>("ShapeDiagnosis", lamp);
      EXPECT_EQ(shape.fillColor(), shape.borderColor()) << lamp;
      EXPECT_EQ(shape.fillColor(), shape.backColor()) << lamp;
      if (shape.fillColor() == toolkit::kLampOn) on.push_back(lamp);
    }
    return on;
  }
  void Status(const std::string& device, const std::string& diag, const std::string& byte1) {
    h.Notify(
        2500,
        Doc({{"Device Status", device}, {"DiagStatus", diag}, {"DiagStatusByte1", byte1}, {"ChangeCounters", "3"}}));
  }
  const std::vector<int> kDeviceLamps{0, 1, 2, 3, 4, 5, 6, 7};
  const std::vector<int> kSpecificLamps{12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
};

TEST_F(DiagnosisPages, StatusBitsDriveTheirLamps) {
  Status("64", "1", "0");
  EXPECT_EQ(LampsOn(kDeviceLamps), (std::vector<int>{6}));
  EXPECT_EQ(LampsOn(kSpecificLamps), (std::vector<int>{19}));
  EXPECT_EQ(h.text("txtParameter", 106), "3");
  Status("255", "126", "30");  // DiagStatus bits 1..6, DiagStatusByte1 bits 1..4
  EXPECT_EQ(LampsOn(kDeviceLamps), kDeviceLamps);
  EXPECT_EQ(LampsOn(kSpecificLamps), (std::vector<int>{12, 13, 15, 16, 17, 18, 20, 21, 22, 23}));
}

TEST_F(DiagnosisPages, TheSecondByteDecidesTheSharedLampAndItsHighBitsHaveNone) {
  // "ADC Conversion Error" (14) is bit 7 of DiagStatus and bit 0 of DiagStatusByte1.
  Status("0", "128", "0");
  EXPECT_EQ(LampsOn(kSpecificLamps), (std::vector<int>{}));
  Status("0", "0", "1");
  EXPECT_EQ(LampsOn(kSpecificLamps), (std::vector<int>{14}));
  Status("0", "255", "224");
  EXPECT_EQ(LampsOn(kSpecificLamps), (std::vector<int>{12, 13, 15, 16, 17, 18, 19}));
}

TEST_F(DiagnosisPages, ChangeCountersAreShownAsReceived) {
  const std::pair<const char*, int> counters[] = {
      {"ChangeSensorRange", 120},   {"ChangeSensorTrim", 119},   {"ChangeSensorConfig", 118}, {"ChangeSensorUnit", 117},
      {"ChangeSensorDamping", 116}, {"ChangeSensorCjunct", 115}, {"ChangeCurrentTrim", 114},  {"ChangeTempTrim", 112},
      {"ChangeTempUnit", 111},      {"ChangeSoftWprotect", 110}, {"ChangeDspVar", 109},       {"ChangeFailSafe", 108},
      {"ChangeMultidrop", 107},     {"ChangeVanDusen", 125}};
  TagValues doc;
  for (const auto& [tag, field] : counters) doc.emplace_back(tag, " 0" + std::to_string(field));
  h.Notify(2600, Doc(doc));
  for (const auto& [tag, field] : counters) {
    EXPECT_EQ(h.text("txtParameter", field), " 0" + std::to_string(field)) << tag;
  }
}

TEST_F(DiagnosisPages, TemperatureExtremesShowUnrecordedValuesAsDash) {
  auto extremes = [](const char* snsMin, const char* snsMax, const char* localMin, const char* localMax) {
    return Doc({{"SnsMinTemp", snsMin},
                {"SnsMaxTemp", snsMax},
                {"VarLocalMinTemp", localMin},
                {"VarLocalMaxTemp", localMax},
                {"SensorMaxMin", "1"},
                {"TempMaxMin", "0"},
                {"SensorUnit", "32"},
                {"TempUnit", "33"}});
  };
  auto shown = [&] {
    return h.text("txtParameter", 124) + " " + h.text("txtParameter", 123) + " " + h.text("txtParameter", 55) + " " +
           h.text("txtParameter", 54);
  };
  // A value the display rounds to 5000.000 counts as 5000.
  h.Notify(2700, extremes("1.#QNAN", "5000", "-5000", "4999.9996"));
  EXPECT_EQ(shown(), "1.#QNAN - - -");
  EXPECT_EQ(h.text("cmbSensorMaxMin") + " " + h.text("cmbTempMaxMin"), "Enabled Disabled");
  EXPECT_EQ(h.caption("lbArray", 180) + h.caption("lbArray", 181), "\u00B0C\u00B0C");
  EXPECT_EQ(h.caption("lbArray", 182) + h.caption("lbArray", 183), "\u00B0F\u00B0F");

  h.Notify(2700, extremes("-12.5", "4999.999", "5000.0004x", "2141192192"));
  EXPECT_EQ(shown(), "-12.500 4999.999 - 1.#QNAN");
}

}  // namespace
}  // namespace zolin6::pages_test
