#include <QString>

#include <algorithm>

#include "configuration/catalogue.h"
#include "configuration/change_text.h"
#include "configuration/compare.h"
#include "platform/channels.h"
#include "report/report.h"

namespace zolin6::report {

namespace {

using configuration::CatalogueValue;
using configuration::Comparison;
using configuration::Configuration;

constexpr const char* kStyle =
    "body { font-family: sans-serif; font-size: 9pt; }"
    "h1 { font-size: 15pt; } h2 { font-size: 11pt; margin-top: 10px; }"
    "table { border-collapse: collapse; }"
    "th { background-color: #d8dee6; text-align: left; }"
    "td.differs { background-color: #ffe08a; font-weight: bold; }"
    "td.sign { height: 40px; }";

std::string Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped().toStdString(); }

std::string Cell(const std::string& text, bool differs) {
  return std::string(differs ? "<td class='differs'>" : "<td>") + Escaped(text) + "</td>";
}

// The opening of a table whose heading row repeats on every page it spans.
std::string TableStart(const std::string& headings) {
  return "<table border='1' cellpadding='3' width='100%'><thead><tr>" + headings + "</tr></thead>";
}

// One page's values, one row each, with the comparison column when there is
// one. The cells marked are exactly the compare's differences.
std::string GroupTable(const std::string& group, const SheetInput& input, const Comparison& differences) {
  std::string headings = "<th width='34%'>Value</th>";
  headings += input.comparison ? "<th width='33%'>" + Escaped(input.valuesTitle) + "</th><th width='33%'>" +
                                     Escaped(input.comparisonTitle) + "</th>"
                               : "<th width='66%'>Setting</th>";
  std::string html = "<h2>" + Escaped(configuration::GroupTitle(group)) + "</h2>" + TableStart(headings);
  for (const CatalogueValue& entry : configuration::Values()) {
    if (entry.group != group) continue;
    const bool differs = differences.differs(entry.key);
    html += "<tr><td>" + Escaped(entry.name) + "</td>" +
            Cell(configuration::ShownValue(entry, input.configuration), differs);
    if (input.comparison) html += Cell(configuration::ShownValue(entry, *input.comparison), differs);
    html += "</tr>";
  }
  return html + "</table>";
}

// The six channels side by side: one row per value, one column per
// channel; a differing cell shows the other value too.
std::string ChannelTable(const SheetInput& input, const Comparison& differences) {
  std::string headings = "<th width='16%'>Value</th>";
  for (int channel = 1; channel <= kChannels; ++channel)
    headings += "<th width='14%'>Channel " + std::to_string(channel) + "</th>";
  std::string html = "<h2>Sensor channels</h2>" + TableStart(headings);
  for (const CatalogueValue& first : configuration::Values()) {
    if (first.group != "channel 1") continue;
    html += "<tr><td>" + Escaped(first.name) + "</td>";
    for (int channel = 1; channel <= kChannels; ++channel) {
      const CatalogueValue* entry = configuration::FindValue("channel " + std::to_string(channel) + "." + first.name);
      const bool differs = differences.differs(entry->key);
      std::string text = configuration::ShownValue(*entry, input.configuration);
      if (differs)
        text += " (" + input.comparisonTitle + ": " + configuration::ShownValue(*entry, *input.comparison) + ")";
      html += Cell(text, differs);
    }
    html += "</tr>";
  }
  return html + "</table>";
}

std::string Signatures() {
  std::string html =
      "<h2>Signatures</h2>" + TableStart(
                                  "<th width='30%'>Role</th><th width='30%'>Name</th><th width='20%'>Date</th>"
                                  "<th width='20%'>Signature</th>");
  for (const char* role : {"Configured by", "Checked by (quality assurance)"}) {
    html += "<tr><td class='sign'>" + std::string(role) + "</td><td></td><td></td><td></td></tr>";
  }
  return html + "</table>";
}

std::string Value(const Configuration& configuration, const std::string& key) {
  auto found = configuration.values.find(key);
  return found == configuration.values.end() ? "" : configuration::ValueText(found->second);
}

// Where the values come from, when read, and the comparison's count and
// changes in words.
std::string Introduction(const SheetInput& input, const Comparison& differences) {
  const Configuration& c = input.configuration;
  std::string html = "<p>Long tag: " + Escaped(Value(c, "identification.long tag")) +
                     "<br>Device id: " + Escaped(Value(c, "device.device id"));
  html += input.file.empty() ? "<br>Read from the device: " + Escaped(c.readAt)
                             : "<br>From the configuration file " + Escaped(input.file) +
                                   " (read from the device: " + Escaped(c.readAt) + ")";
  html += "<br>Printed: " + Escaped(input.printedAt) + "</p>";
  if (!input.comparison) return html;
  html += "<p>" + Escaped(input.comparisonTitle) + " read " + Escaped(input.comparison->readAt) + "; " +
          Escaped(configuration::DifferenceCount(differences.differences.size())) +
          (differences.same() ? "." : " (highlighted):") + "</p>";
  if (differences.same()) return html;
  html += "<ul>";
  for (const std::string& line : configuration::DescribeChanges(differences, *input.comparison, c)) {
    html += "<li>" + Escaped(line) + "</li>";
  }
  return html + "</ul>";
}

}  // namespace

std::string SheetTag(const SheetInput& input) { return Value(input.configuration, "identification.tag"); }

std::string SheetHtml(const SheetInput& input) {
  const Comparison differences =
      input.comparison ? configuration::Compare(*input.comparison, input.configuration) : Comparison{};
  std::string html = "<html><head><meta charset='utf-8'><style>" + std::string(kStyle) + "</style></head><body>";
  html += "<h1>ZOLIN-6 configuration sheet: " + Escaped(SheetTag(input)) + "</h1>";
  html += Introduction(input, differences);
  for (const std::string& group : configuration::Groups()) {
    if (group.rfind("channel ", 0) == 0) {
      if (group == "channel 1") html += ChannelTable(input, differences);
      continue;
    }
    html += GroupTable(group, input, differences);
  }
  return html + Signatures() + "</body></html>";
}

}  // namespace zolin6::report
