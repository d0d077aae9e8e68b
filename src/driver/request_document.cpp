#include "driver/request_document.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "driver/parameter_list.h"

namespace zolin6::driver {

namespace {

// The text the device writes for a number it has no valid value for.
constexpr std::string_view kNotANumber = "1.#QNAN";

}  // namespace

std::string DeviceNumber(std::optional<float> value) {
  if (!value || !std::isfinite(*value)) return std::string(kNotANumber);
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value);
  return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
}

RequestAttributes ParseRequestDocument(const std::string& document) {
  RequestAttributes attributes;
  attributes.fill("None");
  pugi::xml_document doc;
  if (!doc.load_string(document.c_str())) return attributes;
  pugi::xml_node data = doc.child("ViewData").child("ControlData");
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    pugi::xml_attribute a = data.attribute(("Attribute" + std::to_string(i + 1)).c_str());
    if (a) attributes[i] = a.value();
  }
  return attributes;
}

std::string ResponseDocument(int responseCode) {
  ParameterPairs pairs;
  for (int i = 1; i <= 5; ++i)
    pairs.emplace_back("Response Code " + std::to_string(i), std::to_string(i == 1 ? responseCode : 0));
  return ParameterList(pairs);
}

}  // namespace zolin6::driver
