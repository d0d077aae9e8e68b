// Placeholder until the page descriptions land.
#include "forms/form_spec.h"

namespace zolin6::forms {

std::vector<ControlSpec> PageControls() { return {}; }

}  // namespace zolin6::forms
