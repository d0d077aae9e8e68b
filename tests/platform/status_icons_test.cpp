// The status icons are found in the build (beside the program) and when
// installed (share/zolin6 beside bin/), whatever the prefix.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/status_icons.h"

namespace zolin6::platform {
namespace {

namespace fs = std::filesystem;

TEST(StatusIcons, FoundBesideTheProgramOrInTheInstalledDataFolder) {
  const fs::path prefix = fs::temp_directory_path() / ("zolin6-prefix-" + std::to_string(::getpid()));
  fs::create_directories(prefix / "bin");
  EXPECT_EQ(StatusIconFolder(prefix / "bin"), (prefix / "bin").string());  // as in the build

  fs::create_directories(prefix / kInstalledIconFolder);
  std::ofstream(prefix / kInstalledIconFolder / "connected.ico") << "icon";
  EXPECT_EQ(StatusIconFolder(prefix / "bin"), (prefix / kInstalledIconFolder).string());
  fs::remove_all(prefix);
}

}  // namespace
}  // namespace zolin6::platform
