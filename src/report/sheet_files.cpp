#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include "platform/atomic_file.h"
#include "report/report.h"

namespace zolin6::report {

namespace {

constexpr int kPdfResolution = 300;  // dots per inch of the PDF's layout
constexpr qreal kMarginMm = 15;

}  // namespace

Result<bool> WriteSheetPdf(const SheetInput& input, const std::string& path) {
  // The PDF is made in memory and then written like every other file, so a
  // failing disk never leaves half a sheet.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    writer.setResolution(kPdfResolution);
    writer.setTitle(QString::fromStdString("Configuration sheet"));
    writer.setCreator("zolin6");
    QTextDocument document;
    document.setHtml(QString::fromStdString(SheetHtml(input)));
    document.print(&writer);
  }
  return platform::WriteFileAtomically(path, buffer.data().toStdString());
}

Result<bool> WriteSheetHtml(const SheetInput& input, const std::string& path) {
  return platform::WriteFileAtomically(path, SheetHtml(input));
}

}  // namespace zolin6::report
