#pragma once
// The device state as the text of a device file (JSON), and back. A file
// names the version of its layout; the files written before they named it
// have the layout of version 1 and are read when they hold every key. A
// text that is not a whole device state of a known version is refused with
// what is wrong: a key missing, a value of the wrong kind, a list of the
// wrong length, an unknown version, a channel's unit that does not fit its
// sensor type, a burst message the device could not publish. Files saved
// before the device kept burst messages load with every message off.

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "device/device_model.h"
#include "platform/result.h"

namespace zolin6::device {

// The layout of the device files this program writes and reads.
inline constexpr int kDeviceFileVersion = 1;

std::string SaveDeviceState(const DeviceState& state);
// With the keys of the object `more` beside the device's: what else a
// program keeps in its device file. Loading leaves them alone.
std::string SaveDeviceState(const DeviceState& state, const nlohmann::json& more);
Result<DeviceState> LoadDeviceState(const std::string& text);

}  // namespace zolin6::device
