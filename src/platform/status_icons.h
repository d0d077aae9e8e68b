#pragma once
// Where the two status icons ("connected.ico", "no connection.ico") are
// for a program in `programFolder`. In the build they lie beside the
// program; installed, the programs are in bin/ and the icons in
// share/zolin6/ beside it, as the Linux file layout keeps data apart from
// programs.

#include <filesystem>
#include <string>

namespace zolin6::platform {

// The installed icons' folder relative to the prefix (as bin/ is).
inline constexpr const char* kInstalledIconFolder = "share/zolin6";

std::string StatusIconFolder(const std::filesystem::path& programFolder);

}  // namespace zolin6::platform
