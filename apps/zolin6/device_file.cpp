#include "device_file.h"

#include <filesystem>
#include <system_error>

namespace zolin6::app {

namespace fs = std::filesystem;

Result<bool> LoadDeviceFile(transport::SimulatedDevice& sim, const std::string& path) {
  const std::string refused = "the device file cannot be used: ";
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    // A new device: the state is saved here at the end, so its folder must
    // be there now rather than after a session's work.
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
      return Error{refused + path + ": there is no folder " + folder.string() + " to keep it in"};
    }
    return true;
  }
  if (error) return Error{refused + path + ": " + error.message()};
  if (Result<bool> loaded = sim.LoadState(path); !loaded) return Error{refused + loaded.error().message};
  return true;
}

Result<bool> SaveDeviceFile(const transport::SimulatedDevice& sim, const std::string& path) {
  if (Result<bool> saved = sim.SaveState(path); !saved) {
    return Error{"the device state is not saved: " + saved.error().message};
  }
  return true;
}

}  // namespace zolin6::app
