#pragma once
// Whether a configuration holds only what the device accepts: every value
// of the catalogue present, of its type, within the device's range and
// length, enumeration codes the device knows.

#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::configuration {

// True, or the first fault, named by its key ("channel 2.unit: ...").
Result<bool> Validate(const Configuration& configuration);

}  // namespace zolin6::configuration
