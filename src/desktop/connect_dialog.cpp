#include "desktop/connect_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <string_view>

#include "desktop/key_store.h"
#include "desktop/sub_device_list.h"
#include "transport/open_link.h"
#include "transport/psk_keys.h"

namespace zolin6::desktop {

namespace {

constexpr int kLargestPollingAddress = 63;
constexpr int kAddresses = kLargestPollingAddress + 1;
enum FoundColumn { kAddressColumn, kTagColumn, kMakerColumn, kTypeColumn, kIdColumn, kColumns };
// The key reader counts the lines of a file; a typed key is one line.
constexpr std::string_view kFirstLine = "line 1: ";

}  // namespace

ConnectDialog::ConnectDialog(QWidget* parent, transport::EventLoopClock& ticker,
                             const transport::ConnectionTarget& preset)
    : QDialog(parent), ticker_(ticker) {
  setWindowTitle("Connect");
  setObjectName("ConnectDialog");
  simulated_ = new QRadioButton("&Simulated device (built in)");
  hartIp_ = new QRadioButton("&HART-IP device or gateway");
  serial_ = new QRadioButton("HART &modem on a serial port");
  auto* kinds = new QButtonGroup(this);
  for (QRadioButton* kind : {simulated_, hartIp_, serial_}) kinds->addButton(kind);
  hartIpBox_ = hartIpFields();
  serialBox_ = serialFields();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText("C&onnect");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(simulated_);
  layout->addWidget(hartIp_);
  layout->addWidget(hartIpBox_);
  layout->addWidget(serial_);
  layout->addWidget(serialBox_);
  layout->addWidget(buttons);
  connect(kinds, &QButtonGroup::buttonToggled, this, [this] { enableFields(); });
  letGo_.setSingleShot(true);
  connect(&letGo_, &QTimer::timeout, this, [this] {
    if (!scanning()) scan_.reset();
  });
  // Wide enough for a port's path and the found devices' five columns.
  setMinimumWidth(fontMetrics().averageCharWidth() * 72);
  showTarget(preset);
}

ConnectDialog::~ConnectDialog() { cancelScan(); }

QWidget* ConnectDialog::hartIpFields() {
  host_ = new QLineEdit;
  host_->setObjectName("Host");
  host_->setPlaceholderText("10.0.0.5 or a host name");
  port_ = new QSpinBox;
  port_->setObjectName("Port");
  port_->setRange(1, 65535);
  protocol_ = new QComboBox;
  protocol_->setObjectName("Protocol");
  protocol_->addItems({"TCP", "UDP"});
  auto* box = new QWidget;
  auto* form = new QFormLayout(box);
  form->addRow("Host:", host_);
  form->addRow("Port:", port_);
  form->addRow("Protocol:", protocol_);
  secure_ = new QCheckBox("Sec&ure (HART-IP version 2)");
  secure_->setObjectName("Secure");
  connect(secure_, &QCheckBox::toggled, this, [this] { enableFields(); });
  form->addRow(secure_);
  secureBox_ = secureFields();
  form->addRow(secureBox_);
  subDevices_ = new SubDeviceList(ticker_, [this] { return target(); });
  form->addRow(subDevices_);
  return box;
}

QWidget* ConnectDialog::secureFields() {
  keyFile_ = new QLineEdit;
  keyFile_->setObjectName("KeyFile");
  keyFile_->setPlaceholderText("identity:hexkey lines, readable by you alone");
  auto* browse = new QPushButton("&Browse\u2026");
  connect(browse, &QPushButton::clicked, this, [this] { browseKeyFile(); });
  identity_ = new QLineEdit;
  identity_->setObjectName("Identity");
  identity_->setPlaceholderText("or type an identity and its key");
  key_ = new QLineEdit;
  key_->setObjectName("Key");
  key_->setEchoMode(QLineEdit::Password);
  remember_ = new QCheckBox("&Remember this key in my key store");
  remember_->setObjectName("RememberKey");
  remember_->setToolTip("Puts the typed key first in " + KeyStorePath() +
                        ", readable by you alone, and connects with that file.");
  keyProblem_ = new QLabel;
  keyProblem_->setObjectName("KeyProblem");
  keyProblem_->setWordWrap(true);
  keyProblem_->hide();

  auto* box = new QWidget;
  auto* form = new QFormLayout(box);
  // Indented under the check box that enables them.
  const int indent =
      style()->pixelMetric(QStyle::PM_IndicatorWidth) + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  form->setContentsMargins(indent, 0, 0, 0);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(keyFile_, 1);
  fileRow->addWidget(browse);
  form->addRow("Key file:", fileRow);
  form->addRow("Identity:", identity_);
  form->addRow("Key (hex):", key_);
  form->addRow(remember_);
  form->addRow(keyProblem_);
  return box;
}

void ConnectDialog::browseKeyFile() {
  const QString current = keyFile_->text().trimmed();
  const QString folder =
      current.isEmpty() ? QFileInfo(KeyStorePath()).absolutePath() : QFileInfo(current).absolutePath();
  const QString chosen = QFileDialog::getOpenFileName(this, "Key File", folder, "Key files (*.keys);;All files (*)");
  if (!chosen.isEmpty()) keyFile_->setText(chosen);
}

QWidget* ConnectDialog::serialFields() {
  serialPort_ = new QComboBox;
  serialPort_->setObjectName("SerialPort");
  serialPort_->setEditable(true);
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const QString what = info.description().isEmpty() ? QString() : " (" + info.description() + ")";
    serialPort_->addItem(info.systemLocation() + what, info.systemLocation());
  }
  pollingAddress_ = new QSpinBox;
  pollingAddress_->setObjectName("PollingAddress");
  pollingAddress_->setRange(0, kLargestPollingAddress);
  scanButton_ = new QPushButton("Sc&an addresses 0-63");
  cancelButton_ = new QPushButton("Stop Scan");
  cancelButton_->setEnabled(false);
  progress_ = new QProgressBar;
  progress_->setRange(0, kAddresses);
  progress_->setValue(0);
  scanStatus_ = new QLabel;
  scanStatus_->setObjectName("ScanStatus");
  found_ = new QTableWidget(0, kColumns);
  found_->setObjectName("FoundDevices");
  found_->setHorizontalHeaderLabels({"Address", "Tag", "Manufacturer", "Device type", "Device id"});
  found_->horizontalHeader()->setStretchLastSection(true);
  found_->setSelectionBehavior(QAbstractItemView::SelectRows);
  found_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  found_->verticalHeader()->hide();
  connect(scanButton_, &QPushButton::clicked, this, [this] { startScan(); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelScan(); });
  connect(found_, &QTableWidget::itemSelectionChanged, this, [this] {
    const int row = found_->currentRow();
    if (row >= 0) pollingAddress_->setValue(found_->item(row, kAddressColumn)->text().toInt());
  });

