#pragma once
// The simulated transmitter's state in the file --state names: loaded at
// start when the file is there, saved whole (or not at all) on exit. The
// HART-IP server's audit log travels in the same file, under its own key.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "device/simulated_transmitter.h"
#include "platform/result.h"

namespace zolin6::device_app {

// Loads `path` into `transmitter`, and its audit log into `audit` (none
// when the file has none, as files saved before it was kept); a file that
// does not exist yet is a new device. The error names the file and what is
// wrong with it.
Result<bool> LoadStateIfPresent(device::SimulatedTransmitter& transmitter, const std::string& path,
                                std::optional<nlohmann::json>& audit);
// `audit`: as SaveSessionAudit writes it.
Result<bool> SaveState(const device::SimulatedTransmitter& transmitter, const std::optional<nlohmann::json>& audit,
                       const std::string& path);

}  // namespace zolin6::device_app
