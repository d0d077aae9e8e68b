#pragma once
// What the HART-IP transport tests share: one QCoreApplication, made on
// first use, and a bounded wait on the event loop.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include "hart/bytes.h"
#include "hart/frame.h"

namespace zolin6::transport::testing {

inline void EnsureEventLoop() {
  static int argc = 1;
  static char name[] = "zolin6_transport_tests";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` or `limitMs` has passed; whether done.
// `tick` runs on every turn (to move a manual clock along, say).
inline bool RunUntil(const std::function<bool()>& done, int limitMs = 10000, const std::function<void()>& tick = {}) {
  EnsureEventLoop();
  QElapsedTimer since;
  since.start();
  while (!done()) {
    if (since.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (tick) tick();
  }
  return true;
}

inline hart::ByteView View(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// Command 0 in a short frame to `polling`, without preambles.
inline hart::Bytes CommandZero(std::uint8_t polling = 0) {
  hart::Frame frame;
  frame.address = hart::Address::Polling(polling);
  hart::Bytes out;
  (void)hart::EncodeFrame(frame, 0, out);
  return out;
}

// Writes `text` to a key file in `dir` with `permissions`; its path.
inline QString KeyFile(const QTemporaryDir& dir, const QByteArray& text,
                       QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner) {
  const QString path = dir.filePath(QStringLiteral("keys"));
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text);
  file.close();
  file.setPermissions(permissions);
  return path;
}

}  // namespace zolin6::transport::testing
