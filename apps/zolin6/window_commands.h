#pragma once
// The window's own commands around the features: File > Connect… and
// Disconnect (also on the toolbar), View > Full Screen and File > Quit.

#include <QString>

#include <functional>

#include "transport/event_loop_clock.h"
#include "window_connection.h"

class QAction;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::app {

// Asked before leaving the device ("quit", "disconnect", "connect to
// another device"): whether to go on.
using LeaveGuard = std::function<bool(const QString& action)>;

// File > Connect… and Disconnect, and the same on the toolbar. The dialog
// starts from the present connection, or from the last one chosen while
// disconnected; a line that cannot be opened is said and nothing changes.
// Returns the Connect action.
QAction* AddConnectionCommands(view::MainWindow& window, WindowConnection& connection,
                               transport::EventLoopClock& ticker, const LeaveGuard& mayLeave);

// What closes the File and View menus once every feature has added its own.
void AddWindowCommands(view::MainWindow& window);

}  // namespace zolin6::app
