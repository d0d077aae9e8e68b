// The HART driver over HART-IP to zolin6-device while the device's side of
// the loop loses 10 % of its replies and damages 5 %: every request is
// answered in bounded time, nothing the master may not repeat goes out
// twice, and the device holds what the confirmed writes gave it. Run with
// `ctest -L long`.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>

#include "driver/hart_driver.h"
#include "driver/traced_link.h"
#include "fakes/soak_session.h"
#include "hart_ip_device_program.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::transport {
namespace {

// The channel 1 upper range value in a read of the range page.
float UpperRange(const std::string& page) {
  static const QRegularExpression upper(QStringLiteral(R"re("Sns1UpperRangeValue" value="([^"]+)")re"));
  const QRegularExpressionMatch match = upper.match(QString::fromStdString(page));
  return match.hasMatch() ? match.captured(1).toFloat() : -1.0F;
}

TEST(SoakHartIp, DISABLED_ABadLoopBehindTheDeviceLosesNoRequestAndResendsNothingUnsafe) {
  testing::DeviceProgram device;
  ASSERT_TRUE(device.start({"--listen", "127.0.0.1:0", "--faults", "drop=0.1,corrupt=0.05,seed=24"}))
      << device.readyLine.toStdString();
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  Result<ConnectionTarget> target = ParseConnection("hart-ip://127.0.0.1:" + std::to_string(device.port));
  ASSERT_TRUE(target);
  Result<OpenedLink> opened = OpenLink(*target, ticker);
  ASSERT_TRUE(opened) << opened.error().message;
  auto traced = std::make_shared<driver::TracedLink>(opened->link);
  hart::MasterSettings settings = opened->settings;
  settings.link.replyTimeout = hart::Millis{300};  // a loopback answers in a few ms
  auto driver = std::make_shared<driver::HartDriver>(clock, traced, driver::HartDriverOptions{settings, {}});
  driver->Start();
  fakes::SoakSession session(
      *driver,
      [&ticker](const std::function<bool()>& done, toolkit::Millis bound) {
        QElapsedTimer took;
        took.start();
        testing::RunUntil(done, static_cast<int>(bound), [&ticker] { ticker.catchUp(); });
        return static_cast<toolkit::Millis>(took.elapsed());
      },
      [&driver] { return driver->pendingOperations(); });
  traced->Trace([&session](const hart::TracedFrame& frame) { session.Sent(frame); });
  session.Start();
  constexpr int kRangePageOfChannel1 = 18;
  const float before = UpperRange(session.ReadPage(kRangePageOfChannel1));
  session.Run();
  const float after = UpperRange(session.ReadPage(kRangePageOfChannel1));
  session.Stop();

  EXPECT_EQ(session.unanswered(), 0);
  EXPECT_LE(session.longest(), fakes::SoakSession::kBound);
  EXPECT_FALSE(session.ResentSomethingOnce());
  EXPECT_TRUE(session.confirmedUpper().has_value()) << "no write got through";
  EXPECT_TRUE(session.HoldsWhatWasWritten(after, before)) << after;
  std::cout << "slowest answer: " << session.longest() << " ms\n";
  EXPECT_EQ(device.stop(), 0);
}

}  // namespace
}  // namespace zolin6::transport
