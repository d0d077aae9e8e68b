#pragma once
// File > Open Recent: the configuration files opened or saved last, newest
// first, kept between runs. A file that is gone stays listed until it is
// chosen; opening it then says so like any other file that cannot be read.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;

namespace zolin6::desktop {

inline constexpr int kRecentFiles = 8;  // files the list keeps

class RecentFiles : public QObject {
 public:
  // Fills `menu`; choosing an entry calls `open` with its path.
  RecentFiles(QMenu& menu, std::function<void(const QString& path)> open);

  // Puts `path` at the top of the list.
  void add(const QString& path);
  QStringList paths() const;

 private:
  void fill();

  QMenu& menu_;
  std::function<void(const QString&)> open_;
};

}  // namespace zolin6::desktop
