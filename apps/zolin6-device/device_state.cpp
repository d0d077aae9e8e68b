#include "device_state.h"

#include <filesystem>
#include <system_error>

#include "device/device_state_file.h"
#include "platform/atomic_file.h"

namespace zolin6::device_app {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
constexpr const char* kAuditKey = "hartIpAudit";
}  // namespace

Result<bool> LoadStateIfPresent(device::SimulatedTransmitter& transmitter, const std::string& path,
                                std::optional<json>& audit) {
  audit.reset();
  std::error_code error;
  if (fs::status(path, error).type() == fs::file_type::not_found) {
    // Saved here on exit, so the folder must be there now.
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
      return Error{"the state file " + path + " cannot be kept: there is no folder " + folder.string()};
    }
    return true;
  }
  Result<std::string> text = platform::ReadWholeFile(path);
  if (!text) return text.error();
  Result<device::DeviceState> state = device::LoadDeviceState(*text);
  if (!state) return Error{path + ": " + state.error().message};
  transmitter.Replace(std::move(state).value());
  // The text is a device state, so a JSON object.
  const json file = json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (file.is_object() && file.contains(kAuditKey)) audit = file.at(kAuditKey);
  return true;
}

Result<bool> SaveState(const device::SimulatedTransmitter& transmitter, const std::optional<json>& audit,
                       const std::string& path) {
  json more = json::object();
  if (audit) more[kAuditKey] = *audit;
  return platform::WriteFileAtomically(path, device::SaveDeviceState(transmitter.state(), more));
}

}  // namespace zolin6::device_app
