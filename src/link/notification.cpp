#include "link/notification.h"

#include <pugixml.hpp>

namespace zolin6::link {

namespace {

constexpr int kRequestAttributes = 22;

void CollectParameters(const pugi::xml_node& node, std::vector<std::pair<std::string, std::string>>& out) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const pugi::xml_attribute tag = child.attribute("tag");
    const pugi::xml_attribute value = child.attribute("value");
    if (tag && value) out.emplace_back(tag.value(), value.value());
    CollectParameters(child, out);
  }
}

}  // namespace

std::optional<std::string> Notification::value(std::string_view tag) const {
  for (const auto& [name, found] : parameters) {
    if (name == tag) return found;
  }
  return std::nullopt;
}

Notification ParseNotification(std::int32_t reason, std::string text) {
  Notification notification{reason, std::move(text), {}};
  pugi::xml_document document;
  if (document.load_buffer(notification.text.data(), notification.text.size())) {
    CollectParameters(document, notification.parameters);
  }
  return notification;
}

std::vector<std::string> RequestAttributes(std::string_view document) {
  std::vector<std::string> attributes(kRequestAttributes);
  pugi::xml_document parsed;
  if (!parsed.load_buffer(document.data(), document.size())) return attributes;
  const pugi::xml_node data = parsed.child("ViewData").child("ControlData");
  for (int i = 0; i < kRequestAttributes; ++i) {
    const std::string name = "Attribute" + std::to_string(i + 1);
    std::string value = data.attribute(name.c_str()).value();
    if (value != "None") attributes[i] = std::move(value);
  }
  return attributes;
}

}  // namespace zolin6::link
