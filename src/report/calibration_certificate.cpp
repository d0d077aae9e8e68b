#include "report/calibration_certificate.h"

#include <QString>

#include "platform/atomic_file.h"
#include "report/html_pdf.h"

namespace zolin6::report {

namespace {

using calibration::CalibrationRecord;
using calibration::TestPoint;

constexpr const char* kStyle =
    "body { font-family: sans-serif; font-size: 8pt; }"
    "h1 { font-size: 13pt; } h2 { font-size: 10pt; margin-top: 6px; margin-bottom: 2px; }"
    "th { background-color: #d8dee6; text-align: left; }"
    "td.fail { background-color: #ffb3b3; font-weight: bold; }"
    "td.sign { height: 28px; }";

// Readings and errors to three decimals, currents in mA to three.
constexpr int kDecimals = 3;

std::string Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped().toStdString(); }

std::string Fixed(double value) { return QString::number(value, 'f', kDecimals).toStdString(); }

std::string Verdict(bool passed) { return passed ? "PASS" : "FAIL"; }

// Two named values side by side, to keep the certificate on one page.
std::string Row(const std::string& name, const std::string& value, const std::string& name2,
                const std::string& value2) {
  return "<tr><th width='18%'>" + Escaped(name) + "</th><td width='32%'>" + Escaped(value) + "</td><th width='18%'>" +
         Escaped(name2) + "</th><td width='32%'>" + Escaped(value2) + "</td></tr>";
}

std::string PointsTable(const CalibrationRecord& record, const std::string& title,
                        const std::vector<TestPoint>& points) {
  const std::string unit = Escaped(record.range.unit);
  std::string html = "<h2>" + Escaped(title) + ": " +
                     (points.empty() ? std::string("not made") : Verdict(calibration::TestPassed(record, points))) +
                     "</h2>";
  if (points.empty()) return html;
  html += "<table border='1' cellpadding='3' width='100%'><tr><th width='10%'>Point %</th><th width='14%'>Reference " +
          unit + "</th><th width='14%'>PV " + unit +
          "</th><th width='12%'>PV error</th><th width='13%'>Expected mA</th><th width='12%'>Loop mA</th>"
          "<th width='13%'>mA error</th><th width='12%'>Result</th></tr>";
  for (const TestPoint& point : points) {
    const calibration::PointResult result = calibration::Evaluate(record.range, record.tolerance, point);
    const std::string verdictCell = result.passed ? "<td>" : "<td class='fail'>";
    html += "<tr><td>" + QString::number(point.percent, 'f', 0).toStdString() + "</td><td>" + Fixed(point.reference) +
            "</td><td>" + Fixed(point.pv) + "</td><td>" + Fixed(result.pvError) + "</td><td>" +
            Fixed(result.expectedCurrent) + "</td><td>" + Fixed(point.current) + "</td><td>" +
            Fixed(result.currentError) + "</td>" + verdictCell + Verdict(result.passed) + "</td></tr>";
  }
  return html + "</table><p>Errors in % of span; a point passes within ±" + Fixed(record.tolerance) + " %.</p>";
}

std::string Signatures() {
  std::string html =
      "<h2>Signatures</h2><table border='1' cellpadding='6' width='100%'>"
      "<tr><th width='30%'>Role</th><th width='30%'>Name</th><th width='20%'>Date</th>"
      "<th width='20%'>Signature</th></tr>";
  for (const char* role : {"Calibrated by", "Checked by (quality assurance)"}) {
    html += "<tr><td class='sign'>" + std::string(role) + "</td><td></td><td></td><td></td></tr>";
  }
  return html + "</table>";
}

}  // namespace

std::string CertificateHtml(const CalibrationRecord& record) {
  const std::string range = Fixed(record.range.lower) + " to " + Fixed(record.range.upper) + " " + record.range.unit;
  std::string html = "<html><head><meta charset='utf-8'><style>" + std::string(kStyle) + "</style></head><body>";
  html += "<h1>ZOLIN-6 calibration certificate: " + Escaped(record.device.tag) + "</h1>";
  html += "<table border='1' cellpadding='3' width='100%'>" +
          Row("Certificate", record.number, "Date (UTC)", record.performedAt) +
          Row("Tag", record.device.tag, "Device id", record.device.deviceId) +
          Row("Long tag", record.device.longTag, "Channel", std::to_string(record.channel)) +
          Row("Range", range, "Tolerance", "±" + Fixed(record.tolerance) + " % of span") +
          Row("Technician", record.technician, "Ambient", record.ambient) + "</table>";
  html += "<h2>Reference instrument</h2><table border='1' cellpadding='3' width='100%'>" +
          Row("Instrument", record.reference.name, "Serial number", record.reference.serial) +
          Row("Certificate", record.reference.certificate, "Calibration due", record.reference.dueDate) + "</table>";
  html += PointsTable(record, "As found", record.asFound);
  html +=
      "<p>" +
      std::string(record.trimmed ? "The channel was trimmed between the two tests." : "The channel was not trimmed.") +
      "</p>";
  html += PointsTable(record, "As left", record.asLeft);
  html += "<h2>Verdict: " + Verdict(calibration::RecordPassed(record)) + "</h2>";
  return html + Signatures() + "</body></html>";
}

std::string CertificatePdf(const CalibrationRecord& record) {
  return HtmlPdf(CertificateHtml(record), "Calibration certificate " + record.device.tag);
}

Result<bool> WriteCertificatePdf(const CalibrationRecord& record, const std::string& path) {
  return platform::WriteFileAtomically(path, CertificatePdf(record));
}

}  // namespace zolin6::report
