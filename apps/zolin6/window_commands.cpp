#include "window_commands.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QToolBar>

#include "desktop/connect_dialog.h"
#include "view/main_window.h"
#include "window_start.h"

namespace zolin6::app {

QAction* AddConnectionCommands(view::MainWindow& window, WindowConnection& connection,
                               transport::EventLoopClock& ticker, const LeaveGuard& mayLeave) {
  QAction* connect = window.addCommand(
      "File", "&Connect\u2026", "actionConnect", QKeySequence(Qt::CTRL | Qt::Key_K),
      [&window, &connection, &ticker, mayLeave] {
        const transport::ConnectionTarget preset = connection.connected() ? connection.target() : LastConnection();
        desktop::ConnectDialog dialog(&window, ticker, preset);
        if (dialog.exec() != QDialog::Accepted) return;
        const transport::ConnectionTarget chosen = dialog.target();
        if (!mayLeave("connect to another device")) return;
        if (Result<bool> connected = connection.Connect(chosen); !connected) {
          QMessageBox::warning(&window, "Connect", QString::fromStdString(connected.error().message));
          return;
        }
        RememberConnection(chosen);
      });
  QAction* disconnect = window.addCommand("File", "&Disconnect", "actionDisconnect", {}, [&connection, mayLeave] {
    if (mayLeave("disconnect")) connection.Disconnect();
  });
  window.menu("File")->addSeparator();
  QAction* first = window.toolBar()->actions().value(0);
  window.toolBar()->insertAction(first, connect);
  window.toolBar()->insertAction(first, disconnect);
  window.toolBar()->insertSeparator(first);
  return connect;
}

void AddWindowCommands(view::MainWindow& window) {
  window.menu("View")->addSeparator();
  QAction* fullScreen = window.addCommand("View", "&Full Screen", "actionFullScreen", QKeySequence(Qt::Key_F11), {});
  fullScreen->setCheckable(true);
  QObject::connect(fullScreen, &QAction::toggled, &window,
                   [&window](bool on) { on ? window.showFullScreen() : window.showNormal(); });
  window.addCommand("File", "&Quit", "actionQuit", QKeySequence::Quit, [&window] { window.close(); });
}

}  // namespace zolin6::app
