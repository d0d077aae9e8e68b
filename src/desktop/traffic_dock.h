#pragma once
// View > HART Traffic: a dock with one line per frame that crossed the HART
// line, what an integrator asks for first when a device misbehaves. Each
// line leads with the time of day and the command with its name, then the
// direction, the response code and device status, and the bytes. The view
// follows the newest line unless the user scrolled back to read; the
// newest lines are kept, the oldest go once there are many. What the
// device published stands out from the replies in colour too.

#include <QObject>
#include <QString>

#include "hart/frame_trace.h"
#include "link/wall_time.h"

class QDockWidget;
class QPlainTextEdit;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

// The traffic view's line of `frame`, at `wallMs` ms since 1970 UTC. A
// frame the device published unasked (a burst frame on the loop, a publish
// message over HART-IP) says "pub" where a reply says "rx".
QString TrafficLine(const hart::TracedFrame& frame, qint64 wallMs);
// Whether `frame` is one the device published unasked.
bool IsPublished(const hart::TracedFrame& frame);

class TrafficDock : public QObject {
 public:
  TrafficDock(view::MainWindow& window, link::WallTime wallTime);

  void append(const hart::TracedFrame& frame);
  QDockWidget* dock() const { return dock_; }
  QPlainTextEdit* lines() const { return lines_; }

 private:
  link::WallTime wallTime_;
  QDockWidget* dock_ = nullptr;
  QPlainTextEdit* lines_ = nullptr;
};

}  // namespace zolin6::desktop
