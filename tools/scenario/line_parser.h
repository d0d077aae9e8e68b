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

// A whole number, all of `text`; nullopt for anything else.
std::optional<long long> ParseInteger(std::string_view text);
// The error of a line whose arguments do not fit: "bad argument: COMMAND takes USAGE".
std::string Mismatch(const std::string& command, const char* usage);

}  // namespace zolin6::scenario
