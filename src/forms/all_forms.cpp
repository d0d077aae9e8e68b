#include "forms/form_design.h"

namespace zolin6::forms {

const std::vector<ControlDesign>& AllControls() {
  static const std::vector<ControlDesign> all = [] {
    std::vector<ControlDesign> controls = HostControls();
    std::vector<ControlDesign> pages = PageControls();
    controls.insert(controls.end(), pages.begin(), pages.end());
    return controls;
  }();
  return all;
}

}  // namespace zolin6::forms
