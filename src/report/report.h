#pragma once
// The configuration sheet: the device's identity, every page's values
// grouped as the pages group them, the six channels in one table, the date
// and time, an optional comparison column (as found beside as left) and a
// place for signatures. One HTML text, shown or printed by Qt's rich text;
// the PDF is that text through Qt's own PDF writer.

#include <optional>
#include <string>

#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::report {

struct SheetInput {
  configuration::Configuration configuration;              // the values the sheet is about (as left)
  std::optional<configuration::Configuration> comparison;  // the values to show beside them (as found)
  std::string comparisonTitle = "As found";                // the comparison column's heading
  std::string valuesTitle = "As left";                     // the values column's heading when compared
  std::string printedAt;                                   // date and time of printing, shown as given
};

// The sheet as an HTML document.
std::string SheetHtml(const SheetInput& input);

// The sheet as a PDF file (A4), replacing `path` atomically.
Result<bool> WriteSheetPdf(const SheetInput& input, const std::string& path);

// The sheet as an HTML file, replacing `path` atomically.
Result<bool> WriteSheetHtml(const SheetInput& input, const std::string& path);

}  // namespace zolin6::report
