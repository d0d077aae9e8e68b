#include "trend/csv.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace zolin6::trend {

namespace {

// Whether a spreadsheet would read the text as a formula: its first
// character starts one, and it is not simply a signed number.
bool StartsAFormula(std::string_view text) {
  if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos) return false;
  const bool digitFollows = text.size() > 1 && ((text[1] >= '0' && text[1] <= '9') || text[1] == '.');
  double number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return !(text.front() == '-' && digitFollows && ec == std::errc() && end == text.data() + text.size());
}

// Fields joined by commas and ended by CR LF, each as `write` writes it.
template <class Write>
std::string Joined(const std::vector<std::string>& fields, Write write) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += write(fields[i]);
  }
  return line + "\r\n";
}

}  // namespace

std::string CsvField(std::string_view text, bool always) {
  if (!always && text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
  return Joined(fields, [](std::string_view field) { return CsvField(field); });
}

std::string CsvTextField(std::string_view text) {
  return StartsAFormula(text) ? CsvField("'" + std::string(text), true) : CsvField(text);
}

std::string CsvTextLine(const std::vector<std::string>& texts) { return Joined(texts, CsvTextField); }

std::string CsvNumber(double value) {
  if (std::isnan(value)) return {};
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return ec == std::errc() ? std::string(buffer.data(), end) : std::string();
}

std::vector<std::vector<std::string>> ParseCsv(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    any = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(std::exchange(field, {}));
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      fields.push_back(std::exchange(field, {}));
      lines.push_back(std::exchange(fields, {}));
      any = false;
    } else {
      field += c;
    }
  }
  if (any) {
    fields.push_back(std::move(field));
    lines.push_back(std::move(fields));
  }
  return lines;
}

}  // namespace zolin6::trend
