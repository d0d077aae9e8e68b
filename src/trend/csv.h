#pragma once
// The few pieces of CSV the recordings and the history export need: a field
// quoted as RFC 4180 asks (only when it has to be), and numbers with "." as
// decimal separator whatever the user's locale.

#include <string>
#include <string_view>
#include <vector>

namespace zolin6::trend {

// The field as it goes into a line: in double quotes, with its quotes
// doubled, when it holds a comma, a quote or a line break; as it is else.
std::string CsvField(std::string_view text);

// Fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// The shortest text that reads back as the same double ("21.456", "-0.5",
// "1e-07"); the empty text for NaN, which is a gap in a recording.
std::string CsvNumber(double value);

// Splits a CSV text into lines of fields (quoted fields unquoted), for the
// tests and for reading a recording back.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

}  // namespace zolin6::trend
