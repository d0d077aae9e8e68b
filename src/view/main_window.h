#pragma once
// The desktop window around one control: the function tree on the left, the
// page on show on the right under its title, the Write, Save and Back buttons
// below it, and the status bar with its four panels.

#include <QMainWindow>
#include <QString>

#include <vector>

#include "host/user_cntrl.h"
#include "view/form_binding.h"

class QLabel;
class QMenu;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zolin6::view {

class MainWindow : public QMainWindow {
 public:
  // `iconFolder` holds the status icons the control names.
  MainWindow(UserCntrl& control, QString iconFolder, QWidget* parent = nullptr);

  FormBinding& binding() { return *binding_; }
  QTreeWidget* tree() const { return tree_; }
  // The item of a tree node (1-based, in the order the control added them).
  QTreeWidgetItem* treeItem(int node) const;

  // The user opens a node of the tree (a click, or Enter on the current one).
  void openNode(QTreeWidgetItem* item);

  // The menu of the menu bar named `title` ("File", "View", "Help"), made on
  // first use, for whoever adds commands to the window.
  QMenu* menu(const QString& title);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildTree();
  QWidget* buildPageArea();
  void buildStatusBar();
  void buildMenuBar();
  void hostChanged(const toolkit::Widget& control);
  void showVisiblePage();
  void showPanel(int number);

  UserCntrl& control_;
  QString iconFolder_;
  FormBinding* binding_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  std::vector<QTreeWidgetItem*> items_;
  QLabel* title_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QWidget* empty_ = nullptr;
  std::vector<QWidget*> pageSlots_;  // the stack entry of each page frame, in hiding order
  std::vector<QLabel*> panelTexts_;
  QLabel* panelIcon_ = nullptr;
};

}  // namespace zolin6::view
