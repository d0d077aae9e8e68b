#pragma once
// The configuration sheet: the device's identity, every page's values
// grouped as the pages group them, the six channels in one table, the date
// and time, an optional comparison column (as found beside as left) with
// the changes in words, and a place for signatures. One HTML text, shown or
// printed by Qt's rich text. On paper and in the PDF every page is headed
// with the device's tag and its page number, and no table row is split
// across two pages.

#include <optional>
#include <string>

#include "configuration/values.h"
#include "platform/result.h"

class QPagedPaintDevice;

namespace zolin6::report {

struct SheetInput {
  configuration::Configuration configuration;              // the values the sheet is about (as left)
  std::optional<configuration::Configuration> comparison;  // the values to show beside them (as found)
  std::string comparisonTitle = "As found";                // the comparison column's heading
  std::string valuesTitle = "As left";                     // the values column's heading when compared
  std::string printedAt;                                   // date and time of printing, shown as given
  std::string file;  // the configuration file the values come from; "" when read from the device
};

// The sheet as an HTML document.
std::string SheetHtml(const SheetInput& input);

// The sheet on a printer or PDF writer, page by page.
void PrintSheet(const SheetInput& input, QPagedPaintDevice& device);

// The sheet as a PDF file (A4), replacing `path` atomically.
Result<bool> WriteSheetPdf(const SheetInput& input, const std::string& path);

// The sheet as an HTML file, replacing `path` atomically.
Result<bool> WriteSheetHtml(const SheetInput& input, const std::string& path);

// The tag the sheet is headed with ("" when the values have none).
std::string SheetTag(const SheetInput& input);

}  // namespace zolin6::report
