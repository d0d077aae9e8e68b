#pragma once
// The request attributes of the specific-variables read: the codes of the
// eight variables chosen in cmbVar1 to cmbVar8.

#include "host/user_cntrl.h"

namespace zolin6::monitoring {

// Attribute1 to Attribute8 carry the codes of cmbVar1 to cmbVar8 as they are
// chosen now (a text without a code gives ""); the rest are "None".
Attributes MonitoredVariableAttributes(const toolkit::Form& form);

}  // namespace zolin6::monitoring
