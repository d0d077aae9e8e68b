#include "platform/status_icons.h"

namespace zolin6::platform {

std::string StatusIconFolder(const std::filesystem::path& programFolder) {
  const std::filesystem::path installed = (programFolder.parent_path() / kInstalledIconFolder).lexically_normal();
  std::error_code error;
  if (std::filesystem::is_regular_file(installed / "connected.ico", error)) return installed.string();
  return programFolder.string();
}

}  // namespace zolin6::platform
