#pragma once
// The line format of a scenario: a command word and its arguments, blanks
// between them; an argument may be double-quoted with \" \\ \n \t escapes.
// `notify` keeps the raw rest of its line as its text, with \n \t \\ decoded.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zolin6::scenario {

struct ScenarioLine {
  std::string command;            // empty for a blank line or a comment
  std::vector<std::string> args;  // the arguments, unquoted and unescaped
};

// nullopt for a line that cannot be split (an unterminated quote).
std::optional<ScenarioLine> ParseLine(std::string_view line);

}  // namespace zolin6::scenario
