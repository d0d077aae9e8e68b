#include "device_state.h"

#include <filesystem>
#include <system_error>

#include "device/device_state_file.h"
#include "platform/atomic_file.h"

namespace zolin6::device_app {

namespace fs = std::filesystem;

Result<bool> LoadStateIfPresent(device::SimulatedTransmitter& transmitter, const std::string& path) {
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
  return true;
}

Result<bool> SaveState(const device::SimulatedTransmitter& transmitter, const std::string& path) {
  return platform::WriteFileAtomically(path, device::SaveDeviceState(transmitter.state()));
}

}  // namespace zolin6::device_app
