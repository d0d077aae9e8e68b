// The window's menu bar: File, View and Help, which the features of the
// desktop program fill with their own commands.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "view/main_window.h"

namespace zolin6::view {

QMenu* MainWindow::menu(const QString& title) {
  const QString name = "menu" + title;
  if (auto* existing = menuBar()->findChild<QMenu*>(name, Qt::FindDirectChildrenOnly)) return existing;
  auto* created = new QMenu("&" + title, menuBar());
  created->setObjectName(name);
  // Help stays the last menu, whoever adds one later.
  auto* help = menuBar()->findChild<QMenu*>("menuHelp", Qt::FindDirectChildrenOnly);
  if (help != nullptr) {
    menuBar()->insertMenu(help->menuAction(), created);
  } else {
    menuBar()->addMenu(created);
  }
  return created;
}

void MainWindow::buildMenuBar() {
  menuBar()->setObjectName("MenuBar");
  menu("File");
  menu("View");
  QAction* about = menu("Help")->addAction("&About ZOLIN-6");
  about->setObjectName("actionAbout");
  connect(about, &QAction::triggered, this, [this] {
    QMessageBox::about(
        this, "About ZOLIN-6",
        QString("ZOLIN-6 %1\nThe six-channel HART temperature transmitter.").arg(QApplication::applicationVersion()));
  });
}

}  // namespace zolin6::view
