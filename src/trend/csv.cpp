#include "trend/csv.h"

#include <array>
#include <charconv>
#include <cmath>

namespace zolin6::trend {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

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
      fields.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      fields.push_back(std::move(field));
      field.clear();
      lines.push_back(std::move(fields));
      fields.clear();
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
