#pragma once
// An HTML document printed to PDF (A4) through Qt's rich text and its PDF
// writer, in memory: the caller writes it atomically, so a failing disk
// never leaves half a document.

#include <string>

namespace zolin6::report {

// The PDF's bytes: made where Qt's text layout may run, written anywhere.
std::string HtmlPdf(const std::string& html, const std::string& title);

}  // namespace zolin6::report
