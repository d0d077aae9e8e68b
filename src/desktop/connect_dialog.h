#pragma once
// File > Connect: where the device is. The built-in simulated device, a
// HART-IP device or gateway (host, port, TCP or UDP, a device behind it
// picked from its list: sub_device_list.h), or a HART modem on
// one of the serial ports the system has, with a scan of polling addresses
// 0 to 63 that lists each device that answers (tag, maker, device type,
// device id) while it runs, and can be cancelled. Picking a found device
// takes its polling address. Secure HART-IP (version 2) takes its key from
// a key file or as typed; a typed key may be remembered in the user's key
// store, and a key that does not read keeps the dialog open, saying why.

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>

#include "driver/polling_scan.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace zolin6::desktop {

class SubDeviceList;

class ConnectDialog : public QDialog {
 public:
  // `preset`: the connection shown at first (the present or the last one).
  ConnectDialog(QWidget* parent, transport::EventLoopClock& ticker, const transport::ConnectionTarget& preset);
  ~ConnectDialog() override;

  // The connection as the dialog's fields give it.
  transport::ConnectionTarget target() const;
  // Refused while the secure fields give no usable key; a remembered key
  // is put in the key store here.
  void accept() override;

  // Scans the chosen serial port; the table fills as devices answer.
  void startScan();
  void cancelScan();
  bool scanning() const { return scan_ && scan_->running(); }
  QTableWidget* foundTable() const { return found_; }
  SubDeviceList* subDevices() const { return subDevices_; }

 private:
  QWidget* hartIpFields();
  QWidget* secureFields();
  QWidget* serialFields();
  // The typed `identity:hexkey`; empty when nothing is typed.
  std::string typedKey() const;
  // True when the secure fields give a key (and a remembered one is stored).
  Result<bool> settleKey();
  void browseKeyFile();
  void showTarget(const transport::ConnectionTarget& preset);
  void enableFields();
  void addFound(const driver::FoundDevice& device);
  void scanEnded(bool cancelled);

  transport::EventLoopClock& ticker_;
  QRadioButton* simulated_ = nullptr;
  QRadioButton* hartIp_ = nullptr;
  QRadioButton* serial_ = nullptr;
  QWidget* hartIpBox_ = nullptr;
  QWidget* serialBox_ = nullptr;
  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QComboBox* protocol_ = nullptr;
  QCheckBox* secure_ = nullptr;
  QWidget* secureBox_ = nullptr;
  QLineEdit* keyFile_ = nullptr;
  QLineEdit* identity_ = nullptr;
  QLineEdit* key_ = nullptr;
  QCheckBox* remember_ = nullptr;
  QLabel* keyProblem_ = nullptr;
  SubDeviceList* subDevices_ = nullptr;
  QComboBox* serialPort_ = nullptr;
  QSpinBox* pollingAddress_ = nullptr;
  QPushButton* scanButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* scanStatus_ = nullptr;
  QTableWidget* found_ = nullptr;
  std::shared_ptr<driver::ByteLink> scanLink_;  // the port, open only while scanning
  std::shared_ptr<driver::PollingScan> scan_;
  QTimer letGo_;  // drops the finished scan once its own call has returned
};

}  // namespace zolin6::desktop
