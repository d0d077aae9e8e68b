// A bursting device on the simulated FSK line with the primary master
// talking to it on a manual clock: the bursts reach the master with their
// period kept, the master's requests are all answered at their first try,
// and no request starts while a burst frame is on the line.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "device/simulated_transmitter.h"
#include "hart/master.h"
#include "transport/in_process_link.h"

namespace zolin6::transport {
namespace {

using hart::Millis;

struct Span {
  toolkit::Millis start = 0;
  toolkit::Millis end = 0;
};

class BurstLine {
 public:
  BurstLine() {
    device::BurstMessage& m = transmitter_.mutableState().bursts[0];
    m.control = 1;
    m.command = 9;
    m.updatePeriod = 1000 * 32;
    link_->Trace([this](FrameDirection direction, toolkit::Millis at, hart::ByteView bytes) {
      const toolkit::Millis start = at - hart::WireTime(hart::kFskTiming, bytes.size()).count();
      tracedWireTime += at - start;
      if (direction == FrameDirection::Burst) burstFrames.push_back({start, at});
    });
    link_->Listen([this](hart::ByteView bytes, toolkit::Millis now) { Handle(master_.step(Millis{now}, bytes)); });
    link_->WakeBursts();
  }

  // Sends `count` commands 1 one after the other, then runs on for a second.
  void Exchange(int count) {
    left_ = count;
    Next();
    for (int i = 0; i < 60'000 && left_ > 0; i += 10) clock_.advance(10);
    clock_.advance(1000);
  }

  std::vector<Span> burstFrames;
  std::vector<toolkit::Millis> requestStarts;
  std::vector<hart::Completion> completions;
  std::vector<Millis> heardBursts;
  toolkit::Millis tracedWireTime = 0;  // of every frame on the line
  toolkit::Millis lineWireTime() const { return link_->wireTime(); }

 private:
  void Next() {
    if (left_-- <= 0) return;
    master_.submit(1);
    Handle(master_.step(Millis{clock_.now()}));
  }

  void Handle(hart::Step step) {
    for (const hart::HeardBurst& b : step.bursts) heardBursts.push_back(b.at);
    if (!step.transmit.empty()) {
      requestStarts.push_back(clock_.now());
      link_->Send(step.transmit, clock_.now());
    }
    for (hart::Completion& c : step.completed) {
      const bool ours = c.id != 0;
      completions.push_back(std::move(c));
      if (ours) Next();
    }
    if (step.wakeAt && *step.wakeAt != wakeAt_) {
      wakeAt_ = *step.wakeAt;
      clock_.callAt(wakeAt_.count(), [this] { Handle(master_.step(Millis{clock_.now()})); });
    }
  }

  toolkit::Clock clock_;
  device::SimulatedTransmitter transmitter_{6};
  std::shared_ptr<device::HartDevice> device_ = std::make_shared<device::HartDevice>(transmitter_);
  std::shared_ptr<InProcessLink> link_ = std::make_shared<InProcessLink>(clock_, device_, LineKind::Fsk);
  hart::Master master_{hart::MasterSettings{.link = LineTiming(LineKind::Fsk)}};
  int left_ = 0;
  Millis wakeAt_{-1};
};

TEST(InProcessBurst, RequestsTakeTurnsWithTheBurstsAndNeverStartInsideOne) {
  BurstLine line;
  line.Exchange(20);
  int answered = 0;
  for (const hart::Completion& c : line.completions) {
    EXPECT_EQ(c.outcome, hart::Outcome::Replied) << c.command;
    EXPECT_EQ(c.attempts, 1) << c.command;
    answered += c.command == 1 ? 1 : 0;
  }
  EXPECT_EQ(answered, 20);
  ASSERT_GE(line.burstFrames.size(), 5U);
  EXPECT_EQ(line.heardBursts.size(), line.burstFrames.size());
  EXPECT_EQ(line.lineWireTime(), line.tracedWireTime) << "the line's busy time counts every frame";
  for (const toolkit::Millis start : line.requestStarts) {
    for (const Span& burst : line.burstFrames) {
      // With its last byte in, the line is the master's at once.
      EXPECT_FALSE(start >= burst.start && start < burst.end)
          << "request at " << start << " inside a burst " << burst.start << "-" << burst.end;
    }
  }
  // The period is kept within one transaction and the device's turn after it.
  for (std::size_t i = 1; i < line.burstFrames.size(); ++i) {
    const toolkit::Millis gap = line.burstFrames[i].start - line.burstFrames[i - 1].start;
    EXPECT_GE(gap, 1000);
    EXPECT_LE(gap, 1000 + 400 + device::kBurstAfterOthers) << i;
  }
}

}  // namespace
}  // namespace zolin6::transport
