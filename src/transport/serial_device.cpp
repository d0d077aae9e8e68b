#include "transport/serial_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hart/link_timing.h"

namespace zolin6::transport {

namespace {

// Bytes written at a time, one piece per its wire time.
constexpr std::size_t kPieceBytes = 8;
// Enough for the receiver to sync before the frame.
constexpr std::size_t kRequestPreambles = 2;

// `error`: errno, taken before anything else could change it.
Error SystemError(const QString& what, int error) {
  return Error{QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error))).toStdString()};
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// No echo, no line editing, no translation: bytes pass as they are.
bool MakeRaw(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return false;
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B1200);
  return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

SerialDevice::SerialDevice(std::shared_ptr<device::ServedDevice> device, QObject* parent)
    : QObject(parent), device_(std::move(device)) {
  pace_.setTimerType(Qt::PreciseTimer);
  pace_.setInterval(static_cast<int>(hart::WireTime(hart::kFskTiming, kPieceBytes).count()));
  connect(&pace_, &QTimer::timeout, this, &SerialDevice::WritePiece);
  turnaround_.setSingleShot(true);
  turnaround_.setTimerType(Qt::PreciseTimer);
  connect(&turnaround_, &QTimer::timeout, this, &SerialDevice::StartReply);
  burstCheck_.setSingleShot(true);
  burstCheck_.setTimerType(Qt::PreciseTimer);
  connect(&burstCheck_, &QTimer::timeout, this, &SerialDevice::TryBurst);
}

SerialDevice::~SerialDevice() { Stop(); }

Result<bool> SerialDevice::Start(const QString& linkPath) {
  Stop();
  if (Result<bool> opened = OpenTerminal(); !opened) {
    Stop();
    return opened.error();
  }
  if (Result<bool> linked = PlaceLink(linkPath); !linked) {
    Stop();
    return linked.error();
  }
  readable_ = std::make_unique<QSocketNotifier>(ourEnd_, QSocketNotifier::Read);
  connect(readable_.get(), &QSocketNotifier::activated, this, &SerialDevice::OnReadable);
  receiver_.reset();
  uptime_.start();
  lineFreeAt_ = 0;
  if (device::HartDevice* bursting = device_->burstSource()) bursts_.emplace(*bursting, true);
  WakeBursts();  // a device that bursts from its state file
  return true;
}

Result<bool> SerialDevice::OpenTerminal() {
  ourEnd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ourEnd_ < 0) return SystemError(QStringLiteral("Cannot open a pseudo-terminal"), errno);
  std::array<char, 128> name{};
  if (::grantpt(ourEnd_) != 0 || ::unlockpt(ourEnd_) != 0 || ::ptsname_r(ourEnd_, name.data(), name.size()) != 0) {
    return SystemError(QStringLiteral("Cannot set up the pseudo-terminal"), errno);
  }
  terminalPath_ = QString::fromLocal8Bit(name.data());
  if (::fcntl(ourEnd_, F_SETFL, ::fcntl(ourEnd_, F_GETFL) | O_NONBLOCK) == 0) {
    clientEnd_ = ::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (clientEnd_ >= 0 && MakeRaw(clientEnd_)) return true;
  }
  const int error = errno;
  return SystemError(QStringLiteral("Cannot set up %1").arg(terminalPath_), error);
}

Result<bool> SerialDevice::PlaceLink(const QString& linkPath) {
  const QFileInfo existing(linkPath);
  if (existing.isSymLink()) {
    if (!QFile::remove(linkPath)) {
      return Error{QStringLiteral("Cannot replace the link %1").arg(linkPath).toStdString()};
    }
  } else if (existing.exists()) {
    return Error{
        QStringLiteral("%1 exists and is not a symbolic link; not overwriting it").arg(linkPath).toStdString()};
  }
  QFile terminal(terminalPath_);
  if (!terminal.link(linkPath)) {
    return Error{QStringLiteral("Cannot create the link %1 to %2: %3")
                     .arg(linkPath, terminalPath_, terminal.errorString())
                     .toStdString()};
  }
  linkPath_ = linkPath;
  return true;
}

