#pragma once
// zolin6-device run from the build folder by a test: started on a free
// port, its ready line read, stopped with SIGTERM.

#include <QProcess>
#include <QRegularExpression>

#include <string>

#include "hart_ip_support.h"

namespace zolin6::transport::testing {

struct DeviceProgram {
  QProcess process;
  QString readyLine;
  std::uint16_t port = 0;

  // Starts it with `arguments` and waits for its ready line; whether it came.
  bool start(const QStringList& arguments) {
    EnsureEventLoop();
    process.start(QStringLiteral(ZOLIN6_DEVICE_PROGRAM), arguments);
    if (!process.waitForStarted(10000)) return false;
    if (!RunUntil([this] { return process.canReadLine() || process.state() == QProcess::NotRunning; })) return false;
    readyLine = QString::fromUtf8(process.readLine()).trimmed();
    static const QRegularExpression ready(
        QStringLiteral(R"(^zolin6-device: listening on 127\.0\.0\.1:(\d+) \(TCP and UDP\))"));
    const QRegularExpressionMatch match = ready.match(readyLine);
    if (!match.hasMatch()) return false;
    port = static_cast<std::uint16_t>(match.captured(1).toUInt());
    return true;
  }
  // SIGTERM, then its exit code, or -1 when it did not exit normally.
  int stop() {
    process.terminate();
    if (!process.waitForFinished(10000)) {
      process.kill();
      process.waitForFinished(10000);
      return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  ~DeviceProgram() {
    if (process.state() != QProcess::NotRunning) stop();
  }
};

}  // namespace zolin6::transport::testing
