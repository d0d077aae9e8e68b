// The modem's carrier as its RTS line keys it, watched through a recording
// carrier port on a pseudo-terminal (which has no RTS of its own): raised
// for each request and dropped once, no sooner than the request's wire
// time; an older drain leaves it to a newer request; a port without RTS
// still carries the bytes and is asked again on the next open.

#include "transport/serial_modem.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSemaphore>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "hart/link_timing.h"
#include "hart_ip_support.h"
#include "transport/modem_carrier.h"

namespace zolin6::transport {
namespace {

using testing::RunUntil;

// Two characters the carrier stays on past the last byte, for a drain
// that returns early.
constexpr std::size_t kGuardCharacters = 2;

struct CarrierLog {
  struct Switch {
    bool on = false;
    qint64 ms = 0;  // since the test began
  };
  std::vector<Switch> switches;
  bool hasRts = true;
  std::atomic<bool> gated{false};  // drains wait for `gate`
  QSemaphore gate;
  std::atomic<int> drains{0};  // drains begun
  QElapsedTimer since;
};

// Records what the modem does to RTS; a port with RTS or without, whose
// drain returns at once or waits for the test.
class RecordingCarrier : public CarrierPort {
 public:
  explicit RecordingCarrier(std::shared_ptr<CarrierLog> log) : log_(std::move(log)) {}
  bool SetRts(bool on) override {
    log_->switches.push_back({on, log_->since.elapsed()});
    return log_->hasRts;
  }
  std::function<void()> DrainWait() override {
    return [log = log_] {
      ++log->drains;
      if (log->gated) log->gate.tryAcquire(1, 5000);
    };
  }

 private:
  std::shared_ptr<CarrierLog> log_;
};

// A pseudo-terminal whose far end the test holds and reads.
struct Terminal {
  Terminal() : far(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (far >= 0 && ::grantpt(far) == 0 && ::unlockpt(far) == 0) near = QString::fromLocal8Bit(::ptsname(far));
  }
  ~Terminal() {
    if (far >= 0) ::close(far);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  std::size_t readAll() const {
    std::array<char, 256> buffer{};
    std::size_t total = 0;
    for (ssize_t n = 0; (n = ::read(far, buffer.data(), buffer.size())) > 0;) total += static_cast<std::size_t>(n);
    return total;
  }
  int far;
  QString near;
};

class SerialModemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureEventLoop();
    log->since.start();
    ASSERT_FALSE(terminal.near.isEmpty());
  }
  void Send(std::size_t bytes) {
    const hart::Bytes request(bytes, hart::kPreamble);
    modem.Send(request, 0);
  }
  bool CarrierOn() const { return !log->switches.empty() && log->switches.back().on; }
  static qint64 WireMs(std::size_t bytes) { return hart::WireTime(hart::kFskTiming, bytes).count(); }
  // Runs the loop on for a while, to see what else happens.
  static void Linger(int ms) {
    RunUntil([] { return false; }, ms);
  }

  Terminal terminal;
  toolkit::Clock clock;
  std::shared_ptr<CarrierLog> log = std::make_shared<CarrierLog>();
  SerialModem modem{clock, std::make_unique<RecordingCarrier>(log)};
};

// One request, and two written back to back: the second queues behind the
// first, so the carrier spans both.
TEST_F(SerialModemTest, CarrierIsRaisedPerRequestAndDroppedOnceAfterTheLastBitsWireTime) {
  struct Case {
    std::vector<std::size_t> requests;
  };
  for (const Case& c : {Case{{20}}, Case{{20, 12}}}) {
    log->switches.clear();
    ASSERT_TRUE(modem.Open(terminal.near));
    ASSERT_TRUE(modem.keysCarrier());
    std::size_t total = 0;
    for (std::size_t bytes : c.requests) {
      Send(bytes);
      total += bytes;
    }
    ASSERT_TRUE(RunUntil([&] { return !CarrierOn(); }, 3000));
    Linger(300);  // a carrier timer that repeats drops (or raises) again
    std::vector<bool> seen;
    for (const CarrierLog::Switch& s : log->switches) seen.push_back(s.on);
    std::vector<bool> expected{false};  // Open starts with the carrier off
    expected.insert(expected.end(), c.requests.size(), true);
    expected.push_back(false);
    EXPECT_EQ(seen, expected) << c.requests.size() << " requests";
    const qint64 onFor = log->switches.back().ms - log->switches[1].ms;
    EXPECT_GE(onFor, WireMs(total + kGuardCharacters) - 1) << c.requests.size() << " requests";
    EXPECT_EQ(terminal.readAll(), total);
    modem.Close();
  }
}

TEST_F(SerialModemTest, AnOlderDrainLeavesTheCarrierToANewerRequest) {
  log->gated = true;
  ASSERT_TRUE(modem.Open(terminal.near));
  Send(10);
  ASSERT_TRUE(RunUntil([&] { return log->drains == 1; }, 3000));
  Send(10);
  const qint64 newerAt = log->switches.back().ms;
  log->gate.release();
  Linger(50);
  EXPECT_TRUE(CarrierOn()) << "dropped under the newer request";
  ASSERT_TRUE(RunUntil([&] { return log->drains == 2; }, 3000));
  EXPECT_TRUE(CarrierOn());
  log->gate.release();
  ASSERT_TRUE(RunUntil([&] { return !CarrierOn(); }, 3000));
  EXPECT_GE(log->switches.back().ms - newerAt, WireMs(10 + kGuardCharacters) - 1);
}

TEST_F(SerialModemTest, APortWithoutRtsCarriesTheBytesAndIsAskedAgainOnTheNextOpen) {
  log->hasRts = false;
  ASSERT_TRUE(modem.Open(terminal.near));
  EXPECT_FALSE(modem.keysCarrier());
  Send(6);
  std::size_t carried = 0;
  ASSERT_TRUE(RunUntil([&] { return (carried += terminal.readAll()) == 6; }, 3000));
  Linger(WireMs(6 + kGuardCharacters) + 100);
  EXPECT_EQ(log->switches.size(), 1U) << "RTS tried again on a port without it";
  EXPECT_EQ(log->drains, 0);

  log->hasRts = true;
  modem.Close();
  ASSERT_TRUE(modem.Open(terminal.near));
  EXPECT_TRUE(modem.keysCarrier());
  Send(6);
  ASSERT_TRUE(RunUntil([&] { return log->drains == 1 && !CarrierOn(); }, 3000));
  EXPECT_EQ(log->switches.size(), 4U);  // off, off on the new open, on, off
}

// The port's own RTS on a pseudo-terminal: refused, and the port left
// without an error; the drain waits only while the port is open.
TEST(SerialCarrierPort, APortWithoutRtsKeepsNoErrorAndDrainsOnlyWhileOpen) {
  testing::EnsureEventLoop();
  Terminal terminal;
  QSerialPort port(terminal.near);
  ASSERT_TRUE(port.open(QIODevice::ReadWrite));
  SerialCarrierPort carrier(port);
  EXPECT_FALSE(carrier.SetRts(true));
  EXPECT_EQ(port.error(), QSerialPort::NoError);
  const std::function<void()> drain = carrier.DrainWait();
  ASSERT_TRUE(drain);
  drain();
  port.close();
  EXPECT_FALSE(carrier.DrainWait());
}

}  // namespace
}  // namespace zolin6::transport