void SerialDevice::Stop() {
  readable_.reset();
  turnaround_.stop();
  pace_.stop();
  burstCheck_.stop();
  bursts_.reset();
  answered_.clear();
  outgoing_.clear();
  // Only our own link: someone may have pointed the path elsewhere since.
  if (!linkPath_.isEmpty() && QFileInfo(linkPath_).symLinkTarget() == terminalPath_) QFile::remove(linkPath_);
  linkPath_.clear();
  CloseFd(clientEnd_);
  CloseFd(ourEnd_);
  terminalPath_.clear();
}

void SerialDevice::OnReadable() {
  std::array<std::uint8_t, 256> buffer{};
  for (;;) {
    const ssize_t count = ::read(ourEnd_, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;  // drained; EIO only while nobody holds the far end, which we do
    // A master's carrier: the line is not the device's.
    if (bursts_) bursts_->turns().heardOthers(uptime_.elapsed());
    for (ssize_t i = 0; i < count; ++i) {
      const hart::ReceiveEvent event = receiver_.push(buffer[static_cast<std::size_t>(i)]);
      if (event.kind == hart::ReceiveKind::Frame) Answer(event.frame);
    }
  }
}

void SerialDevice::Answer(const hart::Frame& request) {
  hart::Bytes line;
  if (!hart::EncodeFrame(request, kRequestPreambles, line)) return;
  hart::Bytes reply = device_->ReceiveSerial(line, uptime_.elapsed());
  WakeBursts();
  if (reply.empty()) return;  // not for this device
  device::Millis delay = 0;
  if (faults_) {
    const std::optional<device::Millis> late = device::ApplyToSerialReply(*faults_, reply);
    if (!late) return;
    delay = *late;
  }
  answered_.append(reinterpret_cast<const char*>(reply.data()), static_cast<qsizetype>(reply.size()));
  // From the end of this request, whatever came before it.
  if (!turnaround_.isActive()) turnaround_.start(static_cast<int>(device::kTurnaround + delay));
}

void SerialDevice::StartReply() {
  const device::Millis end = Transmit(answered_);
  if (bursts_) bursts_->turns().replied(end);
  answered_.clear();
  WakeBursts();
}

device::Millis SerialDevice::Transmit(const QByteArray& frame) {
  lineFreeAt_ = std::max<device::Millis>(lineFreeAt_, uptime_.elapsed()) +
                hart::WireTime(hart::kFskTiming, static_cast<std::size_t>(frame.size())).count();
  outgoing_.append(frame);
  // Still writing an earlier frame: this one follows it.
  if (!pace_.isActive()) WritePiece();
  return lineFreeAt_;
}

void SerialDevice::WakeBursts() {
  if (!bursts_) return;
  const device::Millis now = uptime_.elapsed();
  const std::optional<device::Millis> at = bursts_->nextTry(now);
  if (!at) return burstCheck_.stop();
  burstCheck_.start(static_cast<int>(std::max<device::Millis>(*at - now, 0)));
}

// A request or reply may have taken the turn since the check was set.
void SerialDevice::TryBurst() {
  if (!bursts_) return;
  if (const std::optional<device::Reply> burst = bursts_->take(uptime_.elapsed())) {
    const hart::Bytes frame = device_->burstSource()->EncodeSerial(*burst);
    if (!frame.empty()) {
      bursts_->turns().published(
          Transmit(QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()))));
    }
  }
  WakeBursts();
}

void SerialDevice::WritePiece() {
  if (outgoing_.isEmpty() || !running()) return pace_.stop();
  const qsizetype size = std::min<qsizetype>(outgoing_.size(), kPieceBytes);
  const ssize_t written = ::write(ourEnd_, outgoing_.constData(), static_cast<std::size_t>(size));
  // A full buffer (nobody reading) drops the piece, as a line would.
  outgoing_.remove(0, written > 0 ? written : size);
  // The pace stops with the reply's last piece, so the next reply starts
  // its own turnaround after its request rather than at a stale tick.
  if (outgoing_.isEmpty()) {
    pace_.stop();
  } else if (!pace_.isActive()) {
    pace_.start();
  }
}

}  // namespace zolin6::transport
