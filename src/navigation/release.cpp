#include "navigation/release.h"

#include "navigation/page_names.h"

namespace zolin6::navigation {

std::string OutputChannelCode(int channel) { return "0" + std::to_string(channel - 1); }

std::optional<CurrentRelease> ReleaseForPage(std::string_view page) {
  const std::optional<ProcedurePage> procedure = ParseProcedurePage(page);
  if (!procedure || !HoldsOutput(*procedure)) return std::nullopt;
  return ReleaseForChannel(procedure->channel);
}

CurrentRelease ReleaseForChannel(int channel) {
  // Channel 1 has operation codes of its own; its mode "00" with a zero
  // current asks the device to leave fixed-current mode.
  if (channel == 1) return CurrentRelease{"12", "00000000", "00"};
  return CurrentRelease{"22", OutputChannelCode(channel), "00000000"};
}

}  // namespace zolin6::navigation
