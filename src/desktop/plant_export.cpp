#include "desktop/plant_export.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QTextDocument>

#include "desktop/plant_cells.h"
#include "plant/plant_csv.h"
#include "report/html_pdf.h"

namespace zolin6::desktop {

namespace {

constexpr qreal kPointSize = 8;  // ten columns across an A4 page

}  // namespace

std::string PlantPdf(const PlantRows& rows, std::int64_t printedUtc) {
  QString html = QString("<h2>Plant</h2><p>%1 devices, printed %2</p>")
                     .arg(rows.size())
                     .arg(QString::fromStdString(plant::UtcText(printedUtc)).toHtmlEscaped());
  html += "<table border='1' cellspacing='0' cellpadding='2' width='100%'><tr>";
  for (const QString& title : PlantHeader()) html += "<th>" + title.toHtmlEscaped() + "</th>";
  html += "</tr>";
  for (const plant::PlantDevice& device : rows) {
    html += device.answering ? "<tr>" : "<tr style='color:gray'>";
    for (const QString& cell : PlantCells(device)) html += "<td>" + cell.toHtmlEscaped() + "</td>";
    html += "</tr>";
  }
  html += "</table>";
  // Laid out on the page itself, so that the table takes the page's width
  // in the page's own points.
  return report::A4Pdf("Plant", [&html](QPagedPaintDevice& device) {
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setPageSize(QSizeF(device.width(), device.height()));
    QFont font = document.defaultFont();
    font.setPointSizeF(kPointSize);
    document.setDefaultFont(font);
    document.setHtml(html);
    document.print(&device);
  });
}

}  // namespace zolin6::desktop
