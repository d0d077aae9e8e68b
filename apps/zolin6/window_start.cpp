#include "window_start.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QStatusBar>
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

// A padlock drawn, not a glyph: not every desktop font has one.
QLabel* AddSecureMark(view::MainWindow& window) {
  constexpr int kSize = 14;
  const QColor green(0x2e, 0x6b, 0x30);
  QPixmap lock(kSize, kSize);
  lock.fill(Qt::transparent);
  QPainter painter(&lock);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(green, 1.6));
  painter.drawArc(QRectF(3.5, 1, 7, 8), 0, 180 * 16);
  painter.drawLine(QPointF(3.5, 5), QPointF(3.5, 7));
  painter.drawLine(QPointF(10.5, 5), QPointF(10.5, 7));
  painter.fillRect(QRectF(2, 7, 10, 7), green);
  painter.end();
  auto* mark = new QLabel;
  mark->setObjectName("SecureMark");
  mark->setPixmap(lock);
  mark->setVisible(false);
  window.statusBar()->addPermanentWidget(mark);
  return mark;
}

void ShowSecure(QLabel& mark, const std::string& security) {
  mark.setVisible(!security.empty());
  mark.setToolTip(security.empty() ? QString() : "Secure HART-IP: " + QString::fromStdString(security));
}

}  // namespace zolin6::app
