#include "window_start.h"

#include <QLabel>
#include <QSettings>
#include <QToolBar>

#include "platform/framelink/contract.h"
#include "view/main_window.h"

namespace zolin6::app {

namespace {

constexpr const char* kLastConnection = "connection/last";  // the setting File > Connect keeps
// The key file of a secure last connection: a path, never a key.
constexpr const char* kLastKeyFile = "connection/lastKeyFile";
constexpr const char* kSimulatedTitle = "simulated device";

}  // namespace

transport::ConnectionTarget LastConnection() {
  const QSettings settings;
  Result<transport::ConnectionTarget> last =
      transport::ParseConnection(settings.value(kLastConnection, "sim").toString().toStdString());
  if (!last) return {};
  transport::ConnectionTarget target = *last;
  if (target.secure) target.keyFile = settings.value(kLastKeyFile).toString().toStdString();
  return target;
}

void RememberConnection(const transport::ConnectionTarget& target) {
  QSettings settings;
  settings.setValue(kLastConnection, QString::fromStdString(target.url()));
  // A typed key is kept nowhere: such a connection asks for its key again.
  if (target.secure && !target.keyFile.empty()) {
    settings.setValue(kLastKeyFile, QString::fromStdString(target.keyFile));
  } else {
    settings.remove(kLastKeyFile);
  }
}

void StartWatch::OnNotification(const link::Notification& notification) {
  if (decided_ || notification.reason != framelink::kStateNotification) return;
  const std::optional<bool> online = framelink::StateSaysOnline(notification.text);
  if (!online) return;
  decided_ = true;
  if (!*online && silent_) silent_();
}

QLabel* AddSimulatedMark(view::MainWindow& window) {
  auto* mark = new QLabel("Simulated device");
  mark->setObjectName("SimulatedMark");
  mark->setToolTip("The built-in simulated transmitter: nothing reaches a real device. File > Connect chooses one.");
  mark->setStyleSheet(
      "QLabel { background: #ffd8a8; color: #5a3200; border: 1px solid #d08a30; border-radius: 3px; "
      "padding: 1px 6px; font-weight: bold; }");
  window.toolBar()->addWidget(mark);
  return mark;
}

void ShowSimulated(view::MainWindow& window, QLabel& mark, bool simulated) {
  window.setConnectionTitle(simulated ? kSimulatedTitle : QString());
  // The toolbar hides the action that holds the label, not the label.
  for (QAction* action : window.toolBar()->actions()) {
    if (window.toolBar()->widgetForAction(action) == &mark) action->setVisible(simulated);
  }
}

}  // namespace zolin6::app
