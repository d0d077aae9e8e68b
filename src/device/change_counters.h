#pragma once
// What a carried-out command leaves behind besides its own change: the
// fourteen change counters of command 140 rise for each part of the
// configuration that actually changed, and a configuration change raises
// the configuration change counter (command 0 bytes 14-15) and sets
// "configuration changed".

#include "device/device_model.h"

namespace zolin6::device {

// Raises in `after` each counter whose part differs from `before`.
void CountChanges(const DeviceState& before, DeviceState& after);

void CountConfigurationChange(DeviceState& state);

}  // namespace zolin6::device
