#include "trend/trend_buffer.h"

#include <algorithm>

namespace zolin6::trend {

// Allocated and zeroed once, whole: the trend reaches its full size at once
// and never grows.
SampleRing::SampleRing(std::size_t capacity) : samples_(std::max<std::size_t>(capacity, 1)) {}

void SampleRing::Append(Sample sample) {
  if (size_ < samples_.size()) {
    samples_[(first_ + size_) % samples_.size()] = sample;
    ++size_;
  } else {
    samples_[first_] = sample;  // the oldest goes
    first_ = (first_ + 1) % samples_.size();
  }
}

TrendBuffer::TrendBuffer(toolkit::Millis window, toolkit::Millis spacing)
    : window_(window),
      spacing_(std::max<toolkit::Millis>(spacing, 1)),
      capacity_(static_cast<std::size_t>(window / spacing_) + 1) {}

void TrendBuffer::Append(toolkit::Millis time, const std::vector<ObservedValue>& values) {
  for (const ObservedValue& value : values) {
    auto found = std::find_if(series_.begin(), series_.end(),
                              [&](const Series& s) { return s.name == value.name && s.unit == value.unit; });
    if (found == series_.end()) {
      series_.push_back({value.name, value.unit, SampleRing(capacity_)});
      found = series_.end() - 1;
    }
    SampleRing& samples = found->samples;
    // Stretches counted from the clock's zero: polling at the fastest rate,
    // a poll late now and then loses that one sample, never more.
    if (!samples.empty() && samples.at(samples.size() - 1).time / spacing_ == time / spacing_) continue;
    samples.Append({time, value.value});
  }
}

}  // namespace zolin6::trend
