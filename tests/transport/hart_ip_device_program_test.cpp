// zolin6-device as a program: ready line, answers, a clean stop with the
// state saved, and exit status 2 with a message for what it cannot do.

#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include "hart/hart_ip_audit.h"
#include "hart_ip_device_program.h"
#include "transport/hart_ip_client.h"

namespace zolin6::transport {
namespace {

TEST(HartIpDeviceProgram, AnswersAndSavesItsStateOnSigterm) {
  QTemporaryDir folder;
  const QString state = folder.filePath("device.json");
  testing::DeviceProgram program;
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--state", state})) << program.readyLine.toStdString();

  toolkit::Clock clock;
  HartIpClient client(clock, {"127.0.0.1", program.port, IpProtocol::Udp});
  hart::Bytes reply;
  client.Listen([&](hart::ByteView bytes, toolkit::Millis) { reply.assign(bytes.begin(), bytes.end()); });
  client.Send(testing::CommandZero(), 0);
  ASSERT_TRUE(testing::RunUntil([&] { return !reply.empty(); }));
  client.Close();
  ASSERT_TRUE(testing::RunUntil([&] { return client.state() == HartIpClient::State::Closed; }));
  // Still open when the device stops.
  HartIpClient open(clock, {"127.0.0.1", program.port, IpProtocol::Tcp});
  open.Open();
  ASSERT_TRUE(testing::RunUntil([&] { return open.state() == HartIpClient::State::Connected; }));

  EXPECT_EQ(program.stop(), 0);
  // The audit log's records as the state file holds them.
  const auto records = [&state] {
    QFile file(state);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false)
        .value("hartIpAudit", nlohmann::json())
        .value("records", nlohmann::json());
  };
  const nlohmann::json saved = records();
  ASSERT_EQ(saved.size(), 2U) << saved.dump();
  EXPECT_EQ(saved[0].at("endedBy"), static_cast<int>(hart::ip::SessionEnd::ClosedByClient));
  EXPECT_EQ(saved[1].at("endedBy"), static_cast<int>(hart::ip::SessionEnd::ServerStopped));
  // The saved state and audit log are taken back at the next start.
  testing::DeviceProgram again;
  ASSERT_TRUE(again.start({"--listen", "0", "--state", state}));
  EXPECT_EQ(again.stop(), 0);
  EXPECT_EQ(records(), saved);
}

TEST(HartIpDeviceProgram, RefusesWhatItCannotServe) {
  testing::EnsureEventLoop();
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
  QTemporaryDir dir;
  const QString keys =
      testing::KeyFile(dir, "id:0011\n", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
  const QString plant = dir.filePath("plant");
  QFile plantFile(plant);
  ASSERT_TRUE(plantFile.open(QIODevice::WriteOnly));
  plantFile.write("24593, 58113, TT-1\n0x26, 0x1G89, PT-2\n");
  plantFile.close();
  const std::vector<std::pair<QStringList, std::string>> cases = {
      {{"--listen", "0", "--psk-file", keys}, "can be read by others"},
      {{"--listen", "0", "--require-secure"}, "--require-secure needs the keys"},
      {{"--pty", dir.filePath("pty"), "--psk-file", keys}, "--psk-file secures HART-IP"},
      {{"--listen", "70000"}, "port is not a number"},
      {{"--listen", "somewhere:5094"}, "not an IP address"},
      {{}, "nothing to serve"},
      {{"--listen", QString::number(taken.serverPort())}, "cannot listen"},
      {{"--listen", "0", "--state", "/no/such/folder/device.json"}, "no folder"},
      {{"--listen", "0", "--faults", "drop=2"}, "--faults drop=2: a share is a number from 0 to 1"},
      {{"--listen", "0", "--faults", "loss=0.1"}, "unknown fault loss"},
      {{"--listen", "0", "--gateway", "1001"}, "--gateway 1001: give a number of devices from 1 to 1000"},
      {{"--listen", "0", "--gateway", "2", "--gateway-routing", "via"}, "--gateway-routing via: give 77"},
      {{"--listen", "0", "--gateway", "2", "--state", dir.filePath("s.json")}, "--state keeps"},
      {{"--listen", "0", "--gateway-file", plant}, "plant line 2: the device type '0x1G89'"},
      {{"--listen", "0", "--gateway", "3", "--first-device-id", "0xFFFFFE"}, "--first-device-id 0xFFFFFE: give"},
      {{"--listen", "0", "--first-device-id", "7"}, "--first-device-id needs --gateway"},
      {{"--listen", "0", "--gateway", "3", "--first-device-id", "0"}, "--first-device-id 0: give"},
  };
  for (const auto& [arguments, words] : cases) {
    QProcess program;
    program.start(QStringLiteral(ZOLIN6_DEVICE_PROGRAM), arguments);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 2) << arguments.join(' ').toStdString();
    const std::string message = program.readAllStandardError().toStdString();
    EXPECT_EQ(message.rfind("zolin6-device: ", 0), 0U) << message;
    EXPECT_NE(message.find(words), std::string::npos) << message;
  }
}

// Behind a line that loses every reply the device takes the session and
// its keep-alives but no HART request gets an answer.
TEST(HartIpDeviceProgram, ADeviceBehindALineThatDropsEverythingAnswersNothing) {
  testing::DeviceProgram program;
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--faults", "drop=1"})) << program.readyLine.toStdString();
  EXPECT_TRUE(program.readyLine.endsWith("behind a bad line")) << program.readyLine.toStdString();
  toolkit::Clock clock;
  HartIpClient client(clock, {"127.0.0.1", program.port, IpProtocol::Tcp});
  int replies = 0;
  client.Listen([&](hart::ByteView, toolkit::Millis) { ++replies; });
  client.Send(testing::CommandZero(), 0);
  ASSERT_TRUE(testing::RunUntil([&] { return client.state() == HartIpClient::State::Connected; }));
  EXPECT_FALSE(testing::RunUntil([&] { return replies > 0; }, 1000));
  EXPECT_EQ(client.state(), HartIpClient::State::Connected);
  client.Close();
  EXPECT_EQ(program.stop(), 0);
}

TEST(HartIpDeviceProgram, HelpNamesTheFaultsOption) {
  testing::EnsureEventLoop();
  QProcess program;
  program.start(QStringLiteral(ZOLIN6_DEVICE_PROGRAM), {"--help"});
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
  const QByteArray help = program.readAllStandardOutput();
  EXPECT_TRUE(help.contains("--faults <faults>")) << help.toStdString();
  EXPECT_TRUE(help.contains("drop=P,corrupt=P[,delay=MS][,seed=N]")) << help.toStdString();
}

}  // namespace
}  // namespace zolin6::transport
