// The file writer never leaves half a file: on any failure the old file is
// as it was and no temporary file stays behind. It replaces only regular
// files, keeping their mode; a link stays a link; a device or a FIFO is
// written to, never replaced.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

mode_t ModeOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status.st_mode;
}

TEST_F(AtomicFileTest, KeepsTheModeOfTheFileItReplacesAndGivesANewOneTheUmasks) {
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomically(path_, "secret"));
  EXPECT_EQ(ModeOf(path_) & 07777, 0600U);
  ASSERT_EQ(::chmod(path_.c_str(), 0664), 0);
  ASSERT_TRUE(WriteFileAtomically(path_, "shared"));
  EXPECT_EQ(ModeOf(path_) & 07777, 0664U);

  const mode_t saved = ::umask(027);
  const std::string fresh = (folder_ / "fresh.json").string();
  Result<bool> written = WriteFileAtomically(fresh, "new");
  ::umask(saved);
  ASSERT_TRUE(written);
  EXPECT_EQ(ModeOf(fresh) & 07777, 0640U);
}

TEST_F(AtomicFileTest, WritesThroughALinkToItsTarget) {
  fs::create_directories(folder_ / "real");
  const std::string target = (folder_ / "real" / "plant.json").string();
  ASSERT_TRUE(WriteFileAtomically(target, "old"));
  const std::string link = (folder_ / "plant.json").string();
  fs::create_symlink("real/plant.json", link);  // relative, as users make them
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(S_ISLNK(ModeOf(link)));
  EXPECT_EQ(fs::read_symlink(link), "real/plant.json");
  EXPECT_EQ(*ReadWholeFile(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "real"), fs::directory_iterator()), 1);

  // A link to a file not there yet makes it.
  fs::create_symlink("real/later.json", folder_ / "later.json");
  ASSERT_TRUE(WriteFileAtomically((folder_ / "later.json").string(), "made"));
  EXPECT_EQ(*ReadWholeFile((folder_ / "real" / "later.json").string()), "made");
}

TEST_F(AtomicFileTest, AFifoIsWrittenToAndStaysAFifo) {
  const std::string fifo = (folder_ / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Result<bool> unread = WriteFileAtomically(fifo, "lost");
  ASSERT_FALSE(unread);
  EXPECT_EQ(unread.error().message.rfind(fifo + ": nothing reads it", 0), 0U) << unread.error().message;

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(WriteFileAtomically(fifo, "through the pipe"));
  // And through a link to it, as /dev/stdout is one to a pipe.
  const std::string link = (folder_ / "stdout").string();
  fs::create_symlink(fifo, link);
  ASSERT_TRUE(WriteFileAtomically(link, ", linked"));
  char buffer[64] = {};
  const ssize_t got = ::read(reader, buffer, sizeof buffer);
  ::close(reader);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0))), "through the pipe, linked");
  EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
  EXPECT_TRUE(S_ISLNK(ModeOf(link)));
}

// The way for a file, a FIFO and /dev/null is pinned by the writes above
// and below; a folder is refused by name.
TEST_F(AtomicFileTest, AFolderIsRefused) {
  Result<bool> folder = WriteFileAtomically(folder_.string(), "x");
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().message, folder_.string() + ": is a folder, not a file");
}

// Run as root, a writer that replaced what it was given removed the
// machine's /dev/null: the way is checked before anything is written to it.
TEST(AtomicFileDevice, DevNullStaysACharacterDevice) {
  struct stat before {};
  ASSERT_EQ(::stat("/dev/null", &before), 0);
  ASSERT_TRUE(S_ISCHR(before.st_mode));
  ASSERT_EQ(WriteWayFor(&before), WriteWay::InPlace);
  ASSERT_TRUE(WriteFileAtomically("/dev/null", "discarded"));
  struct stat after {};
  ASSERT_EQ(::stat("/dev/null", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

}  // namespace
}  // namespace zolin6::platform
