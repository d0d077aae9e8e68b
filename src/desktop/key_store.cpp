#include "desktop/key_store.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <string_view>

#include "platform/atomic_file.h"

namespace zolin6::desktop {

namespace {

constexpr const char* kStoreName = "hart-ip.keys";
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// New files while the store is written: nobody but the user may open them,
// not even the empty temporary file before its mode is set.
constexpr mode_t kOwnerOnlyMask = 077;

// The new files of this process are the user's alone while it lives.
class OwnerOnlyFiles {
 public:
  OwnerOnlyFiles() : before_(::umask(kOwnerOnlyMask)) {}
  ~OwnerOnlyFiles() { ::umask(before_); }
  OwnerOnlyFiles(const OwnerOnlyFiles&) = delete;
  OwnerOnlyFiles& operator=(const OwnerOnlyFiles&) = delete;

 private:
  mode_t before_;
};

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// The identity a key line names; empty for a comment or a blank line. As
// the key file is read: everything before the last colon.
std::string_view IdentityOf(std::string_view line) {
  line = Trimmed(line);
  const std::size_t colon = line.rfind(':');
  if (line.empty() || line.front() == '#' || colon == std::string_view::npos) return {};
  return line.substr(0, colon);
}

// The store exists and is its owner's alone before a key goes into it: the
// replacement keeps the mode of the file it replaces.
Result<bool> MakeOwnerOnly(const QString& path) {
  const std::string name = path.toStdString();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return Error{name + ": cannot create its folder"};
  QFile store(path);
  if (store.exists()) {
    if (!store.setPermissions(kOwnerOnly)) return Error{name + ": cannot make it yours alone"};
    return true;
  }
  if (!store.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)) {
    return Error{name + ": cannot create it: " + store.errorString().toStdString()};
  }
  return true;
}

}  // namespace

QString KeyStorePath() {
  return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + '/' + kStoreName;
}

Result<bool> RememberKey(const QString& path, const std::string& line) {
  if (Result<bool> made = MakeOwnerOnly(path); !made) return made;
  const Result<std::string> old = platform::ReadWholeFile(path.toStdString());
  if (!old) return old.error();
  const std::string_view identity = IdentityOf(line);
  std::string text = line + '\n';
  std::string_view rest = *old;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view kept = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (IdentityOf(kept) != identity) text.append(kept).append("\n");
  }
  const OwnerOnlyFiles ownerOnly;
  return platform::WriteFileAtomically(path.toStdString(), text);
}

}  // namespace zolin6::desktop
