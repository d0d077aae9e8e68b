// The window's clock after a stall: a message box held open across several
// ticks must not let them run inside the handler that opened it, nor replay
// them back to back once it closes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include "forms/form_design.h"
#include "platform/toolkit/clock.h"
#include "transport/event_loop_clock.h"
#include "view/message_boxes.h"

namespace zolin6::desktop {
namespace {

TEST(EventLoopClockTest, ABoxHeldOpenAcrossTicksIsFollowedByOneTickNotABurst) {
  constexpr int kIntervalMs = 200;
  toolkit::Clock clock;
  toolkit::Timer timer(forms::ControlDesign{forms::Kind::Timer, "TimerObserve"}, nullptr, clock);
  int ticks = 0;
  QEventLoop loop;
  timer.onTick([&] {
    ++ticks;
    loop.quit();
  });
  timer.setInterval(kIntervalMs);
  timer.setEnabled(true);

  transport::EventLoopClock ticker(clock);
  view::QtMessageBoxes boxes;
  boxes.setModalListener([&ticker](bool open) { open ? ticker.hold() : ticker.release(); });

  // The box stays up for five intervals, then the person answers it.
  int ticksWhileOpen = -1;
  QTimer::singleShot(5 * kIntervalMs, [&] {
    ticksWhileOpen = ticks;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  (void)boxes.show("Are you sure?", "Device Reset", toolkit::Buttons::Ok, toolkit::Icon::None);
  EXPECT_EQ(ticksWhileOpen, 0);
  EXPECT_EQ(ticks, 0) << "nothing runs inside the handler that opened the box";

  // The loop waits as the application's does (a loop that only polls for
  // events never goes idle, and the clock waits for idle).
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, 1);
  EXPECT_GT(clock.nextDue(), clock.now()) << "the timer goes on from now";
}

}  // namespace
}  // namespace zolin6::desktop
