#pragma once
// The trend's memory: for each observed value (name and unit), the samples
// of the last 24 hours at the polling rate, in a ring allocated once, so
// that a trend that runs for days uses no more memory than one that has
// just filled its window. A NaN sample is kept: it is a gap in the line.
// A series keeps at most one sample in each stretch of the fastest polling
// (the first): values published faster than that still fill the window.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/toolkit/clock.h"
#include "trend/observed_values.h"

namespace zolin6::trend {

inline constexpr toolkit::Millis kTrendWindow = 24LL * 60 * 60 * 1000;  // ms kept
// The fastest the observation page polls, ms; the ring holds the window at
// this rate.
inline constexpr toolkit::Millis kFastestPolling = 3000;

struct Sample {
  toolkit::Millis time;  // on the control's clock, ms
  double value;          // NaN: a gap
};

// A fixed-capacity ring of samples, oldest first.
class SampleRing {
 public:
  explicit SampleRing(std::size_t capacity);
  void Append(Sample sample);
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t capacity() const { return samples_.size(); }
  // The i-th oldest sample, 0 <= i < size().
  const Sample& at(std::size_t i) const { return samples_[(first_ + i) % samples_.size()]; }

 private:
  std::vector<Sample> samples_;
  std::size_t first_ = 0;
  std::size_t size_ = 0;
};

struct Series {
  std::string name;  // "PV"
  std::string unit;  // "°C"
  SampleRing samples;
};

class TrendBuffer {
 public:
  explicit TrendBuffer(toolkit::Millis window = kTrendWindow, toolkit::Millis spacing = kFastestPolling);

  // One notification's values; a value seen for the first time (or with a
  // new unit) starts a series of its own.
  void Append(toolkit::Millis time, const std::vector<ObservedValue>& values);

  // In the order they first appeared.
  const std::vector<Series>& series() const { return series_; }
  toolkit::Millis window() const { return window_; }

 private:
  toolkit::Millis window_;
  toolkit::Millis spacing_;
  std::size_t capacity_;
  std::vector<Series> series_;
};

}  // namespace zolin6::trend
