// File > Connect: the dialog gives back the connection it was shown, its
// secure fields give the key (from a file, typed, or remembered in the
// user's key store, which stays the user's alone), and its scan lists the
// device on a serial line as the device answers.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

#include "desktop/connect_dialog.h"
#include "desktop/key_store.h"
#include "desktop/sub_device_list.h"
#include "device/hart_device.h"
#include "device/io_system.h"
#include "device/simulated_transmitter.h"
#include "platform/atomic_file.h"
#include "transport/hart_ip_server.h"
#include "transport/psk_keys.h"
#include "transport/serial_device.h"
#include "transport/simulated_device.h"

namespace zolin6::desktop {
namespace {

TEST(ConnectDialogTest, GivesBackEachKindOfConnection) {
  toolkit::Clock clock;
  transport::EventLoopClock ticker(clock);
  for (const char* url : {"sim", "hart-ip://10.0.0.5:5095?udp", "hart-ip://gateway", "hart-ip://gateway/TT%20101",
                          "hart-ip://gateway/7", "serial:/dev/ttyUSB3?address=7"}) {
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

// The user's configuration folder is a temporary one: no test touches the home.
class SecureConnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    before_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
  }
  void TearDown() override {
    if (before_.isNull()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", before_);
    }
  }
  // The dialog on `url` with the secure fields typed in.
  std::unique_ptr<ConnectDialog> Dialog(const char* url, const QString& file, const QString& identity,
                                        const QString& key, bool remember = false) {
    auto dialog = std::make_unique<ConnectDialog>(nullptr, ticker_, *transport::ParseConnection(url));
    dialog->findChild<QLineEdit*>("KeyFile")->setText(file);
    dialog->findChild<QLineEdit*>("Identity")->setText(identity);
    dialog->findChild<QLineEdit*>("Key")->setText(key);
    dialog->findChild<QCheckBox*>("RememberKey")->setChecked(remember);
    return dialog;
  }

  QTemporaryDir config_;
  QByteArray before_;
  toolkit::Clock clock_;
  transport::EventLoopClock ticker_{clock_};
};

TEST_F(SecureConnectTest, GivesTheKeyFromAFileOrAsTyped) {
  transport::ConnectionTarget preset = *transport::ParseConnection("hart-ip://10.0.0.5?v2");
  preset.keyFile = "/srv/keys/station.keys";
  const ConnectDialog shown(nullptr, ticker_, preset);
  EXPECT_EQ(shown.target().url(), preset.url());
  EXPECT_EQ(shown.target().keyFile, preset.keyFile);
  EXPECT_TRUE(shown.target().typedKey.empty());

  const std::unique_ptr<ConnectDialog> typed = Dialog("hart-ip://10.0.0.5?v2", "", " station-1 ", "00aBff");
  typed->accept();
  EXPECT_EQ(typed->result(), QDialog::Accepted);
  EXPECT_TRUE(typed->target().secure);
  EXPECT_EQ(typed->target().typedKey, "station-1:00aBff");
  EXPECT_TRUE(typed->target().keyFile.empty());
  EXPECT_FALSE(QFile::exists(KeyStorePath()));  // kept nowhere

  // Back in the dialog (the connection that is up), the typed key is still there.
  const ConnectDialog again(nullptr, ticker_, typed->target());
  EXPECT_EQ(again.target().typedKey, "station-1:00aBff");
}

TEST_F(SecureConnectTest, ARememberedKeyGoesFirstInTheUsersOwnStore) {
  ASSERT_TRUE(KeyStorePath().startsWith(config_.path()));
  struct Step {
    const char* identity;
    const char* key;
    const char* store;  // afterwards
  };
  const Step steps[] = {
      {"station-1", "0011", "station-1:0011\n"},
      {"station-2", "2233", "station-2:2233\nstation-1:0011\n"},
      {"station-1", "4455", "station-1:4455\nstation-2:2233\n"},  // the older line replaced
  };
  for (const Step& step : steps) {
    const std::unique_ptr<ConnectDialog> dialog = Dialog("hart-ip://gw?v2", "", step.identity, step.key, true);
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << step.identity;
    EXPECT_EQ(dialog->target().keyFile, KeyStorePath().toStdString());
    EXPECT_TRUE(dialog->target().typedKey.empty());
    EXPECT_EQ(platform::ReadWholeFile(KeyStorePath().toStdString()).value(), step.store);
    EXPECT_EQ(QFile::permissions(KeyStorePath()) &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOwner),
              QFile::Permissions());
    const Result<transport::PskKeys> keys = transport::ReadPskKeyFile(KeyStorePath());
    ASSERT_TRUE(keys) << keys.error().message;
    EXPECT_EQ(keys->own().identity, step.identity);
  }
  // Nothing else is left in the folder: no temporary file.
  EXPECT_EQ(QDir(QFileInfo(KeyStorePath()).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(SecureConnectTest, AKeyThatCannotServeKeepsTheDialogOpen) {
  struct Case {
    const char* file;
    const char* identity;
    const char* key;
    const char* words;
  };
  const Case cases[] = {
      {"", "station-1", "abc", "The typed key cannot be used: the key is not an even number of hexadecimal digits."},
      {"", "station-1", "00gg", "the key is not an even number of hexadecimal digits"},
      {"", "", "0011", "The typed key cannot be used: the identity must have 1 to 128 characters."},
      {"", "", "", "Secure HART-IP needs a key"},
      {"/srv/keys/station.keys", "station-1", "0011", "not both"},
  };
  for (const Case& bad : cases) {
    const std::unique_ptr<ConnectDialog> dialog = Dialog("hart-ip://gw?v2", bad.file, bad.identity, bad.key, true);
    dialog->accept();
    EXPECT_NE(dialog->result(), QDialog::Accepted) << bad.words;
    auto* problem = dialog->findChild<QLabel*>("KeyProblem");
    EXPECT_TRUE(problem->isVisibleTo(dialog.get())) << bad.words;
    EXPECT_TRUE(problem->text().contains(bad.words)) << problem->text().toStdString();
    EXPECT_FALSE(QFile::exists(KeyStorePath())) << bad.words;
    // Put right, the key serves and the words go.
    dialog->findChild<QLineEdit*>("KeyFile")->clear();
    dialog->findChild<QLineEdit*>("Identity")->setText("station-1");
    dialog->findChild<QLineEdit*>("Key")->setText("0011");
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << bad.words;
    EXPECT_FALSE(problem->isVisibleTo(dialog.get())) << bad.words;
    QFile::remove(KeyStorePath());
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

// An I/O system on loopback: the list fills from 74 and 84 while the
// dialog runs, and a row picked is the device the dialog connects to.
TEST(ConnectDialogTest, ListsTheDevicesBehindAnIoSystem) {
  device::IoSystem io({{.tag = "TT-001"}, {.tag = "TT-002"}});
  transport::HartIpServer server(io);
  const Result<std::uint16_t> port = server.listen(QHostAddress::LocalHost, 0);
  ASSERT_TRUE(port);
  toolkit::Clock clock;
  transport::EventLoopClock ticker(clock);
  ConnectDialog dialog(nullptr, ticker,
                       *transport::ParseConnection("hart-ip://127.0.0.1:" + std::to_string(*port) + "/TT-9"));
  SubDeviceList& list = *dialog.subDevices();
  auto* button = dialog.findChild<QPushButton*>("ListSubDevices");
  list.startListing();
  EXPECT_FALSE(button->isEnabled());  // one listing at a time
  QElapsedTimer waited;
  waited.start();
  while (list.listing() && waited.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ticker.catchUp();
  }
  ASSERT_EQ(list.table()->rowCount(), 2);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(list.table()->item(1, 0)->text(), "2");
  EXPECT_EQ(list.table()->item(1, 1)->text(), "TT-002");
  EXPECT_EQ(dialog.findChild<QLabel*>("SubDeviceStatus")->text(), "2 devices behind it.");
  list.table()->selectRow(1);
  EXPECT_EQ(dialog.target().url(), "hart-ip://127.0.0.1:" + std::to_string(*port) + "/2");
}

}  // namespace
}  // namespace zolin6::desktop
