#include "fakes/control_harness.h"

#include <pugixml.hpp>

namespace zolin6::fakes {

std::vector<std::string> AttributesOf(const std::string& document) {
  pugi::xml_document doc;
  std::vector<std::string> values;
  if (!doc.load_string(document.c_str())) return values;
  for (pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) values.emplace_back(a.value());
  return values;
}

}  // namespace zolin6::fakes
