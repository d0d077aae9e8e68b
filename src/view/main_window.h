#pragma once
// The desktop window around one control: the function tree on the left, the
// page on show on the right under its title, the Write, Save and Back buttons
// below it, and the status bar with its four panels.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

#include "host/user_cntrl.h"
#include "view/form_binding.h"

class QLabel;
class QAction;
class QKeySequence;
class QMenu;
class QToolBar;
class QSplitter;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zolin6::view {

// The information page's fields that identify the device.
inline constexpr int kTagField = 0;
inline constexpr int kSerialField = 9;
inline constexpr int kManufacturerField = 11;
inline constexpr int kDeviceTypeField = 12;

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
  // A command at the end of menu `menuTitle`, named `name` for the tests.
  QAction* addCommand(const QString& menuTitle, const QString& text, const QString& name, const QKeySequence& keys,
                      std::function<void()> run);
  QToolBar* toolBar() const { return toolBar_; }

  // A tree node of the desktop's own, under `parent` (at the root when
  // nullptr): opening it runs `open` and never reaches the control.
  QTreeWidgetItem* addOwnNode(const QString& text, QTreeWidgetItem* parent, std::function<void()> open);
  // Shows `page` (a page frame's name, or a widget of the desktop's own)
  // under `title` until the control shows a page again.
  void showOwnPage(std::string_view frame, const QString& title);
  void showOwnPage(QWidget* page, const QString& title);
  bool ownPageShown() const { return ownPageShown_; }
  // The page on show, and the lines under its title where the desktop says
  // what is going on: the banner of a held output, and the note of what to
  // do on a trim step or how old the values are. Both keep their room when
  // empty, so that nothing on the page moves when they fill.
  QWidget* currentPage() const;
  // The page frame on show ("frmConf_Range"); empty while none or one of
  // the desktop's own widgets is.
  std::string_view frameShown() const;
  QLabel* pageBanner() const { return banner_; }
  QLabel* pageNote() const { return note_; }
  // Shown in the page area while no page is on show (why it is empty).
  QLabel* emptyPageText() const { return emptyText_; }
  // The title the window shows above a page frame ("Configuration – Sensor
  // Range" for "frmConf_Range"); empty for a frame it never shows.
  static QString PageTitle(std::string_view frame);
  // The page on show and the channel it is about, for a message box from
  // the device: "On the page Maintenance – Loop Test, channel 3."
  QString pageContext() const;
  // The control's tree node with the text `text`, if there is one.
  QTreeWidgetItem* nodeOfText(const QString& text) const;
  // Window geometry and the tree's width, kept between runs.
  void restoreLayout();
  void saveLayout() const;
  // Told whenever the page on show changes: true for one of the desktop's own.
  void onPageShown(std::function<void(bool own)> hook) { pageShown_.push_back(std::move(hook)); }
  // Told of every change of a control the window draws itself (page frames,
  // the tree, the status bar, the timers).
  void onHostChange(std::function<void(const toolkit::Widget&)> hook) { hostChanges_.push_back(std::move(hook)); }
  // The window's title around the program's name: the open document
  // ("plant.json", marked while it has unsaved edits) before it, the device
  // behind the control ("simulated device") after it; "" for none.
  void setDocumentTitle(const QString& document);
  void setConnectionTitle(const QString& connection);
  // Asked before the window closes; false keeps it open.
  void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

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
  std::function<bool()> closeGuard_;
  FormBinding* binding_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  std::vector<QTreeWidgetItem*> items_;
  QLabel* title_ = nullptr;
  QLabel* note_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QWidget* empty_ = nullptr;
  std::vector<QWidget*> pageSlots_;              // the stack entry of each page frame, in hiding order
  std::vector<std::function<void()>> ownNodes_;  // what opening each own node does
  std::vector<std::function<void(bool)>> pageShown_;
  std::vector<std::function<void(const toolkit::Widget&)>> hostChanges_;
  QString documentTitle_;
  QString connectionTitle_;
  QLabel* banner_ = nullptr;
  QLabel* emptyText_ = nullptr;
  bool ownPageShown_ = false;
  std::vector<QLabel*> panelTexts_;
  QLabel* panelIcon_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* linkState_ = nullptr;  // the toolbar's copy of the connection panel
};

}  // namespace zolin6::view
