// `zolin6 --audit-log` against `zolin6-device --psk-file`: the device's
// sessions read back over a secure session; anything else refused in words.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "transport/hart_ip_device_program.h"

namespace zolin6::app {
namespace {

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

Ran Zolin6(const QStringList& arguments) {
  QProcess zolin6;
  zolin6.start(QStringLiteral(ZOLIN6_PROGRAM), arguments);
  if (!zolin6.waitForFinished(30000)) return {};
  return {zolin6.exitCode(), zolin6.readAllStandardOutput().toStdString(), zolin6.readAllStandardError().toStdString()};
}

TEST(AuditCommand, ReadsTheSessionsOfASecureDeviceAndRefusesAPlainOne) {
  QTemporaryDir dir;
  const QString keys = transport::testing::KeyFile(dir, "bench:00112233445566778899aabbccddeeff\n");
  transport::testing::DeviceProgram device;
  ASSERT_TRUE(device.start({"--listen", "127.0.0.1:0", "--psk-file", keys})) << device.readyLine.toStdString();
  const QString where = QString("hart-ip://127.0.0.1:%1").arg(device.port);

  // A plain session first, then the read over a secure one, which shows both.
  EXPECT_EQ(Zolin6({"--connect", where, "--burst-show"}).status, 0);
  const Ran read = Zolin6({"--connect", where + "?v2", "--psk-file", keys, "--audit-log"});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("2 sessions"), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("version 1 plain"), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("closed by the client"), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("version 2 secure  1 requests, 0 writes  open"), std::string::npos) << read.out;

  const Ran plain = Zolin6({"--connect", where, "--audit-log"});
  EXPECT_EQ(plain.status, 2);
  EXPECT_NE(plain.err.find("--audit-log reads a secure HART-IP device"), std::string::npos) << plain.err;
  QFile::setPermissions(keys, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
  const Ran open = Zolin6({"--connect", where + "?v2", "--psk-file", keys, "--audit-log"});
  EXPECT_EQ(open.status, 2);
  EXPECT_NE(open.err.find("can be read by others"), std::string::npos) << open.err;
  EXPECT_EQ(device.stop(), 0);
}

}  // namespace
}  // namespace zolin6::app
