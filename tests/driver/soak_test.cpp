// The HART driver over the simulated 1200 bit/s line while the line loses
// 10 % of the device's replies and damages 5 %: every request is answered
// in bounded time, nothing the master may not repeat goes out twice, and
// the device holds what the confirmed writes gave it. Run with
// `ctest -L long`.

#include <gtest/gtest.h>

#include "fakes/soak_session.h"
#include "transport/simulated_device.h"

namespace zolin6::driver {
namespace {

TEST(Soak, DISABLED_ABadFskLineLosesNoRequestAndResendsNothingUnsafe) {
  toolkit::Clock clock;
  auto sim = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{transport::LineKind::Fsk});
  sim->link().SetFaults(device::FaultRates{.drop = 0.10, .corrupt = 0.05, .seed = 24});
  const float before = sim->transmitter().state().channels[0].upperRangeValue;
  fakes::SoakSession session(
      *sim,
      [&clock](const std::function<bool()>& done, toolkit::Millis bound) {
        const toolkit::Millis start = clock.now();
        while (!done() && clock.now() - start < bound) clock.advance(10);
        return clock.now() - start;
      },
      [&sim] { return sim->pendingTransactions(); });
  sim->link().Trace([&session](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
    if (direction == transport::FrameDirection::Request) {
      session.Sent(hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{at}, line));
    }
  });
  session.Start();
  session.Run();
  session.Stop();

  EXPECT_EQ(session.unanswered(), 0);
  EXPECT_LE(session.longest(), fakes::SoakSession::kBound);
  EXPECT_FALSE(session.ResentSomethingOnce());
  EXPECT_TRUE(session.confirmedUpper().has_value()) << "no write got through";
  EXPECT_TRUE(session.HoldsWhatWasWritten(sim->transmitter().state().channels[0].upperRangeValue, before));
  std::cout << "slowest answer: " << session.longest() << " ms\n";
}

}  // namespace
}  // namespace zolin6::driver
