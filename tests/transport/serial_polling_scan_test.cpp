// The polling scan over the simulated FSK line, on the manual clock.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/polling_scan.h"
#include "transport/in_process_link.h"

namespace zolin6::driver {
namespace {

struct FieldDevice {
  device::SimulatedTransmitter transmitter{device::kDefaultSeed};
  device::HartDevice device{transmitter};
};

class PollingScanTest : public ::testing::Test {
 protected:
  std::shared_ptr<PollingScan> StartScan(PollingRange range = {}) {
    ScanCallbacks callbacks;
    callbacks.found = [this](const FoundDevice& device) { found.push_back(device); };
    callbacks.progress = [this](int done, int of) {
      scanned = done;
      total = of;
    };
    callbacks.finished = [this](const std::vector<FoundDevice>& devices, bool wasCancelled) {
      EXPECT_EQ(devices, found);
      ++finishes;
      cancelled = wasCancelled;
      finishedAt = clock.now();
    };
    auto scan = std::make_shared<PollingScan>(clock, link, std::move(callbacks), range);
    scan->Start();
    return scan;
  }

  toolkit::Clock clock;
  std::shared_ptr<FieldDevice> field = std::make_shared<FieldDevice>();
  std::shared_ptr<transport::InProcessLink> link = std::make_shared<transport::InProcessLink>(
      clock, std::shared_ptr<device::HartDevice>(field, &field->device), transport::LineKind::Fsk);
  std::vector<FoundDevice> found;
  int scanned = 0;
  int total = 0;
  int finishes = 0;
  bool cancelled = false;
  toolkit::Millis finishedAt = -1;
};

// The longest a scan of silent addresses may take: every address gets
// command 0 with the master's retries.
toolkit::Millis SilentScanBound(int addresses) {
  hart::Frame poll;
  poll.address = hart::Address::Polling(0);
  hart::Bytes request;
  EXPECT_TRUE(hart::EncodeFrame(poll, hart::kFskTiming.pollPreambles, request));
  return addresses * hart::NoReplyBudget(hart::kFskTiming, request.size(), hart::kDefaultRetries).count();
}

TEST_F(PollingScanTest, FindsWhatAnswersInTheRange) {
  const device::Identification& id = field->transmitter.state().identification;
  const FoundDevice device{0, "TT-601", static_cast<std::uint16_t>(id.manufacturerId),
                           static_cast<std::uint16_t>(id.deviceType), id.serialNumber};
  struct Case {
    const char* name;
    bool connected;
    PollingRange range;
    std::vector<FoundDevice> expected;
    int total;
  };
  const std::vector<Case> cases = {
      {"device at 0", true, {}, {device}, 64},          {"unplugged", false, {}, {}, 64},
      {"range past the device", true, {1, 4}, {}, 4},   {"single address", true, {0, 0}, {device}, 1},
      {"past the last address", true, {60, 64}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    found.clear();
    finishes = scanned = total = 0;
    link->SetConnected(c.connected);
    const toolkit::Millis start = clock.now();
    auto scan = StartScan(c.range);
    for (int i = 0; i < 3000 && finishes == 0; ++i) clock.advance(100);
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(found, c.expected);
    EXPECT_EQ(scanned, c.total);
    EXPECT_EQ(total, c.total);
    if (c.expected.empty()) {
      EXPECT_LE(finishedAt - start, SilentScanBound(c.total));
    }
  }
}

TEST_F(PollingScanTest, FindsADeviceThatAnswersOnlyTheSecondTry) {
  link->SetConnected(false);
  auto scan = StartScan({0, 0});
  // The device misses the first request: it is unplugged while that one arrives.
  for (int i = 0; i < 1000 && link->requests() == 0; ++i) clock.advance(10);
  clock.advance(hart::WireTime(hart::kFskTiming, hart::kPollPreamblesFsk + 5).count());
  link->SetConnected(true);
  for (int i = 0; i < 1000 && finishes == 0; ++i) clock.advance(10);
  EXPECT_EQ(link->requests(), 3);  // command 0 twice, then command 13
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found[0].tag, "TT-601");
}

TEST_F(PollingScanTest, CancelStopsPolling) {
  link->SetConnected(false);
  auto scan = StartScan();
  for (int i = 0; i < 1000 && scanned < 3; ++i) clock.advance(10);
  scan->Cancel();
  const int requests = link->requests();
  clock.advance(60000);
  EXPECT_EQ(finishes, 1);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(scanned, 3);
  EXPECT_EQ(link->requests(), requests);
}

}  // namespace
}  // namespace zolin6::driver
