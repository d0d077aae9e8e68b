#include <QString>

#include <algorithm>

#include "configuration/catalogue.h"
#include "configuration/compare.h"
#include "platform/channels.h"
#include "report/report.h"

namespace zolin6::report {

namespace {

using configuration::CatalogueValue;
using configuration::Configuration;

constexpr const char* kStyle =
    "body { font-family: sans-serif; font-size: 9pt; }"
    "h1 { font-size: 15pt; } h2 { font-size: 11pt; margin-top: 10px; }"
    "table { border-collapse: collapse; }"
    "th { background-color: #d8dee6; text-align: left; }"
    "td.differs { background-color: #ffe08a; font-weight: bold; }"
    "td.sign { height: 40px; }";

std::string Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped().toStdString(); }

bool Differs(const CatalogueValue& entry, const SheetInput& input) {
  if (!input.comparison) return false;
  auto a = input.configuration.values.find(entry.key);
  auto b = input.comparison->values.find(entry.key);
  if (a == input.configuration.values.end() || b == input.comparison->values.end()) return true;
  return !configuration::SameValue(entry.key, a->second, b->second);
}

std::string Cell(const std::string& text, bool differs) {
  return std::string(differs ? "<td class='differs'>" : "<td>") + Escaped(text) + "</td>";
}

// One page's values, one row each, with the comparison column when there is
// one.
std::string GroupTable(const std::string& group, const SheetInput& input) {
  std::string html = "<h2>" + Escaped(configuration::GroupTitle(group)) +
                     "</h2><table border='1' cellpadding='3' width='100%'><tr><th width='34%'>Value</th>";
  html += input.comparison ? "<th width='33%'>" + Escaped(input.valuesTitle) + "</th><th width='33%'>" +
                                 Escaped(input.comparisonTitle) + "</th>"
                           : "<th width='66%'>Setting</th>";
  html += "</tr>";
  for (const CatalogueValue& entry : configuration::Values()) {
    if (entry.group != group) continue;
    const bool differs = Differs(entry, input);
    html += "<tr><td>" + Escaped(entry.name) + "</td>" +
            Cell(configuration::ShownValue(entry, input.configuration), differs);
    if (input.comparison) html += Cell(configuration::ShownValue(entry, *input.comparison), differs);
    html += "</tr>";
  }
  return html + "</table>";
}

// The six channels side by side: one row per value, one column per
// channel; with a comparison, a differing cell shows the other value too.
std::string ChannelTable(const SheetInput& input) {
  std::string html =
      "<h2>Sensor channels</h2><table border='1' cellpadding='3' width='100%'><tr><th width='16%'>Value</th>";
  for (int channel = 1; channel <= kChannels; ++channel)
    html += "<th width='14%'>Channel " + std::to_string(channel) + "</th>";
  html += "</tr>";
  for (const CatalogueValue& first : configuration::Values()) {
    if (first.group != "channel 1") continue;
    html += "<tr><td>" + Escaped(first.name) + "</td>";
    for (int channel = 1; channel <= kChannels; ++channel) {
      const CatalogueValue* entry = configuration::FindValue("channel " + std::to_string(channel) + "." + first.name);
      const bool differs = Differs(*entry, input);
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
      "<h2>Signatures</h2><table border='1' cellpadding='6' width='100%'>"
      "<tr><th width='30%'>Role</th><th width='30%'>Name</th><th width='20%'>Date</th>"
      "<th width='20%'>Signature</th></tr>";
  for (const char* role : {"Configured by", "Checked by (quality assurance)"}) {
    html += "<tr><td class='sign'>" + std::string(role) + "</td><td></td><td></td><td></td></tr>";
  }
  return html + "</table>";
}

std::string Value(const Configuration& configuration, const std::string& key) {
  auto found = configuration.values.find(key);
  return found == configuration.values.end() ? "" : configuration::ValueText(found->second);
}

}  // namespace

std::string SheetHtml(const SheetInput& input) {
  const Configuration& c = input.configuration;
  std::string html = "<html><head><meta charset='utf-8'><style>" + std::string(kStyle) + "</style></head><body>";
  html += "<h1>ZOLIN-6 configuration sheet: " + Escaped(Value(c, "identification.tag")) + "</h1>";
  html += "<p>Long tag: " + Escaped(Value(c, "identification.long tag")) +
          "<br>Device id: " + Escaped(Value(c, "device.device id")) + "<br>Read from the device: " + Escaped(c.readAt) +
          "<br>Printed: " + Escaped(input.printedAt) + "</p>";
  if (input.comparison) {
    const auto comparison = configuration::Compare(*input.comparison, c);
    html += "<p>" + Escaped(input.comparisonTitle) + " read " + Escaped(input.comparison->readAt) + "; " +
            std::to_string(comparison.differences.size()) +
            (comparison.differences.size() == 1 ? " value differs" : " values differ") + " (highlighted).</p>";
  }
  for (const std::string& group : configuration::Groups()) {
    if (group.rfind("channel ", 0) == 0) {
      if (group == "channel 1") html += ChannelTable(input);
      continue;
    }
    html += GroupTable(group, input);
  }
  return html + Signatures() + "</body></html>";
}

}  // namespace zolin6::report
