#pragma once
// A HART modem on a serial port, as the byte link the HART driver talks
// through: 1200 bit/s, 8 data bits, odd parity, one stop bit. The modem
// puts its carrier on the line while RTS is raised, so RTS goes up for each
// request and comes down only once the request's last bit has left; the
// drop is timed from the request's wire time and made sure of by draining
// the port on a worker thread, so the event loop never waits for the line.
// Ports without RTS (a pseudo-terminal standing in for a modem) carry the
// bytes all the same. RTS and the drain go through a CarrierPort, which a
// test may replace to watch the carrier.
//
// Bytes are handed on as the port delivers them, with the host clock's
// time. A half-duplex modem's echo of our own request is left in: the
// master's receiver skips it.

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <memory>

#include "driver/byte_link.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"
#include "transport/modem_carrier.h"

namespace zolin6::transport {

class SerialModem : public QObject, public driver::ByteLink {
  Q_OBJECT

 public:
  explicit SerialModem(toolkit::Clock& clock, QObject* parent = nullptr);
  // With the carrier keyed through `carrier` rather than the port's RTS.
  SerialModem(toolkit::Clock& clock, std::unique_ptr<CarrierPort> carrier, QObject* parent = nullptr);
  ~SerialModem() override;

  // Opens `path` (/dev/ttyUSB0, or a link to one) with the modem's line
  // settings; the message names the port and what is wrong.
  Result<bool> Open(const QString& path);
  void Close();
  bool isOpen() const { return port_.isOpen(); }
  // The path last given to Open().
  const QString& path() const { return path_; }
  // Whether the port lets us key the carrier with RTS.
  bool keysCarrier() const { return rtsWorks_; }

  // Bytes sent while the port is closed are lost; the master hears no
  // reply and says so.
  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  // Down when the open port is gone (a USB modem unplugged). A modem
  // without carrier detect cannot tell a device that went quiet.
  void WatchState(const StateListener& listener) override { watcher_ = listener; }

 signals:
  // The open port is gone or can no longer be read (a USB modem
  // unplugged); it is closed by the time this is emitted.
  void failed(const QString& message);

 private:
  void OnReadyRead();
  void OnError(QSerialPort::SerialPortError error);
  void ReportFailure();
  void CarrierOff();
  void OnDrained();
  void SetCarrier(bool on);

  toolkit::Clock& clock_;
  QSerialPort port_;
  std::unique_ptr<CarrierPort> carrier_;
  QString path_;
  QTimer carrierOff_;
  QTimer failureReport_;
  QString failure_;  // waiting to be reported
  QElapsedTimer sinceOpen_;
  qint64 lineFreeAt_ = 0;  // ms since open when our last byte has left
  bool rtsWorks_ = true;
  QFutureWatcher<void> drain_;  // the port drained on a worker thread
  std::uint64_t sends_ = 0;     // requests sent; a drain for an older one leaves RTS to the newer
  std::uint64_t drainFor_ = 0;
  Listener listener_;
  StateListener watcher_;
};

}  // namespace zolin6::transport
