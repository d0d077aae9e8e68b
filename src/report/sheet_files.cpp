#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

#include "platform/atomic_file.h"
#include "report/html_pdf.h"
#include "report/report.h"

namespace zolin6::report {

namespace {

constexpr qreal kHeaderPoints = 8;   // size of the line that heads every page, pt
constexpr qreal kHeaderLines = 2.2;  // room it takes above the page's content, in its lines

}  // namespace

void PrintSheet(const SheetInput& input, QPagedPaintDevice& device) {
  QPainter painter(&device);
  QFont headerFont("sans-serif");
  headerFont.setPointSizeF(kHeaderPoints);
  painter.setFont(headerFont);
  const qreal lineHeight = painter.fontMetrics().height();
  const qreal top = lineHeight * kHeaderLines;
  const QSizeF body(painter.viewport().width(), painter.viewport().height() - top);

  // Qt's layout of the document in pages of the body's size moves a table
  // row that would cross a page's end to the next page whole, and repeats
  // a table's heading row there.
  QTextDocument sheet;
  sheet.documentLayout()->setPaintDevice(&device);
  sheet.setHtml(QString::fromStdString(SheetHtml(input)));
  sheet.setPageSize(body);
  const int pages = sheet.pageCount();
  const QString tag = QString::fromStdString(SheetTag(input));
  for (int page = 0; page < pages; ++page) {
    if (page > 0) device.newPage();
    const QRectF header(0, 0, body.width(), lineHeight);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, "ZOLIN-6 configuration sheet: " + tag);
    painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, QString("Page %1 of %2").arg(page + 1).arg(pages));
    painter.drawLine(QPointF(0, lineHeight * 1.4), QPointF(body.width(), lineHeight * 1.4));
    painter.save();
    painter.translate(0, top - page * body.height());
    sheet.drawContents(&painter, QRectF(QPointF(0, page * body.height()), body));
    painter.restore();
  }
}

Result<bool> WriteSheetPdf(const SheetInput& input, const std::string& path) {
  return platform::WriteFileAtomically(path, A4Pdf("Configuration sheet " + SheetTag(input),
                                                   [&input](QPagedPaintDevice& device) { PrintSheet(input, device); }));
}

Result<bool> WriteSheetHtml(const SheetInput& input, const std::string& path) {
  return platform::WriteFileAtomically(path, SheetHtml(input));
}

}  // namespace zolin6::report
