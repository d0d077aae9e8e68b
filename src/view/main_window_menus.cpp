// The window's menu bar and toolbar: File, Device, View and Help, which the
// features of the desktop program fill with their own commands, and the
// toolbar with the commands used most and the state of the link.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "view/main_window.h"

namespace zolin6::view {

namespace {

// Where the user guide is: beside the program, where the package installs
// it, or in the source tree for a program run from its build folder.
QString UserGuidePath() {
  const QString here = QCoreApplication::applicationDirPath();
  for (const QString& candidate : {here + "/user-guide.md", here + "/../share/doc/zolin6/user-guide.md",
                                   QString(ZOLIN6_DOCS_DIR) + "/user-guide.md"}) {
    if (QFileInfo::exists(candidate)) return QFileInfo(candidate).absoluteFilePath();
  }
  return {};
}

void ShowDocument(QWidget* parent, const QString& title, const std::function<void(QTextBrowser&)>& fill) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(title.simplified().remove(' '));
  dialog->setWindowTitle(title);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* column = new QVBoxLayout(dialog);
  auto* text = new QTextBrowser;
  text->setOpenExternalLinks(true);
  fill(*text);
  column->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  column->addWidget(buttons);
  dialog->resize(720, 640);
  dialog->show();
}

}  // namespace

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

QAction* MainWindow::addCommand(const QString& menuTitle, const QString& text, const QString& name,
                                const QKeySequence& keys, std::function<void()> run) {
  QAction* action = menu(menuTitle)->addAction(text);
  action->setObjectName(name);
  action->setShortcut(keys);
  if (run) connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
  return action;
}

void MainWindow::buildMenuBar() {
  menuBar()->setObjectName("MenuBar");
  menu("File");
  // Read Page Again is a click on the node on show, as the user would make it.
  QAction* read = addCommand("Device", "&Read Page Again", "actionReadPage", QKeySequence::Refresh, [this] {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item != nullptr && item->data(0, Qt::UserRole).toInt() > 0) openNode(item);
  });
  QAction* write = addCommand("Device", "&Write", "actionWrite", QKeySequence(Qt::CTRL | Qt::Key_Return), [this] {
    if (auto* button = qobject_cast<QPushButton*>(binding_->widgetFor("cmdWriteParameter"))) button->click();
  });
  menu("Device")->addSeparator();
  for (const char* node : {"TRIM", "Maintenance"}) {
    const QString text = QString(node) == "TRIM" ? "&Trim" : "&Maintenance";
    addCommand("Device", text, QString("action%1").arg(node), {}, [this, node] { openNode(nodeOfText(node)); });
  }
  menu("View");
  addCommand("Help", "&User Guide", "actionUserGuide", QKeySequence::HelpContents, [this] {
    const QString path = UserGuidePath();
    ShowDocument(this, "User Guide", [&path](QTextBrowser& text) {
      if (path.isEmpty()) {
        text.setPlainText("The user guide (user-guide.md) is not installed beside the program.");
      } else {
        text.setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
      }
    });
  });
  addCommand("Help", "&Keyboard Shortcuts", "actionShortcuts", {}, [this] {
    QString table = "<table cellpadding='4'>";
    for (QAction* top : menuBar()->actions()) {
      for (QAction* action : top->menu()->actions()) {
        if (action->shortcut().isEmpty()) continue;
        table += QString("<tr><td>%1</td><td><b>%2</b></td></tr>")
                     .arg(action->text().remove('&'), action->shortcut().toString(QKeySequence::NativeText));
      }
    }
    table += "<tr><td>Open the selected tree node</td><td><b>Enter</b>, <b>Space</b></td></tr></table>";
    ShowDocument(this, "Keyboard Shortcuts", [&table](QTextBrowser& text) { text.setHtml(table); });
  });
  addCommand("Help", "&About ZOLIN-6", "actionAbout", {}, [this] {
    auto field = [this](int index) {
      return QString::fromStdString(control_.form().get<toolkit::TextBox>("txtParameter", index).text());
    };
    QMessageBox::about(this, "About ZOLIN-6",
                       QString("ZOLIN-6 %1 (Qt %2)\nThe six-channel HART temperature transmitter.\n\n"
                               "Device: %3\nManufacturer: %4\nDevice type: %5\nSerial number: %6")
                           .arg(QApplication::applicationVersion(), qVersion(), field(kTagField),
                                field(kManufacturerField), field(kDeviceTypeField), field(kSerialField)));
  });

  toolBar_ = addToolBar("Main");
  toolBar_->setObjectName("MainToolBar");
  toolBar_->setMovable(false);
  toolBar_->addAction(read);
  toolBar_->addAction(write);
  toolBar_->addSeparator();
  linkState_ = new QLabel;
  linkState_->setObjectName("ToolBarLinkState");
  toolBar_->addWidget(linkState_);
}

}  // namespace zolin6::view
