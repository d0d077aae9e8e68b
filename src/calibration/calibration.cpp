#include "calibration/calibration.h"

#include <cmath>

namespace zolin6::calibration {

namespace {

// An error that equals the tolerance passes; the last bits of a floating
// point division must not make it fail.
constexpr double kBoundarySlack = 1e-9;

}  // namespace

std::string CertificateNumber(const DeviceIdentity& device, int channel, const std::string& compactUtc) {
  const std::string tag = device.tag.empty() ? device.deviceId : device.tag;
  return "CAL-" + tag + "-" + std::to_string(channel) + "-" + compactUtc;
}

std::vector<double> TestPercents(int count) {
  if (count == 3) return {0, 50, 100};
  if (count == 5) return {0, 25, 50, 75, 100};
  return {};
}

double RangeValue(const ChannelRange& range, double percent) { return range.lower + range.span() * percent / 100; }

PointResult Evaluate(const ChannelRange& range, double tolerance, const TestPoint& point) {
  PointResult result;
  const double span = range.span();
  if (span == 0 || !std::isfinite(span)) return result;
  result.expectedCurrent = kZeroCurrentMa + kCurrentSpanMa * (point.reference - range.lower) / span;
  result.pvError = (point.pv - point.reference) / span * 100;
  result.currentError = (point.current - result.expectedCurrent) / kCurrentSpanMa * 100;
  const double limit = tolerance + kBoundarySlack;
  // NaN (a reading the device could not make) fails both comparisons.
  result.passed = std::abs(result.pvError) <= limit && std::abs(result.currentError) <= limit;
  return result;
}

bool TestPassed(const CalibrationRecord& record, const std::vector<TestPoint>& points) {
  if (points.empty()) return false;
  for (const TestPoint& point : points) {
    if (!Evaluate(record.range, record.tolerance, point).passed) return false;
  }
  return true;
}

bool RecordPassed(const CalibrationRecord& record) {
  return TestPassed(record, record.asLeft.empty() ? record.asFound : record.asLeft);
}

}  // namespace zolin6::calibration
