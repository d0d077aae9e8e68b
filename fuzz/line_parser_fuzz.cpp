// The scenario runner's line parser with any line.
//
// Properties: a line that splits gives a command without blanks; an
// unterminated quote is the only refusal; and a command with its arguments
// written back quoted and escaped splits into the same command and
// arguments again. `notify` keeps its text raw and has at most two
// arguments.

#include "fuzz_support.h"
#include "line_parser.h"

namespace {

using zolin6::scenario::ParseLine;
using zolin6::scenario::ScenarioLine;

std::string Quoted(const std::string& arg) {
  std::string out = "\"";
  for (const char c : arg) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line = zolin6::fuzz::AsText(data, size);
  const std::optional<ScenarioLine> parsed = ParseLine(line);
  if (!parsed) {
    ZOLIN6_FUZZ_CHECK(line.find('"') != std::string_view::npos);
    return 0;
  }
  for (const char c : parsed->command) ZOLIN6_FUZZ_CHECK(!IsBlank(c));
  if (parsed->command.empty()) {
    ZOLIN6_FUZZ_CHECK(parsed->args.empty());
    return 0;
  }
  if (parsed->command == "notify") {
    ZOLIN6_FUZZ_CHECK(parsed->args.size() <= 2);
    return 0;
  }
  std::string again = parsed->command;
  for (const std::string& arg : parsed->args) again += " " + Quoted(arg);
  const std::optional<ScenarioLine> reparsed = ParseLine(again);
  ZOLIN6_FUZZ_CHECK(reparsed.has_value());
  ZOLIN6_FUZZ_CHECK(reparsed->command == parsed->command);
  ZOLIN6_FUZZ_CHECK(reparsed->args == parsed->args);
  return 0;
}
