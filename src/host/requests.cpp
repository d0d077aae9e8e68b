// The request channel: the request document and the two ways to send it.

#include <pugixml.hpp>

#include <sstream>

#include "host/user_cntrl.h"

namespace zolin6 {

std::string UserCntrl::DocXML(const Attributes& attributes) {
  pugi::xml_document doc;
  pugi::xml_node control = doc.append_child("ViewData").append_child("ControlData");
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    std::string name = "Attribute" + std::to_string(i + 1);
    control.append_attribute(name.c_str()).set_value(attributes[i].c_str());
  }
  std::ostringstream text;
  doc.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return text.str();
}

bool UserCntrl::SendRead(const std::string& code) {
  if (!objChannel_) return false;
  return objChannel_->ReadRequest(code, s_.sRequestDoc, s_.sRequestResult);
}

bool UserCntrl::SendWrite(const std::string& code) {
  if (!objChannel_) return false;
  s_.sRequestResult.clear();
  return objChannel_->WriteRequest(code, s_.sRequestDoc, s_.sRequestResult);
}

void UserCntrl::SetActivity(const std::string& text) { statusBar().setText(4, text); }

}  // namespace zolin6
