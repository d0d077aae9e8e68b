#include "desktop/traffic_dock.h"

#include <QAction>
#include <QDateTime>
#include <QDockWidget>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "hart/commands_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

// Enough for several minutes of polling; a longer look belongs in --trace FILE.
constexpr int kKeptLines = 5000;
constexpr int kLeastHeight = 120;  // px: a few lines, never enough to push the window past the screen
constexpr int kNameWidth = 40;     // characters the command's name is padded to, so the columns line up

}  // namespace

QString TrafficLine(const hart::TracedFrame& frame, qint64 wallMs) {
  QString line = QDateTime::fromMSecsSinceEpoch(wallMs).toString("HH:mm:ss.zzz") + "  ";
  if (frame.command) {
    const hart::CommandLayout* known = hart::FindDeviceCommand(*frame.command);
    const QString name = known != nullptr ? QString::fromUtf8(known->name.data(), static_cast<int>(known->name.size()))
                                          : QString("command %1").arg(*frame.command);
    line += QString("cmd %1 ").arg(*frame.command, 3) + name.leftJustified(kNameWidth);
  } else {
    line +=
        QString("      ") + QString(frame.problem != nullptr ? frame.problem : "not a frame").leftJustified(kNameWidth);
  }
  line += QString(" %1").arg(hart::DirectionCode(frame.direction));
  if (frame.responseCode) line += QString(" rc %1").arg(*frame.responseCode);
  if (frame.deviceStatus) {
    line += " status 0x" + QString::number(*frame.deviceStatus, 16).rightJustified(2, '0').toUpper();
  }
  return line + " | " + QString::fromStdString(hart::Hex(frame.line, true));
}

TrafficDock::TrafficDock(view::MainWindow& window, link::WallTime wallTime) : QObject(&window), wallTime_(wallTime) {
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
  dock_->setMinimumHeight(kLeastHeight);
  window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
  dock_->hide();
  QAction* show = dock_->toggleViewAction();
  show->setText("HART T&raffic");
  show->setObjectName("actionTraffic");
  window.menu("View")->addAction(show);
}

void TrafficDock::append(const hart::TracedFrame& frame) {
  QScrollBar* bar = lines_->verticalScrollBar();
  const bool following = bar->value() == bar->maximum();
  lines_->appendPlainText(TrafficLine(frame, wallTime_.at(frame.at.count())));
  if (following) bar->setValue(bar->maximum());
}

}  // namespace zolin6::desktop
