#include "driver/parameter_list.h"

#include <pugixml.hpp>

#include <sstream>

namespace zolin6::driver {

std::string ParameterList(const ParameterPairs& pairs) {
  pugi::xml_document doc;
  pugi::xml_node list = doc.append_child("ParameterList");
  for (const auto& [tag, value] : pairs) {
    pugi::xml_node parameter = list.append_child("Parameter");
    parameter.append_attribute("tag") = tag.c_str();
    parameter.append_attribute("value") = value.c_str();
  }
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

}  // namespace zolin6::driver