  auto* box = new QWidget;
  auto* form = new QFormLayout(box);
  form->addRow("Port:", serialPort_);
  form->addRow("Polling address:", pollingAddress_);
  auto* scanRow = new QHBoxLayout;
  scanRow->addWidget(scanButton_);
  scanRow->addWidget(cancelButton_);
  scanRow->addWidget(progress_, 1);
  form->addRow(scanRow);
  form->addRow(scanStatus_);
  form->addRow(found_);
  return box;
}

void ConnectDialog::showTarget(const transport::ConnectionTarget& preset) {
  using Kind = transport::ConnectionTarget::Kind;
  host_->setText(QString::fromStdString(preset.host));
  port_->setValue(preset.port);
  protocol_->setCurrentIndex(preset.udp ? 1 : 0);
  secure_->setChecked(preset.secure);
  keyFile_->setText(QString::fromStdString(preset.keyFile));
  // A key typed for the connection that is up, still in memory only.
  const QString typed = QString::fromStdString(preset.typedKey);
  const qsizetype colon = typed.lastIndexOf(':');
  identity_->setText(colon < 0 ? QString() : typed.left(colon));
  key_->setText(colon < 0 ? QString() : typed.mid(colon + 1));
  if (!preset.path.empty()) serialPort_->setCurrentText(QString::fromStdString(preset.path));
  pollingAddress_->setValue(preset.pollingAddress);
  subDevices_->showDevice(preset.subDevice);
  (preset.kind == Kind::HartIp ? hartIp_ : preset.kind == Kind::Serial ? serial_ : simulated_)->setChecked(true);
  enableFields();
}

void ConnectDialog::enableFields() {
  hartIpBox_->setEnabled(hartIp_->isChecked());
  secureBox_->setEnabled(secure_->isChecked());
  serialBox_->setEnabled(serial_->isChecked());
}

transport::ConnectionTarget ConnectDialog::target() const {
  transport::ConnectionTarget target;
  if (hartIp_->isChecked()) {
    target.kind = transport::ConnectionTarget::Kind::HartIp;
    target.host = host_->text().trimmed().toStdString();
    target.port = static_cast<std::uint16_t>(port_->value());
    target.udp = protocol_->currentIndex() == 1;
    target.secure = secure_->isChecked();
    if (Result<driver::SubDeviceName> device = subDevices_->device()) target.subDevice = std::move(device).value();
    if (target.secure) {
      const std::string typed = typedKey();
      if (typed.empty()) {
        target.keyFile = keyFile_->text().trimmed().toStdString();
      } else if (remember_->isChecked()) {
        target.keyFile = KeyStorePath().toStdString();
      } else {
        target.typedKey = typed;
      }
    }
  } else if (serial_->isChecked()) {
    target.kind = transport::ConnectionTarget::Kind::Serial;
    // A listed port carries its path; a typed one is the path.
    const QVariant listed = serialPort_->currentData();
    const bool typed =
        !listed.isValid() || serialPort_->currentText() != serialPort_->itemText(serialPort_->currentIndex());
    target.path = (typed ? serialPort_->currentText().trimmed() : listed.toString()).toStdString();
    target.pollingAddress = static_cast<std::uint8_t>(pollingAddress_->value());
  }
  return target;
}

