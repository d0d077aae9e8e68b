// The calibration's arithmetic and its record: errors in % of span, both
// sides of the tolerance, the test point sets and the JSON round trip.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calibration/calibration.h"
#include "calibration/calibration_json.h"

namespace zolin6::calibration {
namespace {

const ChannelRange kRange{-50, 150, "°C"};  // span 200: 1 % of span is 2 °C, and 0.16 mA

struct PointCase {
  const char* name;
  TestPoint point;
  double pvError;
  double currentError;
  bool passed;  // against a tolerance of 0.5 % of span
};

TEST(CalibrationTest, ErrorsAndVerdictOfAPoint) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const PointCase cases[] = {
      {"exact at zero", {0, -50, -50, 4}, 0, 0, true},
      {"exact at 100 %", {100, 150, 150, 20}, 0, 0, true},
      // The reference, not the nominal point, sets the expected current.
      {"reference off the point", {50, 52, 52, 12.16}, 0, 0, true},
      {"pv on the upper tolerance", {50, 50, 51, 12}, 0.5, 0, true},
      {"pv just above it", {50, 50, 51.01, 12}, 0.505, 0, false},
      {"pv on the lower tolerance", {50, 50, 49, 12}, -0.5, 0, true},
      {"pv just below it", {50, 50, 48.99, 12}, -0.505, 0, false},
      {"current on the upper tolerance", {50, 50, 50, 12.08}, 0, 0.5, true},
      {"current just above it", {50, 50, 50, 12.0816}, 0, 0.51, false},
      {"current on the lower tolerance", {50, 50, 50, 11.92}, 0, -0.5, true},
      {"current just below it", {50, 50, 50, 11.9184}, 0, -0.51, false},
      {"no reading", {50, 50, kNaN, 12}, kNaN, 0, false},
  };
  for (const PointCase& c : cases) {
    const PointResult result = Evaluate(kRange, 0.5, c.point);
    if (std::isnan(c.pvError)) {
      EXPECT_TRUE(std::isnan(result.pvError)) << c.name;
    } else {
      EXPECT_NEAR(result.pvError, c.pvError, 1e-9) << c.name;
    }
    EXPECT_NEAR(result.currentError, c.currentError, 1e-9) << c.name;
    EXPECT_EQ(result.passed, c.passed) << c.name;
  }
}

TEST(CalibrationTest, ExpectedCurrentFollowsTheReferenceAcrossTheRange) {
  EXPECT_DOUBLE_EQ(Evaluate(kRange, 1, {0, -50, -50, 4}).expectedCurrent, 4);
  EXPECT_DOUBLE_EQ(Evaluate(kRange, 1, {25, 0, 0, 8}).expectedCurrent, 8);
  EXPECT_DOUBLE_EQ(Evaluate(kRange, 1, {100, 150, 150, 20}).expectedCurrent, 20);
  // A range without span judges nothing as passed; a span of one unit is a span.
  EXPECT_FALSE(Evaluate({10, 10, "°C"}, 1, {0, 10, 10, 4}).passed);
  EXPECT_TRUE(Evaluate({10, 11, "°C"}, 1, {0, 10, 10, 4}).passed);
}

TEST(CalibrationTest, ThreeOrFivePointsAcrossTheRange) {
  EXPECT_EQ(TestPercents(3), (std::vector<double>{0, 50, 100}));
  EXPECT_EQ(TestPercents(5), (std::vector<double>{0, 25, 50, 75, 100}));
  EXPECT_TRUE(TestPercents(4).empty());
  std::vector<double> applied;
  for (double percent : TestPercents(5)) applied.push_back(RangeValue(kRange, percent));
  EXPECT_EQ(applied, (std::vector<double>{-50, 0, 50, 100, 150}));
}

CalibrationRecord Sample() {
  CalibrationRecord record;
  record.device = {"TT-101", "Reactor 2 <outlet> & return", "1234567"};
  record.number = CertificateNumber(record.device, 3, "20261207T160000Z");
  record.channel = 3;
  record.range = kRange;
  record.tolerance = 0.25;
  record.reference = {"Dry block", "DB-77", "CERT-2026/14", "2027-03-01"};
  record.technician = "A. Field";
  record.ambient = "21.5 °C";
  record.performedAt = "2026-12-07T16:00:00Z";
  record.asFound = {{0, -49.9, -49.5, 4.04}, {50, 50.1, 50.6, 12.01}, {100, 150, 150.9, 20.1}};
  record.asLeft = {{0, -50, -50.01, 4.0}, {50, 50, 50.02, 12.0}, {100, 150, 150.01, 20.0}};
  record.trimmed = true;
  return record;
}

TEST(CalibrationTest, VerdictIsTheAsLeftTestsOnceThereIsOne) {
  CalibrationRecord record = Sample();
  EXPECT_FALSE(TestPassed(record, record.asFound));
  EXPECT_TRUE(RecordPassed(record));
  record.asLeft.clear();
  EXPECT_FALSE(RecordPassed(record));
  record.asFound.clear();
  EXPECT_FALSE(RecordPassed(record));  // nothing measured passes nothing
}

TEST(CalibrationTest, RecordRoundTripsThroughJson) {
  CalibrationRecord record = Sample();
  Result<CalibrationRecord> back = FromJson(ToJson(record));
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(*back, record);
  EXPECT_EQ(back->number, "CAL-TT-101-3-20261207T160000Z");

  record.asFound[1].pv = std::numeric_limits<double>::quiet_NaN();
  back = FromJson(ToJson(record));
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_TRUE(std::isnan(back->asFound[1].pv));
}

TEST(CalibrationTest, JsonThatIsNoRecordIsRefusedWithWhy) {
  EXPECT_FALSE(FromJson("not json"));
  EXPECT_FALSE(FromJson("[1, 2]"));
  Result<CalibrationRecord> missing = FromJson(R"({"device": {"tag": "A"}})");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("incomplete"), std::string::npos);
}

}  // namespace
}  // namespace zolin6::calibration
