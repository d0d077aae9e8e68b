#include "desktop/plant_export.h"

#include "desktop/plant_cells.h"
#include "history/history_record.h"
#include "report/html_pdf.h"
#include "trend/csv.h"

namespace zolin6::desktop {

namespace {

std::vector<std::string> Texts(const QStringList& cells) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(cells.size()));
  for (const QString& cell : cells) texts.push_back(cell.toStdString());
  return texts;
}

}  // namespace

std::string PlantCsv(const PlantRows& rows) {
  std::string csv = trend::CsvTextLine(Texts(PlantHeader()));
  for (const plant::PlantDevice& device : rows) csv += trend::CsvTextLine(Texts(PlantCells(device)));
  return csv;
}

std::string PlantPdf(const PlantRows& rows, std::int64_t printedUtc) {
  QString html = QString("<h2>Plant</h2><p>%1 devices, printed %2</p>")
                     .arg(rows.size())
                     .arg(QString::fromStdString(history::IsoUtc(printedUtc)).toHtmlEscaped());
  html += "<table border='1' cellspacing='0' cellpadding='2' width='100%'><tr>";
  for (const QString& title : PlantHeader()) html += "<th>" + title.toHtmlEscaped() + "</th>";
  html += "</tr>";
  for (const plant::PlantDevice& device : rows) {
    html += device.answering ? "<tr>" : "<tr style='color:gray'>";
    for (const QString& cell : PlantCells(device)) html += "<td>" + cell.toHtmlEscaped() + "</td>";
    html += "</tr>";
  }
  return report::HtmlPdf((html + "</table>").toStdString(), "Plant");
}

}  // namespace zolin6::desktop
