#pragma once
// The simulated transmitter's state in the file --state names: loaded at
// start when the file is there, saved whole (or not at all) on exit.

#include <string>

#include "device/simulated_transmitter.h"
#include "platform/result.h"

namespace zolin6::device_app {

// Loads `path` into `transmitter`; a file that does not exist yet is a new
// device. The error names the file and what is wrong with it.
Result<bool> LoadStateIfPresent(device::SimulatedTransmitter& transmitter, const std::string& path);
Result<bool> SaveState(const device::SimulatedTransmitter& transmitter, const std::string& path);

}  // namespace zolin6::device_app
