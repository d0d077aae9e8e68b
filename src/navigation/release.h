#pragma once
// Which write ends the loop current that a procedure page holds. The loop
// test and the current trims force a channel's output; leaving their pages
// (Back, or a node of the function tree) must let the output go again.

#include <optional>
#include <string>
#include <string_view>

namespace zolin6::navigation {

// A write that ends fixed-current mode; its other attributes are "None".
struct CurrentRelease {
  std::string code;        // write code: "12" for channel 1, "22" for channels 2 to 6
  std::string attribute1;  // "00000000" for channel 1, the channel code "01".."05" otherwise
  std::string attribute2;  // "00" for channel 1, "00000000" otherwise
};

// The channel code of output channels 2 to 6 in loop-current requests:
// "01" for channel 2 up to "05" for channel 6.
std::string OutputChannelCode(int channel);

// The release for the channel that the page names: "Loop Test" and the
// channel-1 trim steps release channel 1; "Fixed Current - Channel N" and the
// trim steps of channel N release channel N. Other pages name no forced
// channel.
std::optional<CurrentRelease> ReleaseForPage(std::string_view page);

// The release of output `channel` (1..6), whatever page is on show.
CurrentRelease ReleaseForChannel(int channel);

}  // namespace zolin6::navigation
