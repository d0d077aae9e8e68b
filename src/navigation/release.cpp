#include "navigation/release.h"

namespace zolin6::navigation {

namespace {
constexpr int kChannels = 6;
}

std::string OutputChannelCode(int channel) { return "0" + std::to_string(channel - 1); }

std::optional<CurrentRelease> ReleaseForPage(std::string_view page) {
  // Channel 1 has operation codes of its own; its mode "00" with a zero
  // current asks the device to leave fixed-current mode.
  const CurrentRelease channel1{"12", "00000000", "00"};
  if (page == "Loop Test") return channel1;
  for (int channel = 1; channel <= kChannels; ++channel) {
    const std::string digit = std::to_string(channel);
    const bool trimStep = page == "Trim 4mA Channel " + digit || page == "Trim 20mA Channel " + digit;
    const bool loopTest = channel >= 2 && page == "Fixed Current - Channel " + digit;
    if (!trimStep && !loopTest) continue;
    if (channel == 1) return channel1;
    return CurrentRelease{"22", OutputChannelCode(channel), "00000000"};
  }
  return std::nullopt;
}

}  // namespace zolin6::navigation
