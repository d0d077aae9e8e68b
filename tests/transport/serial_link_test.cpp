// The HART driver over a serial modem opened on a pseudo-terminal that a
// serial device in the same process serves: both on the Qt event loop,
// the host clock kept on wall time while the loop runs.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/hart_driver.h"
#include "fakes/answer_log.h"
#include "hart_ip_support.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"
#include "transport/serial_device.h"
#include "transport/serial_modem.h"
#include "transport/simulated_device.h"

namespace zolin6::transport {
namespace {

struct FieldDevice {
  device::SimulatedTransmitter transmitter{transport::SimOptions{}.seed, device::SimulatedTransmitter::kRestartTime};
  device::HartDevice device{transmitter};
};

using fakes::AnswerLog;

// Counts how many deliveries the modem's bytes come in.
class CountingLink : public driver::ByteLink {
 public:
  explicit CountingLink(std::shared_ptr<SerialModem> modem) : modem_(std::move(modem)) {}
  void Send(hart::ByteView bytes, toolkit::Millis now) override { modem_->Send(bytes, now); }
  void Listen(Listener listener) override {
    modem_->Listen([this, listener = std::move(listener)](hart::ByteView bytes, toolkit::Millis now) {
      ++deliveries;
      if (listener) listener(bytes, now);
    });
  }
  int deliveries = 0;

 private:
  std::shared_ptr<SerialModem> modem_;
};

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureEventLoop();
    ASSERT_TRUE(dir.isValid());
    wall.start();
  }

  // The event loop with the clock on wall time until `done`, within a bound.
  bool RunUntil(const std::function<bool()>& done, int limitMs = 15000) {
    return testing::RunUntil(done, limitMs, [this] { clock.advance(wall.elapsed() - clock.now()); });
  }

  QTemporaryDir dir;
  QString linkPath = dir.filePath("ttyHART");
  toolkit::Clock clock;
  QElapsedTimer wall;
  std::shared_ptr<FieldDevice> field = std::make_shared<FieldDevice>();
  SerialDevice device{std::shared_ptr<device::HartDevice>(field, &field->device)};
  std::shared_ptr<SerialModem> modem = std::make_shared<SerialModem>(clock);
  std::shared_ptr<CountingLink> counting = std::make_shared<CountingLink>(modem);
  AnswerLog log;
};

// Command 0's reply comes in pieces; after the port is closed and opened
// again a read still gets its answer (reads and writes over a serial line
// end to end: WireTest.*/SerialPty).
TEST_F(SerialLinkTest, DriverGoesOnLineAndReadsAgainAfterAReopen) {
  ASSERT_TRUE(device.Start(linkPath));
  ASSERT_TRUE(modem->Open(linkPath));
  auto driver = std::make_shared<driver::HartDriver>(clock, counting);
  driver->Start();
  bool registered = false;
  driver->RegisterControl("control", "invoke-1", &log, 0, registered);
  ASSERT_TRUE(RunUntil([&] { return !log.answers.empty(); }));
  EXPECT_EQ(log.answers[0], std::make_pair(0, std::string(std::string(framelink::kOnlineState))));
  EXPECT_GT(counting->deliveries, 1);
  modem->Close();
  ASSERT_TRUE(modem->Open(linkPath));
  std::string result;
  driver->ReadRequest("18", "<ViewData><ControlData/></ViewData>", result);
  ASSERT_TRUE(RunUntil([&] { return log.answers.size() == 2; }));
  EXPECT_EQ(log.answers[1].first, 1800);
}

TEST_F(SerialLinkTest, StoppedDeviceIsReportedAsAFailedPort) {
  ASSERT_TRUE(device.Start(linkPath));
  ASSERT_TRUE(modem->Open(linkPath));
  QString failure;
  QObject::connect(modem.get(), &SerialModem::failed, [&](const QString& message) { failure = message; });
  std::vector<bool> ups;
  modem->WatchState([&](bool up, toolkit::Millis) { ups.push_back(up); });
  device.Stop();
  ASSERT_TRUE(RunUntil([&] { return !failure.isEmpty(); }, 3000));
  EXPECT_TRUE(failure.contains(linkPath)) << failure.toStdString();
  EXPECT_FALSE(modem->isOpen());
  EXPECT_EQ(ups, std::vector<bool>{false});  // the driver hears it at once
}

// Bytes that waited in the port before it was opened are nobody's reply.
TEST_F(SerialLinkTest, WhatWaitedBeforeTheOpenIsNotHandedOn) {
  const int far = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(far, 0);
  ASSERT_EQ(::grantpt(far) | ::unlockpt(far), 0);
  const QString near = QString::fromLocal8Bit(::ptsname(far));
  // Held open, so the stale bytes wait in the terminal for whoever opens it next.
  const int held = ::open(near.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  termios raw{};
  ::tcgetattr(held, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(held, TCSANOW, &raw);
  ASSERT_EQ(::write(far, "\xFF\xFF\x06stale", 8), 8);
  RunUntil([] { return false; }, 50);
  int heard = 0;
  modem->Listen([&](hart::ByteView bytes, toolkit::Millis) { heard += static_cast<int>(bytes.size()); });
  ASSERT_TRUE(modem->Open(near));
  ASSERT_EQ(::write(far, "\xFF", 1), 1);
  ASSERT_TRUE(RunUntil([&] { return heard > 0; }, 3000));
  RunUntil([] { return false; }, 50);
  EXPECT_EQ(heard, 1);
  modem->Close();
  ::close(held);
  ::close(far);
}

TEST_F(SerialLinkTest, OpeningAMissingPortNamesIt) {
  const QString missing = dir.filePath("ttyMISSING");
  const Result<bool> opened = modem->Open(missing);
  ASSERT_FALSE(opened);
  EXPECT_NE(opened.error().message.find(missing.toStdString()), std::string::npos) << opened.error().message;
}

TEST_F(SerialLinkTest, DeviceReplacesALinkButNotAFile) {
  QFile::link(dir.filePath("gone"), linkPath);
  ASSERT_TRUE(device.Start(linkPath));
  EXPECT_EQ(QFileInfo(linkPath).symLinkTarget(), device.terminalPath());
  device.Stop();
  EXPECT_FALSE(QFileInfo(linkPath).isSymLink());

  QFile file(linkPath);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const Result<bool> started = device.Start(linkPath);
  ASSERT_FALSE(started);
  EXPECT_NE(started.error().message.find(linkPath.toStdString()), std::string::npos);
  EXPECT_TRUE(QFileInfo(linkPath).isFile());
}

}  // namespace
}  // namespace zolin6::transport
