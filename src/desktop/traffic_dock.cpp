#include "desktop/traffic_dock.h"

#include <QAction>
#include <QDockWidget>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>

#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

// Enough for several minutes of polling; a longer look belongs in --trace FILE.
constexpr int kKeptLines = 5000;

}  // namespace

TrafficDock::TrafficDock(view::MainWindow& window) : QObject(&window) {
  lines_ = new QPlainTextEdit;
  lines_->setObjectName("TrafficLines");
  lines_->setReadOnly(true);
  lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
  lines_->setMaximumBlockCount(kKeptLines);
  lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lines_->setPlaceholderText(
      "No frame yet. The built-in simulated device has no HART line: connect to a HART-IP device or a serial "
      "modem (File > Connect) to see the traffic.");
  dock_ = new QDockWidget("HART Traffic", &window);
  dock_->setObjectName("TrafficDock");
  dock_->setWidget(lines_);
  window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
  dock_->hide();
  QAction* show = dock_->toggleViewAction();
  show->setText("HART T&raffic");
  show->setObjectName("actionTraffic");
  window.menu("View")->addAction(show);
}

void TrafficDock::append(const hart::TracedFrame& frame) {
  lines_->appendPlainText(QString::fromStdString(hart::FormatTraceLine(frame)));
}

}  // namespace zolin6::desktop
