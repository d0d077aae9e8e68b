#include "transport/serial_modem.h"

#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <functional>
#include <memory>

#include "hart/link_timing.h"

namespace zolin6::transport {

namespace {

constexpr qint32 kModemBaudRate = 1200;
// tcdrain can return before the UART's own buffer is empty: the carrier
// stays on two characters longer.
constexpr std::size_t kCarrierGuardCharacters = 2;

}  // namespace

SerialModem::SerialModem(toolkit::Clock& clock, QObject* parent) : SerialModem(clock, nullptr, parent) {}

SerialModem::SerialModem(toolkit::Clock& clock, std::unique_ptr<CarrierPort> carrier, QObject* parent)
    : QObject(parent), clock_(clock), carrier_(std::move(carrier)) {
  if (!carrier_) carrier_ = std::make_unique<SerialCarrierPort>(port_);
  carrierOff_.setSingleShot(true);
  carrierOff_.setTimerType(Qt::PreciseTimer);
  connect(&carrierOff_, &QTimer::timeout, this, &SerialModem::CarrierOff);
  connect(&drain_, &QFutureWatcher<void>::finished, this, &SerialModem::OnDrained);
  connect(&port_, &QSerialPort::readyRead, this, &SerialModem::OnReadyRead);
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialModem::OnError);
  failureReport_.setSingleShot(true);
  connect(&failureReport_, &QTimer::timeout, this, &SerialModem::ReportFailure);
}

SerialModem::~SerialModem() { Close(); }

Result<bool> SerialModem::Open(const QString& path) {
  Close();
  port_.setPortName(path);
  port_.setBaudRate(kModemBaudRate);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::OddParity);
  port_.setStopBits(QSerialPort::OneStop);
  // RTS is ours to key; with hardware flow control the port would refuse.
  port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!port_.open(QIODevice::ReadWrite)) {
    return Error{QStringLiteral("Cannot open serial port %1: %2").arg(path, port_.errorString()).toStdString()};
  }
  path_ = path;
  // Whatever waited in the port before we opened it is nobody's reply.
  port_.clear();
  sinceOpen_.start();
  lineFreeAt_ = 0;
  rtsWorks_ = true;
  SetCarrier(false);
  return true;
}

void SerialModem::Close() {
  carrierOff_.stop();
  failureReport_.stop();
  failure_.clear();
  if (port_.isOpen()) port_.close();
}

void SerialModem::Send(hart::ByteView bytes, toolkit::Millis /*now*/) {
  if (bytes.empty() || !port_.isOpen()) return;
  ++sends_;
  SetCarrier(true);
  port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  // A request sent while the last one is still leaving queues behind it.
  const qint64 elapsed = sinceOpen_.elapsed();
  lineFreeAt_ = std::max(lineFreeAt_, elapsed) + hart::WireTime(hart::kFskTiming, bytes.size()).count();
  const qint64 guard = hart::WireTime(hart::kFskTiming, kCarrierGuardCharacters).count();
  carrierOff_.start(static_cast<int>(lineFreeAt_ - elapsed + guard));
}

void SerialModem::CarrierOff() {
  if (!port_.isOpen()) return;
  // By now the bytes are long gone; the drain only makes sure of it.
  port_.flush();
  if (!rtsWorks_) return;
  // The drain may block on a hung USB modem: it runs on a worker thread.
  std::function<void()> drain = carrier_->DrainWait();
  if (!drain) return SetCarrier(false);
  drainFor_ = sends_;
  auto drained = std::make_shared<QPromise<void>>();
  drain_.setFuture(drained->future());
  drained->start();
  QThreadPool::globalInstance()->start([drained, drain = std::move(drain)] {
    drain();
    drained->finish();
  });
}

void SerialModem::OnDrained() {
  // A request sent meanwhile keeps the carrier until its own drop.
  if (!port_.isOpen() || drainFor_ != sends_ || carrierOff_.isActive()) return;
  SetCarrier(false);
}

void SerialModem::SetCarrier(bool on) {
  if (rtsWorks_) rtsWorks_ = carrier_->SetRts(on);
}

void SerialModem::OnReadyRead() {
  const QByteArray data = port_.readAll();
  if (data.isEmpty() || !listener_) return;
  listener_(
      hart::ByteView(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())),
      clock_.now());
}

// A port that is gone (a USB modem unplugged) or can no longer be read is
// of no more use: it is closed and reported once. Other errors, such as
// RTS on a port without it, leave it working.
void SerialModem::OnError(QSerialPort::SerialPortError error) {
  if (!port_.isOpen() || !failure_.isEmpty()) return;
  if (error == QSerialPort::ResourceError) {
    failure_ = QStringLiteral("Serial port %1 is gone (unplugged?): %2").arg(path_, port_.errorString());
  } else if (error == QSerialPort::ReadError) {
    failure_ = QStringLiteral("Serial port %1 can no longer be read (unplugged?)").arg(path_);
  } else {
    return;
  }
  // Not closed inside the port's own signal.
  failureReport_.start();
}

void SerialModem::ReportFailure() {
  const QString message = failure_;
  Close();
  if (watcher_) watcher_(false, clock_.now());
  emit failed(message);
}

}  // namespace zolin6::transport
