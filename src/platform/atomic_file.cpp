#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace zolin6::platform {

namespace {

namespace fs = std::filesystem;

// The kernel's own bound on a chain of symbolic links.
constexpr int kMaxLinkHops = 40;
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNameTries = 100;

Error Failure(const std::string& path, const std::string& what) {
  return {path + ": " + what + ": " + std::strerror(errno)};
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// The rename itself is made durable by flushing the folder that holds it.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The file a chain of symbolic links ends at (which may not exist yet).
Result<fs::path> LinkTarget(const std::string& path) {
  fs::path target(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
    const fs::path next = fs::read_symlink(target, error);
    if (error) return Error{path + ": cannot read the link: " + error.message()};
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  errno = ELOOP;
  return Failure(path, "cannot follow the link");
}

// A new file beside `target`, made with O_EXCL so that the user's umask
// gives its mode as it gives any new file's.
int CreateBeside(const fs::path& target, std::string& name) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[letter(random)];
    name = (target.parent_path() / ("." + target.filename().string() + "." + suffix)).string();
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

Result<bool> WriteInPlace(const std::string& path, const std::string& text) {
  // Not blocking on a FIFO nobody reads: that is a failure, said at once.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Failure(path, errno == ENXIO ? "nothing reads it" : "cannot open");
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const bool written = WriteAll(fd, text);
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  errno = written ? errno : writeErrno;
  if (!written || !closed) return Failure(path, "cannot write");
  return true;
}

Result<bool> Replace(const std::string& path, const fs::path& target, const struct stat* old, const std::string& text) {
  std::string temporary;
  const int fd = CreateBeside(target, temporary);
  if (fd < 0) return Failure(path, "cannot create a file beside it");
  if (old != nullptr) {
    // Another owner is kept only where the user may give files away.
    if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) (void)!::fchown(fd, old->st_uid, old->st_gid);
    ::fchmod(fd, old->st_mode & 07777);
  }
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temporary.c_str());
    errno = written ? errno : writeErrno;
    return Failure(path, "cannot write");
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    errno = renameErrno;
    return Failure(path, "cannot replace");
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace

WriteWay WriteWayFor(const struct stat* status) {
  if (status == nullptr) return WriteWay::Create;
  if (S_ISREG(status->st_mode)) return WriteWay::Replace;
  if (S_ISDIR(status->st_mode)) return WriteWay::Refuse;
  return WriteWay::InPlace;
}

Result<bool> WriteFileAtomically(const std::string& path, const std::string& text) {
  // The kernel follows every link, /dev/stdout's too, to say what is there.
  struct stat status {};
  const bool exists = ::stat(path.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) return Failure(path, "cannot see what is there");
  const WriteWay way = WriteWayFor(exists ? &status : nullptr);
  if (way == WriteWay::InPlace) return WriteInPlace(path, text);
  if (way == WriteWay::Refuse) return Error{path + ": is a folder, not a file"};
  Result<fs::path> target = LinkTarget(path);
  if (!target) return target.error();
  return Replace(path, *target, exists ? &status : nullptr, text);
}

Result<std::string> ReadWholeFile(const std::string& path) {
  // A folder opens as a stream that reads nothing: it would pass for an
  // empty file.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return Error{path + ": is a folder, not a file"};
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure(path, "cannot open");
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return Failure(path, "cannot read");
  return text.str();
}

}  // namespace zolin6::platform
