#include "report/html_pdf.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace zolin6::report {

namespace {

constexpr int kPdfResolution = 300;  // dots per inch of the PDF's layout
constexpr qreal kMarginMm = 15;

}  // namespace

std::string A4Pdf(const std::string& title, const std::function<void(QPagedPaintDevice&)>& print) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    writer.setResolution(kPdfResolution);
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator("zolin6");
    print(writer);
  }
  return buffer.data().toStdString();
}

std::string HtmlPdf(const std::string& html, const std::string& title) {
  return A4Pdf(title, [&html](QPagedPaintDevice& device) {
    QTextDocument document;
    document.setHtml(QString::fromStdString(html));
    document.print(&device);
  });
}

}  // namespace zolin6::report
