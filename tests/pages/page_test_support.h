#pragma once
// What the page tests share: a connected control, a parameter document
// written as "tag=value|tag=value", and what a control shows, by its id.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fakes/control_harness.h"
#include "platform/locale.h"

namespace zolin6::pages_test {

using Texts = std::vector<std::string>;

// "a=1|b=2" as {"a", "1"}, {"b", "2"}: entries split at "|", each at its first "=".
inline std::vector<std::pair<std::string, std::string>> Entries(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> entries;
  while (!text.empty()) {
    const std::string_view entry = text.substr(0, text.find('|'));
    const std::size_t equals = entry.find('=');
    if (!entry.empty()) {
      entries.emplace_back(entry.substr(0, equals), equals == entry.npos ? "" : entry.substr(equals + 1));
    }
    text.remove_prefix(std::min(text.size(), entry.size() + 1));
  }
  return entries;
}

// A parameter document as the driver sends it: one element per entry, in order.
inline std::string Doc(std::string_view entries) {
  std::string doc = "<DeviceData>";
  for (const auto& [tag, value] : Entries(entries)) doc += "<P tag=\"" + tag + "\" value=\"" + value + "\"/>";
  return doc + "</DeviceData>";
}

// A bare number stands for that txtParameter.
inline std::string Id(const std::string& key) {
  return key.find_first_not_of("0123456789") == std::string::npos ? "txtParameter(" + key + ")" : key;
}

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Connect(); }
  void TearDown() override { platform::SetUserLocale({'.'}); }

  // A box's text, a label's caption, a lamp "on" or "off" (its three colours move together).
  std::string Shown(const std::string& key) {
    toolkit::Widget* widget = h.form().find(Id(key));
    if (auto* box = dynamic_cast<toolkit::TextBox*>(widget)) return box->text();
    if (auto* combo = dynamic_cast<toolkit::ComboBox*>(widget)) return combo->text();
    if (auto* label = dynamic_cast<toolkit::Label*>(widget)) return label->caption();
    auto* lamp = dynamic_cast<toolkit::Shape*>(widget);
    if (lamp == nullptr) return "<no " + key + ">";
    if (lamp->fillColor() != lamp->borderColor() || lamp->fillColor() != lamp->backColor()) return "mixed";
    return lamp->fillColor() == toolkit::kLampOn ? "on" : "off";
  }
  // Checks "id=shown|id=shown".
  void Expect(std::string_view shown, const std::string& why = {}) {
    for (const auto& [key, text] : Entries(shown)) EXPECT_EQ(Shown(key), text) << Id(key) << " " << why;
  }
  // Puts "old" into the fields of "id=...|id=...", so a test sees which ones a loader leaves alone.
  void Mark(std::string_view fields) {
    for (const auto& [key, text] : Entries(fields)) {
      toolkit::Widget* widget = h.form().find(Id(key));
      if (auto* box = dynamic_cast<toolkit::TextBox*>(widget)) box->setText("old");
      if (auto* combo = dynamic_cast<toolkit::ComboBox*>(widget)) combo->setText("old");
      if (auto* label = dynamic_cast<toolkit::Label*>(widget)) label->setCaption("old");
    }
  }

  fakes::ControlHarness h;
};

}  // namespace zolin6::pages_test
