#include "line_parser.h"

#include <charconv>

namespace zolin6::scenario {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char Unescape(char c) {
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    default: return c;  // \" and \\ stand for themselves
  }
}

// The text of `notify`: taken as it stands, only \n, \t and \\ decoded.
std::string DecodeRaw(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't' || text[i + 1] == '\\')) {
      out += Unescape(text[++i]);
    } else {
      out += text[i];
    }
  }
  return out;
}

void SkipBlanks(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

// One argument starting at `pos`; nullopt for an unterminated quote.
std::optional<std::string> NextArgument(std::string_view line, std::size_t& pos) {
  std::string arg;
  if (line[pos] != '"') {
    while (pos < line.size() && !IsBlank(line[pos])) arg += line[pos++];
    return arg;
  }
  ++pos;
  while (pos < line.size()) {
    char c = line[pos++];
    if (c == '"') return arg;
    if (c == '\\' && pos < line.size()) c = Unescape(line[pos++]);
    arg += c;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ScenarioLine> ParseLine(std::string_view line) {
  ScenarioLine parsed;
  std::size_t pos = 0;
  SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] == '#') return parsed;
  while (pos < line.size() && !IsBlank(line[pos])) parsed.command += line[pos++];

  if (parsed.command == "notify") {
    SkipBlanks(line, pos);
    std::size_t codeEnd = pos;
    while (codeEnd < line.size() && !IsBlank(line[codeEnd])) ++codeEnd;
    if (codeEnd > pos) parsed.args.emplace_back(line.substr(pos, codeEnd - pos));
    // Exactly one blank separates the code from the text; the text itself
    // may begin or end with blanks.
    if (codeEnd < line.size()) {
      std::string_view rest = line.substr(codeEnd + 1);
      if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
      parsed.args.push_back(DecodeRaw(rest));
    }
    return parsed;
  }

  for (;;) {
    SkipBlanks(line, pos);
    if (pos == line.size()) break;
    auto arg = NextArgument(line, pos);
    if (!arg) return std::nullopt;
    parsed.args.push_back(std::move(*arg));
  }
  return parsed;
}

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Mismatch(const std::string& command, const char* usage) {
  return "bad argument: " + command + " takes " + usage;
}

}  // namespace zolin6::scenario
