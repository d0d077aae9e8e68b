#include "desktop/connect_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
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
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "transport/open_link.h"

namespace zolin6::desktop {

namespace {

constexpr int kLargestPollingAddress = 63;
constexpr int kAddresses = kLargestPollingAddress + 1;
enum FoundColumn { kAddressColumn, kTagColumn, kMakerColumn, kTypeColumn, kIdColumn, kColumns };

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
  return box;
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
  if (!preset.path.empty()) serialPort_->setCurrentText(QString::fromStdString(preset.path));
  pollingAddress_->setValue(preset.pollingAddress);
  (preset.kind == Kind::HartIp ? hartIp_ : preset.kind == Kind::Serial ? serial_ : simulated_)->setChecked(true);
  enableFields();
}

void ConnectDialog::enableFields() {
  hartIpBox_->setEnabled(hartIp_->isChecked());
  serialBox_->setEnabled(serial_->isChecked());
}

transport::ConnectionTarget ConnectDialog::target() const {
  transport::ConnectionTarget target;
  if (hartIp_->isChecked()) {
    target.kind = transport::ConnectionTarget::Kind::HartIp;
    target.host = host_->text().trimmed().toStdString();
    target.port = static_cast<std::uint16_t>(port_->value());
    target.udp = protocol_->currentIndex() == 1;
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
