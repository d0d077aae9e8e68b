#include "forms/form_spec.h"

namespace zolin6::forms {

const std::vector<ControlSpec>& AllControls() {
  static const std::vector<ControlSpec> all = [] {
    std::vector<ControlSpec> controls = HostControls();
    std::vector<ControlSpec> pages = PageControls();
    controls.insert(controls.end(), pages.begin(), pages.end());
    return controls;
  }();
  return all;
}

}  // namespace zolin6::forms
