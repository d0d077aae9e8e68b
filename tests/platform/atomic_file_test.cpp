// The file writer never leaves half a file: on any failure the old file is
// as it was and no temporary file stays behind.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/atomic_file.h"

namespace zolin6::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zolin6-atomic-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    path_ = (folder_ / "device.json").string();
    ASSERT_TRUE(WriteFileAtomically(path_, "old"));
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all);
    fs::remove_all(folder_);
  }

  // The old file, and nothing else, in the folder.
  void ExpectOldFileIntact() {
    EXPECT_EQ(*ReadWholeFile(path_), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
  }

  fs::path folder_;
  std::string path_;
};

TEST_F(AtomicFileTest, ReplacesTheWholeFile) {
  ASSERT_TRUE(WriteFileAtomically(path_, "new text"));
  EXPECT_EQ(*ReadWholeFile(path_), "new text");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, AFullDiskLeavesTheOldFile) {
  // The file size limit makes writes fail as a full disk does.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = saved;
  tiny.rlim_cur = 8;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
  Result<bool> written = WriteFileAtomically(path_, std::string(4096, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().message.rfind(path_ + ": cannot write", 0), 0U) << written.error().message;
  ExpectOldFileIntact();
}

TEST_F(AtomicFileTest, AReadOnlyFolderLeavesTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  Result<bool> written = WriteFileAtomically(path_, "new");
  fs::permissions(folder_, fs::perms::owner_all);
  ASSERT_FALSE(written);
  ExpectOldFileIntact();
}

TEST_F(AtomicFileTest, AMissingFolderIsNamed) {
  const std::string path = (folder_ / "gone" / "device.json").string();
  Result<bool> written = WriteFileAtomically(path, "new");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().message.rfind(path + ": cannot create a file beside it", 0), 0U);
}

}  // namespace
}  // namespace zolin6::platform
