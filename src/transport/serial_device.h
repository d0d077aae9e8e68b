#pragma once
// The simulated transmitter as a serial HART device: a pseudo-terminal
// whose far end a master opens as if it were a modem, through a symbolic
// link at a path the user chooses. Request frames addressed to the device
// are answered a short turnaround after the request's end, with the
// device's preambles, and the reply is written at about the FSK line's
// pace, so a master sees it arrive in pieces as from a real modem.
// Anything else gets silence. A bad line can be put in front of the device
// on purpose (setLineFaults). A device in burst mode (from its state file,
// or switched on by a master) writes its burst frames at its turns on the
// line, as it would on a loop shared with a primary and a secondary master.
//
// We keep the far end open ourselves, so a master may close the port and
// open it again while the device keeps running.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

#include "device/hart_device.h"
#include "device/line_faults.h"
#include "hart/receiver.h"
#include "platform/result.h"
#include "transport/burst_schedule.h"

namespace zolin6::transport {

class SerialDevice : public QObject {
  Q_OBJECT

 public:
  explicit SerialDevice(std::shared_ptr<device::ServedDevice> device, QObject* parent = nullptr);
  ~SerialDevice() override;

  // Opens the pseudo-terminal and points `linkPath` at it. An existing
  // symbolic link there is replaced; any other file is left alone and
  // the start fails, as does anything else, with a message saying what.
  Result<bool> Start(const QString& linkPath);
  // Closes the pseudo-terminal and removes the link.
  void Stop();

  bool running() const { return ourEnd_ >= 0; }
  // The device's replies are dropped, damaged and delayed as `rates` say.
  void setLineFaults(const device::FaultRates& rates) { faults_.emplace(rates); }
  // The pseudo-terminal the link points to, while running.
  QString terminalPath() const { return terminalPath_; }

 private:
  Result<bool> OpenTerminal();
  Result<bool> PlaceLink(const QString& linkPath);
  void OnReadable();
  void Answer(const hart::Frame& request);
  void StartReply();
  // Puts a frame on the line behind what is already going out; when its
  // last byte will have left.
  device::Millis Transmit(const QByteArray& frame);
  void WritePiece();
  // Looks again at the burst messages, which a request may have changed.
  void WakeBursts();
  void TryBurst();

  std::shared_ptr<device::ServedDevice> device_;
  int ourEnd_ = -1;     // where the device reads requests and writes replies
  int clientEnd_ = -1;  // what the link points to, held open by us too
  QString terminalPath_;
  QString linkPath_;
  std::unique_ptr<QSocketNotifier> readable_;
  hart::Receiver receiver_{false};  // the device hears requests
  QElapsedTimer uptime_;            // the device's time
  QByteArray answered_;             // replies waiting out the device's turnaround
  QTimer turnaround_;
  QByteArray outgoing_;                  // reply bytes not written yet
  QTimer pace_;                          // runs only while a frame is being written
  device::Millis lineFreeAt_ = 0;        // device time when the last byte written has left the line
  std::optional<BurstSchedule> bursts_;  // while running, where something bursts
  QTimer burstCheck_;
  std::optional<device::LineFaults> faults_;
};

}  // namespace zolin6::transport
