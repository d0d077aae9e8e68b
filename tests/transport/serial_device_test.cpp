// The serial device on its pseudo-terminal as a master on the far end sees
// it: a reply starts a turnaround after its request, however soon that
// request follows the previous reply; a bad line on purpose loses, damages
// and delays replies; a device in burst mode publishes at its period and
// still answers.

#include "transport/serial_device.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "device/hart_device.h"
#include "hart/receiver.h"
#include "hart_ip_support.h"

namespace zolin6::transport {
namespace {

using testing::RunUntil;

// The master's end of the pseudo-terminal, raw and without waiting.
class PtyMaster {
 public:
  static constexpr std::size_t kPreambles = 5;

  explicit PtyMaster(const QString& path)
      : fd_(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios settings{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
      ::cfmakeraw(&settings);
      ::tcsetattr(fd_, TCSANOW, &settings);
    }
  }
  ~PtyMaster() {
    if (fd_ >= 0) ::close(fd_);
  }
  PtyMaster(const PtyMaster&) = delete;
  PtyMaster& operator=(const PtyMaster&) = delete;
  bool open() const { return fd_ >= 0; }

  // Sends command 0 with preambles; true when it was written whole.
  bool sendCommandZero() {
    hart::Frame request;
    request.address = hart::Address::Polling(0);
    return send(request);
  }
  bool send(const hart::Frame& request) {
    hart::Bytes line;
    if (!hart::EncodeFrame(request, kPreambles, line)) return false;
    sentAt_.start();
    firstByteMs_.reset();
    reply_.clear();
    receiver_.reset();
    return ::write(fd_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  }
  // The reply's bytes, once a frame has ended (whole or broken) or the line
  // has gone quiet after it began, within `limitMs`; nothing if none came.
  std::optional<hart::Bytes> awaitReply(int limitMs = 2000) {
    constexpr qint64 kQuietMs = 200;
    bool ended = false;
    qint64 lastByteMs = 0;
    RunUntil(
        [&] {
          std::array<std::uint8_t, 64> buffer{};
          const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
          for (ssize_t i = 0; i < count; ++i) {
            lastByteMs = sentAt_.elapsed();
            if (!firstByteMs_) firstByteMs_ = lastByteMs;
            reply_.push_back(buffer[static_cast<std::size_t>(i)]);
            ended = ended || receiver_.push(buffer[static_cast<std::size_t>(i)]).kind != hart::ReceiveKind::Nothing;
          }
          return ended || (firstByteMs_ && sentAt_.elapsed() - lastByteMs > kQuietMs);
        },
        limitMs);
    if (!firstByteMs_) return std::nullopt;
    return reply_;
  }
  // Hands each frame heard within `limitMs` to `heard`, with the ms since
  // the last request was sent.
  void hear(int limitMs, const std::function<void(const hart::Frame&, qint64)>& heard) {
    QElapsedTimer since;
    since.start();
    RunUntil(
        [&] {
          std::array<std::uint8_t, 64> buffer{};
          const ssize_t count = ::read(fd_, buffer.data(), buffer.size());
          for (ssize_t i = 0; i < count; ++i) {
            const hart::ReceiveEvent event = receiver_.push(buffer[static_cast<std::size_t>(i)]);
            if (event.kind == hart::ReceiveKind::Frame) heard(event.frame, since.elapsed());
          }
          return since.elapsed() > limitMs;
        },
        limitMs + 1000);
  }
  // From the request's write to the reply's first byte.
  std::optional<qint64> firstByteMs() const { return firstByteMs_; }

 private:
  int fd_;
  hart::Receiver receiver_{true};
  QElapsedTimer sentAt_;
  std::optional<qint64> firstByteMs_;
  hart::Bytes reply_;
};

class SerialDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureEventLoop();
    ASSERT_TRUE(device.Start(link));
  }
  struct Field {
    device::SimulatedTransmitter transmitter{6};
    device::HartDevice device{transmitter};
  };
  QTemporaryDir folder;
  QString link = folder.filePath("modem");
  std::shared_ptr<Field> field = std::make_shared<Field>();
  SerialDevice device{std::shared_ptr<device::HartDevice>(field, &field->device)};
};

// A request right after the previous reply: the old pace of writing must not
// hold the new reply back by most of a piece's wire time.
TEST_F(SerialDeviceTest, AReplyStartsATurnaroundAfterItsRequestEvenRightAfterTheLastReply) {
  PtyMaster master(link);
  ASSERT_TRUE(master.open());
  qint64 quickest = -1;
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(master.sendCommandZero());
    ASSERT_TRUE(master.awaitReply()) << round;
    const qint64 ms = master.firstByteMs().value_or(-1);
    if (round > 0) quickest = quickest < 0 ? ms : std::min(quickest, ms);
  }
  // Late by a piece (about 73 ms) in every round when the pace outlived the reply.
  EXPECT_LT(quickest, device::kTurnaround + 40) << "ms from request to reply";
}

