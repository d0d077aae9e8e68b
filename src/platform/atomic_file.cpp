#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace zolin6::platform {

namespace {

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
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

Result<bool> WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::filesystem::path target(path);
  std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return Failure(path, "cannot create a file beside it");
  const std::string temporary(name.data());
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temporary.c_str());
    errno = written ? errno : writeErrno;
    return Failure(path, "cannot write");
  }
  // mkstemp makes the file private; a configuration is an ordinary file.
  ::chmod(temporary.c_str(), 0644);
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    errno = renameErrno;
    return Failure(path, "cannot replace");
  }
  SyncFolder(target.parent_path());
  return true;
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
