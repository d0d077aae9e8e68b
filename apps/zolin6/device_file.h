#pragma once
// The simulated transmitter's state kept between runs in the file that
// --device names, for the window and the file operations alike. A file
// that does not exist yet is a new device, saved there at the end; one that
// cannot be used is refused before the device is touched, and the file is
// left as it was.

#include <string>

#include "platform/result.h"
#include "transport/simulated_device.h"

namespace zolin6::app {

// Loads the device file at `path` into `sim`. The error says which file and
// what is wrong with it: a folder, a file that cannot be read, a file that
// is not a device state, a folder to save in that does not exist.
Result<bool> LoadDeviceFile(transport::SimulatedDevice& sim, const std::string& path);

// Saves `sim`'s state to `path`, whole or not at all.
Result<bool> SaveDeviceFile(const transport::SimulatedDevice& sim, const std::string& path);

}  // namespace zolin6::app
