#include "navigation/page_names.h"

#include <array>

#include "platform/channels.h"

namespace zolin6::navigation {

std::string PageName(const ProcedurePage& page) {
  const std::string channel = std::to_string(page.channel);
  switch (page.kind) {
    case ProcedureKind::kPointChoice: return "Trim Current Channel " + channel;
    case ProcedureKind::kTrimStep:
      // No blank between the number and "mA" in the step names.
      return "Trim " + std::to_string(page.milliamps) + "mA Channel " + channel;
    case ProcedureKind::kLoopTest:
      // The first tab of the loop test is channel 1's and has a name of its own.
      return page.channel == 1 ? "Loop Test" : "Fixed Current - Channel " + channel;
  }
  return {};
}

std::optional<ProcedurePage> ParseProcedurePage(std::string_view name) {
  // Parsing by building every name there is keeps the two directions from
  // drifting apart; there are only 24 of them.
  for (int channel = 1; channel <= kChannels; ++channel) {
    const std::array<ProcedurePage, 4> candidates{{
        {ProcedureKind::kPointChoice, channel, 0},
        {ProcedureKind::kTrimStep, channel, 4},
        {ProcedureKind::kTrimStep, channel, 20},
        {ProcedureKind::kLoopTest, channel, 0},
    }};
    for (const ProcedurePage& candidate : candidates) {
      if (name == PageName(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

bool HoldsOutput(const ProcedurePage& page) { return page.kind != ProcedureKind::kPointChoice; }

}  // namespace zolin6::navigation
