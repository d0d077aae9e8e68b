#include "device/burst_publisher.h"

#include <cmath>

#include "device/burst_rules.h"
#include "device/device_variables.h"

namespace zolin6::device {

namespace {

constexpr int kReadVariablesWithStatus = 9;
constexpr std::size_t kTimeStampSize = 4;  // command 9's last bytes: they change every time

Millis ToMillis(std::uint32_t ticks) { return static_cast<Millis>(ticks / kBurstTicksPerMs); }

// The values a message carries, without what changes with the clock alone.
hart::Bytes ValuesOf(int command, const hart::Bytes& data) {
  const std::size_t keep =
      command == kReadVariablesWithStatus && data.size() >= kTimeStampSize ? data.size() - kTimeStampSize : data.size();
  return {data.begin(), data.begin() + static_cast<long>(keep)};
}

}  // namespace

bool BurstPublisher::bursting() const {
  for (const BurstMessage& m : device_.state().bursts) {
    if (m.control != 0) return true;
  }
  return false;
}

void BurstPublisher::forgetSwitchedOff() {
  for (std::size_t i = 0; i < sent_.size(); ++i) {
    if (device_.state().bursts[i].control == 0) sent_[i] = {};
  }
}

std::optional<Millis> BurstPublisher::nextDue(Millis now) {
  forgetSwitchedOff();
  std::optional<Millis> next;
  for (int i = 0; i < kBurstMessages; ++i) {
    const BurstMessage& m = device_.state().bursts[static_cast<std::size_t>(i)];
    if (m.control == 0) continue;
    const Sent& s = sent_[static_cast<std::size_t>(i)];
    Millis at = now;
    if (s.at) {
      at = *s.at + ToMillis(m.updatePeriod);
      // A trigger that did not hold is looked at again as the process steps.
      if (s.checkedAt && *s.checkedAt >= at) at = std::min(*s.checkedAt + kTriggerCheck, *s.at + ToMillis(m.maxPeriod));
      at = std::max(at, now);
    }
    if (!next || at < *next) next = at;
  }
  return next;
}

bool BurstPublisher::due(int message, Millis now, const Reply& frame, std::optional<float> value) const {
  const BurstMessage& m = device_.state().bursts[static_cast<std::size_t>(message)];
  const Sent& s = sent_[static_cast<std::size_t>(message)];
  if (!s.at) return true;
  const Millis since = now - *s.at;
  if (since >= ToMillis(m.maxPeriod)) return true;
  if (since < ToMillis(m.updatePeriod)) return false;
  switch (m.triggerMode) {
    case kTriggerWindow: return !value || !s.value || std::fabs(*value - *s.value) > m.triggerLevel;
    case kTriggerRising: return value && *value >= m.triggerLevel;
    case kTriggerFalling: return value && *value <= m.triggerLevel;
    case kTriggerOnChange: return ValuesOf(m.command, frame.data) != s.values;
    default: return true;
  }
}

std::optional<Reply> BurstPublisher::publish(Millis now) {
  forgetSwitchedOff();
  std::optional<Reply> chosen;
  int chosenMessage = -1;
  std::optional<float> chosenValue;
  for (int i = 0; i < kBurstMessages; ++i) {
    if (device_.state().bursts[static_cast<std::size_t>(i)].control == 0) continue;
    const std::optional<float> value = device_.BurstTriggerValue(i, now);
    Reply frame = device_.BurstReply(i, now);
    if (!due(i, now, frame, value)) {
      sent_[static_cast<std::size_t>(i)].checkedAt = now;
      continue;
    }
    // The one published longest ago goes first; one never published before all.
    const auto& at = sent_[static_cast<std::size_t>(i)].at;
    const auto& chosenAt = chosenMessage < 0 ? at : sent_[static_cast<std::size_t>(chosenMessage)].at;
    if (chosenMessage < 0 || (!at && chosenAt) || (at && chosenAt && *at < *chosenAt)) {
      chosen = std::move(frame);
      chosenMessage = i;
      chosenValue = value;
    }
  }
  if (!chosen) return std::nullopt;
  Sent& s = sent_[static_cast<std::size_t>(chosenMessage)];
  s = {now, std::nullopt, chosenValue, ValuesOf(chosen->command, chosen->data)};
  chosen->address.primaryMaster = primaryNext_;
  primaryNext_ = !primaryNext_;
  return chosen;
}

}  // namespace zolin6::device