std::string ConnectDialog::typedKey() const {
  const QString identity = identity_->text().trimmed();
  const QString key = key_->text().trimmed();
  if (identity.isEmpty() && key.isEmpty()) return {};
  return (identity + ':' + key).toStdString();
}

Result<bool> ConnectDialog::settleKey() {
  if (!hartIp_->isChecked() || !secure_->isChecked()) return true;
  const std::string typed = typedKey();
  const bool file = !keyFile_->text().trimmed().isEmpty();
  if (typed.empty()) {
    if (file) return true;
    return Error{"Secure HART-IP needs a key: choose a key file, or type an identity and its key."};
  }
  if (file) return Error{"Choose a key file or type a key, not both."};
  if (typed.find_first_of("\r\n") != std::string::npos)
    return Error{"The identity and the key cannot hold a line break."};
  if (Result<transport::PskKeys> keys = transport::ParsePskKeys(typed); !keys) {
    std::string why = keys.error().message;
    if (why.starts_with(kFirstLine)) why.erase(0, kFirstLine.size());
    return Error{"The typed key cannot be used: " + why + "."};
  }
  if (!remember_->isChecked()) return true;
  if (Result<bool> kept = RememberKey(KeyStorePath(), typed); !kept) {
    return Error{"The key cannot be remembered: " + kept.error().message};
  }
  return true;
}

void ConnectDialog::accept() {
  if (const Result<driver::SubDeviceName> device = subDevices_->device(); hartIp_->isChecked() && !device) {
    return subDevices_->complain(QString::fromStdString(device.error().message));
  }
  const Result<bool> settled = settleKey();
  keyProblem_->setText(settled ? QString() : QString::fromStdString(settled.error().message));
  keyProblem_->setVisible(!settled);
  if (settled) QDialog::accept();
}

void ConnectDialog::startScan() {
  cancelScan();
  transport::ConnectionTarget port = target();
  port.kind = transport::ConnectionTarget::Kind::Serial;
  Result<transport::OpenedLink> opened = transport::OpenLink(port, ticker_);
  if (!opened) {
    scanStatus_->setText(QString::fromStdString(opened.error().message));
    return;
  }
  found_->setRowCount(0);
  progress_->setValue(0);
  scanStatus_->setText("Scanning " + QString::fromStdString(port.path) + "…");
  scanLink_ = opened->link;
  driver::ScanCallbacks callbacks;
  callbacks.found = [this](const driver::FoundDevice& device) { addFound(device); };
  callbacks.progress = [this](int scanned, int) { progress_->setValue(scanned); };
  callbacks.finished = [this](const std::vector<driver::FoundDevice>&, bool cancelled) { scanEnded(cancelled); };
  scan_ = std::make_shared<driver::PollingScan>(ticker_.clock(), scanLink_, callbacks);
  scanButton_->setEnabled(false);
  cancelButton_->setEnabled(true);
  scan_->Start();
}

void ConnectDialog::cancelScan() {
  if (scanning()) scan_->Cancel();
}

void ConnectDialog::addFound(const driver::FoundDevice& device) {
  const int row = found_->rowCount();
  found_->insertRow(row);
  // In decimal, as the identification pages show them.
  const QStringList cells = {QString::number(device.pollingAddress), QString::fromStdString(device.tag),
                             QString::number(device.manufacturer), QString::number(device.expandedDeviceType),
                             QString::number(device.deviceId)};
  for (int column = 0; column < kColumns; ++column) found_->setItem(row, column, new QTableWidgetItem(cells[column]));
  found_->resizeColumnsToContents();
}

void ConnectDialog::scanEnded(bool cancelled) {
  // The port is closed again once the scan has let go of it (after this
  // call, which comes from the scan): the connection itself may want it.
  scanLink_.reset();
  letGo_.start(0);
  scanButton_->setEnabled(true);
  cancelButton_->setEnabled(false);
  const int count = found_->rowCount();
  const QString devices = count == 1 ? "1 device" : QString::number(count) + " devices";
  scanStatus_->setText(cancelled ? "Scan stopped: " + devices + " found so far." : devices + " found.");
  if (count > 0 && found_->currentRow() < 0) found_->selectRow(0);
}

}  // namespace zolin6::desktop