TEST_F(SerialDeviceTest, ABadLineLosesDamagesAndDelaysReplies) {
  PtyMaster master(link);
  ASSERT_TRUE(master.open());
  // The second reply is the first one's twin: the cold-start bit is gone.
  ASSERT_TRUE(master.sendCommandZero() && master.awaitReply());
  ASSERT_TRUE(master.sendCommandZero());
  const std::optional<hart::Bytes> clean = master.awaitReply();
  ASSERT_TRUE(clean);

  device.setLineFaults({0, 1, 300, 9});
  ASSERT_TRUE(master.sendCommandZero());
  const std::optional<hart::Bytes> damaged = master.awaitReply();
  ASSERT_TRUE(damaged);
  EXPECT_GE(master.firstByteMs().value_or(0), 300);
  ASSERT_EQ(damaged->size(), clean->size());
  std::size_t differ = 0;
  std::size_t at = 0;
  for (std::size_t i = 0; i < clean->size(); ++i) {
    if ((*clean)[i] != (*damaged)[i]) {
      ++differ;
      at = i;
    }
  }
  EXPECT_EQ(differ, 1U);
  EXPECT_NE((*clean)[at], 0xFF) << "a preamble was damaged, not the frame";

  device.setLineFaults({1, 0, 0, 9});
  ASSERT_TRUE(master.sendCommandZero());
  EXPECT_FALSE(master.awaitReply(600));
  EXPECT_FALSE(master.firstByteMs());
}

// Switched on by a master (command 109), the device publishes its message
// at its period, and a request sent straight after each burst frame is
// answered; started again, it bursts from its state unasked.
TEST_F(SerialDeviceTest, BurstsAtItsPeriodAndAnswersRequestsBetween) {
  constexpr qint64 kPeriodMs = 700;
  device::BurstMessage& message = field->transmitter.mutableState().bursts[0];
  message.command = 1;
  message.updatePeriod = static_cast<std::uint32_t>(kPeriodMs * 32);
  PtyMaster master(link);
  ASSERT_TRUE(master.open());
  hart::Frame on;
  on.address = field->device.uniqueAddress();
  on.command = 109;
  const std::array<std::uint8_t, 2> control{1, 0};  // on, message 0
  on.data = control;
  ASSERT_TRUE(master.send(on));
  std::vector<qint64> bursts;
  int requests = 1;
  int replies = 0;
  constexpr int kListenMs = 2600;
  master.hear(kListenMs, [&](const hart::Frame& frame, qint64 at) {
    if (frame.type != hart::FrameType::Burst) {
      EXPECT_EQ(frame.status.responseCode(), 0) << "command " << frame.command;
      ++replies;
      return;
    }
    EXPECT_TRUE(frame.address.burstMode);
    EXPECT_EQ(frame.command, 1);
    bursts.push_back(at);
    // Each with time for its reply before the end.
    if (replies == requests && at < kListenMs - 600 && master.sendCommandZero()) ++requests;
  });
  EXPECT_EQ(replies, requests);
  EXPECT_GE(requests, 3);
  ASSERT_GE(bursts.size(), 3U);
  const qint64 period = (bursts.back() - bursts.front()) / static_cast<qint64>(bursts.size() - 1);
  EXPECT_GT(period, kPeriodMs - 100);
  EXPECT_LT(period, kPeriodMs + 200);

  ASSERT_TRUE(device.Start(link));
  PtyMaster again(link);
  ASSERT_TRUE(again.open());
  bool heard = false;
  again.hear(1000, [&](const hart::Frame& frame, qint64) { heard = heard || frame.type == hart::FrameType::Burst; });
  EXPECT_TRUE(heard);
}

}  // namespace
}  // namespace zolin6::transport
