// Whole scenarios: up to 64 lines of any text run one after the other
// against one control, as `zolin6-script` runs them. Every user event a
// scenario can give (tree, tab, click, set, select, answer) and every
// notification meet the control in any order and with any text.
//
// Beyond crashes this is how the control's lookups of its own widgets by
// name are kept out of reach of input: a name that does not exist would
// stop the process here. Every request the control sends must carry an
// operation code of its set and a well-formed document of 22 attributes.
//
// Lines that would write files (`sim save`, `sim load`) are left out, and
// `advance` is kept to a minute so that one input stays quick.

#include <charconv>

#include "event_output.h"
#include "fuzz_support.h"
#include "line_parser.h"
#include "platform/locale.h"
#include "scenario_runner.h"

namespace {

using zolin6::scenario::Json;

void CheckEvent(const Json& event) {
  // Every event must become a line of output, whatever bytes its texts hold.
  ZOLIN6_FUZZ_CHECK(!zolin6::scenario::EventLine(event).empty());
  if (event.value("event", "") != "request") return;
  const std::string kind = event.value("kind", "");
  const std::string code = event.value("code", "");
  int number = 0;
  const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), number);
  ZOLIN6_FUZZ_CHECK(ec == std::errc{} && end == code.data() + code.size());
  ZOLIN6_FUZZ_CHECK(kind == "read" || kind == "write");
  ZOLIN6_FUZZ_CHECK(number >= 1 && number <= (kind == "read" ? 33 : 29));
  ZOLIN6_FUZZ_CHECK(event["attributes"].size() == 22);
}

bool Runnable(std::string_view line) {
  const auto parsed = zolin6::scenario::ParseLine(line);
  if (!parsed) return true;
  const auto& args = parsed->args;
  if (parsed->command == "sim" && !args.empty() && (args[0] == "save" || args[0] == "load")) return false;
  if (parsed->command == "advance" && !args.empty()) {
    long long ms = 0;
    const auto [end, ec] = std::from_chars(args[0].data(), args[0].data() + args[0].size(), ms);
    if (ec == std::errc{} && ms > 60000) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zolin6::scenario::ScenarioRunner runner(CheckEvent, std::string());
  std::string_view rest = zolin6::fuzz::AsText(data, size);
  for (int number = 1; number <= 64 && !rest.empty(); ++number) {
    const std::size_t newline = rest.find('\n');
    const std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (Runnable(line)) (void)runner.RunLine(number, line);
  }
  zolin6::platform::SetUserLocale({'.'});
  return 0;
}
