#include "desktop/recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace zolin6::desktop {

namespace {

constexpr const char* kSetting = "files/recent";

}  // namespace

RecentFiles::RecentFiles(QMenu& menu, std::function<void(const QString& path)> open)
    : QObject(&menu), menu_(menu), open_(std::move(open)) {
  menu_.setObjectName("menuRecentFiles");
  fill();
}

QStringList RecentFiles::paths() const { return QSettings().value(kSetting).toStringList(); }

void RecentFiles::add(const QString& path) {
  if (path.isEmpty()) return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList list = paths();
  list.removeAll(absolute);
  list.prepend(absolute);
  while (list.size() > kRecentFiles) list.removeLast();
  QSettings().setValue(kSetting, list);
  fill();
}

void RecentFiles::fill() {
  menu_.clear();
  const QStringList list = paths();
  for (int i = 0; i < list.size(); ++i) {
    const QString& path = list[i];
    QAction* entry = menu_.addAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
    entry->setToolTip(QDir::toNativeSeparators(path));
    entry->setStatusTip(QDir::toNativeSeparators(path));
    connect(entry, &QAction::triggered, this, [this, path] { open_(path); });
  }
  menu_.setEnabled(!list.isEmpty());
}

}  // namespace zolin6::desktop
