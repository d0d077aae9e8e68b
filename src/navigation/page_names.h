#pragma once
// The names sPage carries on the procedure pages that belong to one output
// channel. Whether leaving a page must release a held 4-20 mA output is read
// from these names, so they are built and parsed here and nowhere else: a
// wording changed in one place would otherwise leave an output forced.

#include <optional>
#include <string>
#include <string_view>

namespace zolin6::navigation {

enum class ProcedureKind {
  kPointChoice,  // "Trim Current Channel N": the choice of 4 mA or 20 mA
  kTrimStep,     // "Trim 4mA Channel N" / "Trim 20mA Channel N": the output is held there
  kLoopTest,     // "Loop Test" (channel 1) / "Fixed Current - Channel N" (channels 2 to 6)
};

struct ProcedurePage {
  ProcedureKind kind;
  int channel;        // output channel, 1..6
  int milliamps = 0;  // 4 or 20 on a trim step, 0 otherwise
  bool operator==(const ProcedurePage&) const = default;
};

// The page's name as sPage holds it.
std::string PageName(const ProcedurePage& page);
// The procedure page a name stands for, or nothing for any other page.
std::optional<ProcedurePage> ParseProcedurePage(std::string_view name);
// Whether the page may hold its channel's output at a fixed current.
bool HoldsOutput(const ProcedurePage& page);

}  // namespace zolin6::navigation
