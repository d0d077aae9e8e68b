#pragma once
// What the page tests share: a parameter document built from {tag, value}
// pairs, a connected control, and a guard that puts the user's decimal
// separator back to "." after a test that changes it.

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/control_harness.h"
#include "platform/locale.h"

namespace zolin6::pages_test {

using TagValues = std::vector<std::pair<std::string, std::string>>;

// A parameter document as the driver sends it: one element per parameter
// with its tag and value, in the given order (so a tag may appear twice).
inline std::string Doc(const TagValues& parameters) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("DeviceData");
  for (const auto& [tag, value] : parameters) {
    pugi::xml_node parameter = root.append_child("Parameter");
    parameter.append_attribute("tag") = tag.c_str();
    parameter.append_attribute("value") = value.c_str();
  }
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

class LocaleGuard {
 public:
  explicit LocaleGuard(char separator) { platform::SetUserLocale({separator}); }
  ~LocaleGuard() { platform::SetUserLocale({'.'}); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;
};

// A connected control, ready for notifications.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Connect(); }

  // Puts a text into every listed text box, so a test can see which ones a
  // loader left alone.
  void Mark(const std::vector<int>& fields, const std::string& text = "old") {
    for (int i : fields) h.get<toolkit::TextBox>("txtParameter", i).setText(text);
  }

  fakes::ControlHarness h;
};

}  // namespace zolin6::pages_test
