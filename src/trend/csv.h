#pragma once
// The few pieces of CSV the recordings and the history export need: a field
// quoted as RFC 4180 asks (only when it has to be), texts that a spreadsheet
// shows instead of running, and numbers with "." as decimal separator
// whatever the user's locale.

#include <string>
#include <string_view>
#include <vector>

namespace zolin6::trend {

// The field as it goes into a line: in double quotes, with its quotes
// doubled, when it holds a comma, a quote or a line break (or always, when
// `always`); as it is else.
std::string CsvField(std::string_view text, bool always = false);

// Fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// A text as a field that no spreadsheet runs: one that begins as a formula
// does (=, +, - or @, or a tab or carriage return, which some spreadsheets
// skip before one) gets an apostrophe before it, inside quotes
// ("'=1+2"). A number ("-12.500", "-1e-07") is left a number.
std::string CsvTextField(std::string_view text);
// Texts joined as CsvLine joins fields, each as CsvTextField writes it.
std::string CsvTextLine(const std::vector<std::string>& texts);

// The shortest text that reads back as the same double ("21.456", "-0.5",
// "1e-07"); the empty text for NaN, which is a gap in a recording.
std::string CsvNumber(double value);

// Splits a CSV text into lines of fields (quoted fields unquoted), for the
// tests and for reading a recording back.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

}  // namespace zolin6::trend
