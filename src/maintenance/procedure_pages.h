#pragma once
// The page names of the maintenance procedures, as sPage carries them, and
// the few texts several procedure steps share.

#include <optional>
#include <string>
#include <string_view>

namespace zolin6::maintenance {

inline constexpr int kOutputChannels = 6;

// Panel 4 while a procedure step or a device command is being written. The
// misspelling is the product's own: the Write button's common send shows
// "Writing Xmtr Data...", and the two texts tell the two paths apart.
inline constexpr const char* kWrittingActivity = "Writting Xmtr Data...";
inline constexpr const char* kReadingActivity = "Reading Xmtr Data...";

// A current trim step: "Trim 4mA Channel 3" is channel 3 at 4 mA.
struct TrimStep {
  int channel;    // 1..6
  int milliamps;  // 4 or 20
};

// "Trim Current Channel N", the choice of 4 mA or 20 mA for channel N.
std::string PointChoicePage(int channel);
// "Trim 4mA Channel N" / "Trim 20mA Channel N", the trim step itself.
std::string TrimStepPage(int channel, int milliamps);

// The point-choice page's channel, or nothing for any other page.
std::optional<int> PointChoiceChannel(std::string_view page);
// The trim step a page names, or nothing.
std::optional<TrimStep> ParseTrimStep(std::string_view page);
// The channel of a loop test tab's page: "Loop Test" is channel 1,
// "Fixed Current - Channel 2" to "... 6" are channels 2 to 6.
std::optional<int> LoopTestChannel(std::string_view page);

}  // namespace zolin6::maintenance
