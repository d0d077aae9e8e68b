#pragma once
// What the modem's carrier needs of its port: the RTS line that keys it
// and a wait for the written bytes to leave. Kept apart from the modem so
// that a test can watch the carrier on a port that has no RTS (a
// pseudo-terminal); the modem uses the serial port itself.

#include <QSerialPort>

#include <functional>

namespace zolin6::transport {

class CarrierPort {
 public:
  virtual ~CarrierPort() = default;
  // Raises or drops RTS; false when the port has none, the port's error
  // cleared so that it still counts as working.
  virtual bool SetRts(bool on) = 0;
  // A wait until the bytes written so far have left the port, to be run on
  // a worker thread (it may block on a hung modem); empty when there is
  // nothing to wait on.
  virtual std::function<void()> DrainWait() = 0;
};

// The serial port's own RTS, drained with tcdrain on a descriptor of its
// own, so the port may close while the wait runs.
class SerialCarrierPort : public CarrierPort {
 public:
  explicit SerialCarrierPort(QSerialPort& port) : port_(port) {}
  bool SetRts(bool on) override;
  std::function<void()> DrainWait() override;

 private:
  QSerialPort& port_;
};

}  // namespace zolin6::transport
