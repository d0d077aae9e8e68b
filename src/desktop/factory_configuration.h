#pragma once
// File > New Configuration: a configuration made without a device, holding
// the values the transmitter leaves the factory with. It is read, through
// the configuration catalogue as any upload is, from a simulated
// transmitter in its factory state on a clock of its own, which runs as
// fast as the answers come; no device and no line are touched.

#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::desktop {

Result<configuration::Configuration> FactoryConfiguration();

}  // namespace zolin6::desktop
