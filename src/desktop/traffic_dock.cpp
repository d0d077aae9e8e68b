#include "desktop/traffic_dock.h"

#include <QAction>
#include <QDateTime>
#include <QDockWidget>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "hart/commands_device.h"
#include "hart/frame.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

// Enough for several minutes of polling; a longer look belongs in --trace FILE.
constexpr int kKeptLines = 5000;
constexpr int kLeastHeight = 120;  // px: a few lines, never enough to push the window past the screen
constexpr int kNameWidth = 40;     // characters the command's name is padded to, so the columns line up

constexpr int kDirectionWidth = 3;  // "tx", "rx", "pub"

}  // namespace

bool IsPublished(const hart::TracedFrame& frame) {
  if (frame.direction != hart::TraceDirection::Received || !frame.command) return false;
  const hart::ByteView line(frame.line);
  const auto start = std::find_if(line.begin(), line.end(), [](std::uint8_t b) { return b != hart::kPreamble; });
  const hart::DecodeResult decoded = hart::DecodeFrame(line.subspan(static_cast<std::size_t>(start - line.begin())));
  return decoded && decoded.frame.type == hart::FrameType::Burst;
}

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
  const QString direction = IsPublished(frame) ? QString("pub") : QString(hart::DirectionCode(frame.direction));
  line += " " + direction.leftJustified(kDirectionWidth);
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
      "modem (File > Connect) to see the traffic. Frames the device publishes unasked (burst mode) say \"pub\".");
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
  if (IsPublished(frame)) {
    QTextCursor last(lines_->document()->lastBlock());
    last.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat published;
    published.setForeground(lines_->palette().link());
    last.mergeCharFormat(published);
  }
  if (following) bar->setValue(bar->maximum());
}

}  // namespace zolin6::desktop
