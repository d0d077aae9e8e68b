// The polling scan over the simulated FSK line, on the manual clock.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "device/hart_device.h"
#include "device/in_process_link.h"
#include "driver/polling_scan.h"
#include "driver/sim_driver.h"
#include "driver/transmitter.h"

namespace zolin6::driver {
namespace {

struct FieldDevice {
  SimulatedTransmitter transmitter{SimOptions{}.seed, device::HartDevice::kRestartTime};
  device::HartDevice device{transmitter};
};

struct ScanLog {
  std::vector<FoundDevice> found;
  int scanned = 0;
  int total = 0;
  int finishedCalls = 0;
  bool cancelled = false;
  toolkit::Millis finishedAt = -1;
};

class PollingScanTest : public ::testing::Test {
 protected:
  std::shared_ptr<PollingScan> MakeScan(PollingRange range = {}) {
    ScanCallbacks callbacks;
    callbacks.found = [this](const FoundDevice& device) { log.found.push_back(device); };
    callbacks.progress = [this](int scanned, int total) {
      log.scanned = scanned;
      log.total = total;
    };
    callbacks.finished = [this](const std::vector<FoundDevice>& devices, bool cancelled) {
      EXPECT_EQ(devices, log.found);
      ++log.finishedCalls;
      log.cancelled = cancelled;
      log.finishedAt = clock.now();
    };
    return std::make_shared<PollingScan>(clock, link, std::move(callbacks), range);
  }

  void AdvanceUntilFinished() {
    for (int i = 0; i < 1000 && log.finishedCalls == 0; ++i) clock.advance(100);
  }

  toolkit::Clock clock;
  std::shared_ptr<FieldDevice> field = std::make_shared<FieldDevice>();
  std::shared_ptr<device::InProcessLink> link =
      std::make_shared<device::InProcessLink>(clock, std::shared_ptr<device::HartDevice>(field, &field->device));
  ScanLog log;
};

// The longest a scan may take: every address silent.
toolkit::Millis SilentScanBound(int addresses) {
  hart::Frame poll;
  poll.address = hart::Address::Polling(0);
  hart::Bytes request;
  EXPECT_TRUE(hart::EncodeFrame(poll, hart::kFskTiming.pollPreambles, request));
  const hart::Millis perAddress =
      hart::WireTime(hart::kFskTiming, request.size()) + hart::kFskTiming.replyTimeout + hart::kFskTiming.quietTime;
  return addresses * perAddress.count();
}

TEST_F(PollingScanTest, FindsWhatAnswersInTheRange) {
  const Identification& id = field->transmitter.state().identification;
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
      {"device at 0", true, {}, {device}, 64},
      {"unplugged", false, {}, {}, 64},
      {"range past the device", true, {1, 4}, {}, 4},
      {"single address", true, {0, 0}, {device}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log = {};
    link->SetConnected(c.connected);
    const toolkit::Millis start = clock.now();
    auto scan = MakeScan(c.range);
    scan->Start();
    AdvanceUntilFinished();
    EXPECT_EQ(log.finishedCalls, 1);
    EXPECT_FALSE(log.cancelled);
    EXPECT_EQ(log.found, c.expected);
    EXPECT_EQ(log.scanned, c.total);
    EXPECT_EQ(log.total, c.total);
    if (c.expected.empty()) {
      EXPECT_LE(log.finishedAt - start, SilentScanBound(c.total));
    }
    EXPECT_FALSE(scan->running());
  }
}

TEST_F(PollingScanTest, CancelStopsPolling) {
  link->SetConnected(false);
  auto scan = MakeScan();
  scan->Start();
  for (int i = 0; i < 1000 && log.scanned < 3; ++i) clock.advance(10);
  scan->Cancel();
  const int requests = link->requests();
  clock.advance(60000);
  EXPECT_EQ(log.finishedCalls, 1);
  EXPECT_TRUE(log.cancelled);
  EXPECT_EQ(log.scanned, 3);
  EXPECT_EQ(link->requests(), requests);
}

TEST_F(PollingScanTest, RangeBeyondTheLastAddressFindsNothing) {
  auto scan = MakeScan({60, 64});
  scan->Start();
  EXPECT_EQ(log.finishedCalls, 1);
  EXPECT_EQ(link->requests(), 0);
}

}  // namespace
}  // namespace zolin6::driver
