// File > Connect: the dialog gives back the connection it was shown, and its
// scan lists the device on a serial line as the device answers.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

#include "desktop/connect_dialog.h"
#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "transport/serial_device.h"
#include "transport/simulated_device.h"

namespace zolin6::desktop {
namespace {

TEST(ConnectDialogTest, GivesBackEachKindOfConnection) {
  toolkit::Clock clock;
  transport::EventLoopClock ticker(clock);
  for (const char* url : {"sim", "hart-ip://10.0.0.5:5095?udp", "hart-ip://gateway", "serial:/dev/ttyUSB3?address=7"}) {
    const Result<transport::ConnectionTarget> target = transport::ParseConnection(url);
    ASSERT_TRUE(target) << url;
    ConnectDialog dialog(nullptr, ticker, *target);
    EXPECT_EQ(dialog.target().url(), target->url()) << url;
    // Only the chosen kind's fields can be typed in.
    using Kind = transport::ConnectionTarget::Kind;
    EXPECT_EQ(dialog.findChild<QWidget*>("Host")->isEnabled(), target->kind == Kind::HartIp) << url;
    EXPECT_EQ(dialog.findChild<QWidget*>("SerialPort")->isEnabled(), target->kind == Kind::Serial) << url;
  }
}

TEST(ConnectDialogTest, TheScanListsTheDeviceOnTheLine) {
  QTemporaryDir folder;
  const QString path = folder.filePath("modem");
  device::SimulatedTransmitter transmitter(transport::SimOptions{}.seed, device::SimulatedTransmitter::kRestartTime);
  auto device = std::make_shared<device::HartDevice>(transmitter);
  transport::SerialDevice serial(device);
  ASSERT_TRUE(serial.Start(path));

  toolkit::Clock clock;
  transport::EventLoopClock ticker(clock);
  ConnectDialog dialog(nullptr, ticker, *transport::ParseConnection("serial:" + path.toStdString()));
  dialog.startScan();
  QElapsedTimer waited;
  waited.start();
  while (dialog.foundTable()->rowCount() == 0 && waited.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ticker.catchUp();
  }
  dialog.cancelScan();
  dialog.grab().save("connect-dialog.png");  // for a person to look at
  ASSERT_EQ(dialog.foundTable()->rowCount(), 1);
  EXPECT_EQ(dialog.foundTable()->item(0, 0)->text(), "0");
  EXPECT_EQ(dialog.foundTable()->item(0, 1)->text(), "TT-601");
  EXPECT_FALSE(dialog.scanning());
  EXPECT_EQ(dialog.findChild<QLabel*>("ScanStatus")->text(), "Scan stopped: 1 device found so far.");
}

}  // namespace
}  // namespace zolin6::desktop
