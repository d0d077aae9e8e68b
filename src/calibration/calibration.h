#pragma once
// A channel's calibration as the technician records it: at each test point
// he applies a temperature and enters what his reference instrument reads;
// the transmitter's reading (PV) and the loop current it drives are read
// beside it. Errors are in % of span, judged against the tolerance he sets.
// An as-found test, the trims if any, and an as-left test make one record.

#include <string>
#include <vector>

namespace zolin6::calibration {

// The loop's live zero and span, mA.
inline constexpr double kZeroCurrentMa = 4.0;
inline constexpr double kCurrentSpanMa = 16.0;

struct ChannelRange {
  double lower = 0;  // lower range value (4 mA)
  double upper = 0;  // upper range value (20 mA)
  std::string unit;  // as the pages show it ("°C")

  double span() const { return upper - lower; }
  bool operator==(const ChannelRange&) const = default;
};

// One test point as measured.
struct TestPoint {
  double percent = 0;    // where in the range it was meant to be
  double reference = 0;  // the reference instrument's reading, in the channel's unit
  double pv = 0;         // the transmitter's reading
  double current = 0;    // the loop current, mA

  bool operator==(const TestPoint&) const = default;
};

// What a test point comes to.
struct PointResult {
  double expectedCurrent = 0;  // mA the reference reading should give
  double pvError = 0;          // % of span
  double currentError = 0;     // % of span (of 16 mA)
  bool passed = false;         // both errors within the tolerance
};

struct ReferenceInstrument {
  std::string name;
  std::string serial;
  std::string certificate;
  std::string dueDate;  // the reference's own calibration due date, as entered

  bool operator==(const ReferenceInstrument&) const = default;
};

struct DeviceIdentity {
  std::string tag;
  std::string longTag;
  std::string deviceId;

  bool operator==(const DeviceIdentity&) const = default;
};

struct CalibrationRecord {
  std::string number;  // the certificate's number, unique in the device history
  DeviceIdentity device;
  int channel = 1;  // 1..6
  ChannelRange range;
  double tolerance = 0.5;  // % of span, for PV and current alike
  ReferenceInstrument reference;
  std::string technician;
  std::string ambient;      // the ambient temperature, as entered ("21.5 °C")
  std::string performedAt;  // ISO 8601 UTC
  std::vector<TestPoint> asFound;
  std::vector<TestPoint> asLeft;
  bool trimmed = false;  // trims were made between the two tests

  bool operator==(const CalibrationRecord&) const = default;
};

// A certificate number a technician can read out and type again:
// "CAL-TT-204-2-20261207T164500Z" (tag, channel, time in UTC).
std::string CertificateNumber(const DeviceIdentity& device, int channel, const std::string& compactUtc);

// The test points' places in % of the range: 3 (0/50/100) or 5
// (0/25/50/75/100); empty for any other count.
std::vector<double> TestPercents(int count);

// The value at `percent` of the range: what to apply at that point.
double RangeValue(const ChannelRange& range, double percent);

// The point judged against `tolerance` (% of span). A range without span
// fails every point.
PointResult Evaluate(const ChannelRange& range, double tolerance, const TestPoint& point);

// Every point passes; false for a test without points.
bool TestPassed(const CalibrationRecord& record, const std::vector<TestPoint>& points);

// The record's verdict: its as-left test when it has one, else its
// as-found test.
bool RecordPassed(const CalibrationRecord& record);

}  // namespace zolin6::calibration
