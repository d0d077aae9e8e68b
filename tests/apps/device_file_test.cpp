// The device file of --device: each kind of file that cannot be used is
// named as such and left as it was; a state that cannot be saved is said.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "device_file.h"
#include "platform/atomic_file.h"

namespace zolin6::app {
namespace {

namespace fs = std::filesystem;

class DeviceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zolin6-device-file-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  toolkit::Clock clock_;
  std::shared_ptr<transport::SimulatedDevice> sim_ = std::make_shared<transport::SimulatedDevice>(clock_);
  fs::path folder_;
};

TEST_F(DeviceFileTest, EachKindOfUnusableFileIsNamedAndLeftAsItWas) {
  const std::string refused = "the device file cannot be used: ";
  struct Case {
    std::string name;
    std::optional<std::string> text;  // the file's text, none for a folder
    std::string message;
  };
  const std::vector<Case> cases{
      {"folder", std::nullopt, "is a folder, not a file"},
      {"list.json", "[1]", "not a device state: the text is JSON, but a list rather than an object"},
      {"other.json", R"({"foo": 1})", "not a device state: the key averageMode is missing"},
      {"notes.txt", "call back on Monday", "not a device state: the text is not JSON"},
  };
  for (const Case& c : cases) {
    const std::string path = Path(c.name);
    if (c.text) {
      ASSERT_TRUE(platform::WriteFileAtomically(path, *c.text));
    } else {
      fs::create_directory(path);
    }
    Result<bool> loaded = LoadDeviceFile(*sim_, path);
    ASSERT_FALSE(loaded) << c.name;
    EXPECT_EQ(loaded.error().message.rfind(refused + path + ": " + c.message, 0), 0U) << loaded.error().message;
    if (c.text) {
      EXPECT_EQ(*platform::ReadWholeFile(path), *c.text);
    } else {
      EXPECT_TRUE(fs::is_empty(path));
    }
  }

  const std::string nowhere = Path("gone/device.json");
  EXPECT_EQ(LoadDeviceFile(*sim_, nowhere).error().message,
            refused + nowhere + ": there is no folder " + Path("gone") + " to keep it in");
}

TEST_F(DeviceFileTest, AnUnreadableFileIsNamed) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
  const std::string path = Path("locked.json");
  ASSERT_TRUE(SaveDeviceFile(*sim_, path));
  fs::permissions(path, fs::perms::none);
  Result<bool> loaded = LoadDeviceFile(*sim_, path);
  ASSERT_FALSE(loaded);
  EXPECT_EQ(loaded.error().message, "the device file cannot be used: " + path + ": cannot open: Permission denied");
}

TEST_F(DeviceFileTest, ANewDeviceIsSavedAndAFailedSaveIsSaid) {
  const std::string path = Path("new.json");
  ASSERT_TRUE(LoadDeviceFile(*sim_, path));
  ASSERT_TRUE(SaveDeviceFile(*sim_, path));
  ASSERT_TRUE(LoadDeviceFile(*sim_, path));

  // The folder went away during the session: the superuser cannot write
  // there either.
  fs::remove_all(folder_);
  Result<bool> saved = SaveDeviceFile(*sim_, path);
  ASSERT_FALSE(saved);
  EXPECT_EQ(
      saved.error().message.rfind("the device state is not saved: " + path + ": cannot create a file beside it", 0), 0U)
      << saved.error().message;
}

}  // namespace
}  // namespace zolin6::app
