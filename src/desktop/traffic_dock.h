#pragma once
// View > HART Traffic: a dock with one line per frame that crossed the HART
// line (time, direction, the bytes, the command, its response code and the
// device status), what an integrator asks for first when a device
// misbehaves. The newest lines are kept; the oldest go once there are many.

#include <QObject>

#include "hart/frame_trace.h"

class QDockWidget;
class QPlainTextEdit;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class TrafficDock : public QObject {
 public:
  explicit TrafficDock(view::MainWindow& window);

  void append(const hart::TracedFrame& frame);
  QDockWidget* dock() const { return dock_; }

 private:
  QDockWidget* dock_ = nullptr;
  QPlainTextEdit* lines_ = nullptr;
};

}  // namespace zolin6::desktop
