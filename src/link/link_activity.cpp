#include "link/link_activity.h"

#include <bit>
#include <charconv>
#include <string_view>
#include <vector>

#include "navigation/release.h"
#include "platform/channels.h"
#include "platform/framelink/contract.h"

namespace zolin6::link {

namespace {

using framelink::kStateNotification;
// The writes that hold an output at a current: channel 1's loop test (11)
// and trim (12) carry the current in Attribute1, the other channels' (22)
// the channel in Attribute1 and the current in Attribute2.
constexpr std::string_view kChannelOneLoopTest = "11";
constexpr std::string_view kChannelOneTrim = "12";
constexpr std::string_view kOtherChannels = "22";
// A device reset and a factory restore let every output go.
constexpr std::string_view kDeviceReset = "9";
constexpr std::string_view kFactoryRestore = "10";
constexpr int kReleasesAll = 0;
constexpr int kHoldsNothing = -1;  // any other write: its answer is not ours

// The IEEE single-precision number of 8 hexadecimal digits.
std::optional<double> HexFloat(std::string_view hex) {
  std::uint32_t bits = 0;
  auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
  if (hex.size() != 8 || ec != std::errc() || end != hex.data() + hex.size()) return std::nullopt;
  return static_cast<double>(std::bit_cast<float>(bits));
}

}  // namespace

std::optional<toolkit::Millis> LinkActivity::lastAnswer(std::int32_t reason) const {
  auto found = lastAnswers_.find(reason);
  if (found == lastAnswers_.end()) return std::nullopt;
  return found->second;
}

std::optional<double> LinkActivity::heldCurrent(int channel) const {
  auto found = heldCurrents_.find(channel);
  if (found == heldCurrents_.end()) return std::nullopt;
  return found->second;
}

void LinkActivity::OnRequest(RequestKind kind, const std::string& code, const std::string& document) {
  if (pending_++ == 0) pendingSince_ = clock_.now();
  if (kind == RequestKind::Write) {
    if (std::optional<std::pair<int, double>> hold = HoldOf(code, document)) {
      // Held from the moment it is asked: if no answer comes, it may be.
      if (hold->second != 0) heldCurrents_[hold->first] = hold->second;
      unanswered_.push_back(*hold);
    } else {
      const bool releasesAll = code == kDeviceReset || code == kFactoryRestore;
      unanswered_.emplace_back(releasesAll ? kReleasesAll : kHoldsNothing, 0.0);
    }
  }
  notify();
}

std::optional<std::pair<int, double>> LinkActivity::HoldOf(const std::string& code, const std::string& document) {
  const bool channelOne = code == kChannelOneLoopTest || code == kChannelOneTrim;
  if (!channelOne && code != kOtherChannels) return std::nullopt;
  const std::vector<std::string> attributes = RequestAttributes(document);
  if (channelOne && !attributes.empty()) {
    if (auto current = HexFloat(attributes[0])) return std::pair{1, *current};
  } else if (attributes.size() >= 2) {
    for (int channel = 2; channel <= kChannels; ++channel) {
      if (attributes[0] != navigation::OutputChannelCode(channel)) continue;
      if (auto current = HexFloat(attributes[1])) return std::pair{channel, *current};
    }
  }
  return std::nullopt;
}

// Writes are answered in the order sent; only a release, a reset or a
// restore the device carried out lets outputs go.
void LinkActivity::SettleHold(const Notification& notification) {
  if (unanswered_.empty()) return;
  if (notification.reason == kStateNotification) {
    // Off line: nothing outstanding will be answered; what was held may stay so.
    unanswered_.clear();
    return;
  }
  if (notification.reason != framelink::kWriteNotification) return;
  const auto [channel, current] = unanswered_.front();
  unanswered_.erase(unanswered_.begin());
  if (channel == kHoldsNothing || notification.value("Response Code 1").value_or("") != "0" || current != 0) return;
  if (channel == kReleasesAll) {
    heldCurrents_.clear();
  } else {
    heldCurrents_.erase(channel);
  }
}

void LinkActivity::OnNotification(const Notification& notification) {
  lastAnswers_[notification.reason] = clock_.now();
  SettleHold(notification);
  if (notification.reason != kStateNotification && notification.reason != framelink::kWriteNotification) {
    lastReadAnswer_ = clock_.now();
  }
  // A state element answers nothing unless the device is off line, when it
  // answers everything outstanding.
  if (notification.reason != kStateNotification || !framelink::StateSaysOnline(notification.text).value_or(false)) {
    pending_ = notification.reason == kStateNotification ? 0 : std::max(0, pending_ - 1);
  }
  notify();
}

void LinkActivity::OnSessionEnd() {
  pending_ = 0;
  notify();
}

void LinkActivity::notify() const {
  if (changed) changed();
}

}  // namespace zolin6::link
