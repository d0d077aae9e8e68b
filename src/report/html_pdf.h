#pragma once
// A4 PDF documents made in memory through Qt's PDF writer: the caller writes
// the bytes atomically, so a failing disk never leaves half a document.

#include <functional>
#include <string>

class QPagedPaintDevice;

namespace zolin6::report {

// The PDF's bytes, every page drawn by `print` on the A4 writer with the
// product's margins and resolution.
std::string A4Pdf(const std::string& title, const std::function<void(QPagedPaintDevice&)>& print);

// An HTML document printed through Qt's rich text: made where Qt's text
// layout may run, written anywhere.
std::string HtmlPdf(const std::string& html, const std::string& title);

}  // namespace zolin6::report
