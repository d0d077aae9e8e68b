#include "desktop/sub_device_list.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "transport/open_link.h"

namespace zolin6::desktop {

namespace {

enum Column { kIndexColumn, kTagColumn, kMakerColumn, kTypeColumn, kIdColumn, kColumns };

}  // namespace

SubDeviceList::SubDeviceList(transport::EventLoopClock& ticker, std::function<transport::ConnectionTarget()> endpoint)
    : ticker_(ticker), endpoint_(std::move(endpoint)) {
  device_ = new QLineEdit;
  device_->setObjectName("SubDevice");
  device_->setPlaceholderText("index or long tag; empty: the endpoint itself");
  list_ = new QPushButton("&List devices behind it");
  list_->setObjectName("ListSubDevices");
  status_ = new QLabel;
  status_->setObjectName("SubDeviceStatus");
  status_->setWordWrap(true);
  table_ = new QTableWidget(0, kColumns);
  table_->setObjectName("SubDevices");
  table_->setHorizontalHeaderLabels({"Index", "Long tag", "Manufacturer", "Device type", "Device id"});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->hide();
  connect(list_, &QPushButton::clicked, this, [this] { startListing(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    const int row = table_->currentRow();
    if (row >= 0) device_->setText(table_->item(row, kIndexColumn)->text());
  });
  letGo_.setSingleShot(true);
  connect(&letGo_, &QTimer::timeout, this, [this] {
    if (!listing()) finder_.reset();
  });
  auto* form = new QFormLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  row->addWidget(device_, 1);
  row->addWidget(list_);
  form->addRow("Device behind it:", row);
  form->addRow(status_);
  form->addRow(table_);
}

SubDeviceList::~SubDeviceList() {
  if (finder_) finder_->Cancel();
}

// Read as the connection text reads a DEVICE, so both take the same names.
Result<driver::SubDeviceName> SubDeviceList::device() const {
  const QString text = device_->text().trimmed();
  if (text.isEmpty()) return driver::SubDeviceName{};
  Result<driver::SubDeviceName> name = transport::ParseSubDeviceName(text.toStdString());
  if (!name) return Error{"The device behind it: " + name.error().message + "."};
  return name;
}

void SubDeviceList::showDevice(const driver::SubDeviceName& name) {
  device_->setText(name.index != 0 ? QString::number(name.index) : QString::fromLatin1(name.longTag));
}

void SubDeviceList::complain(const QString& why) { status_->setText(why); }

void SubDeviceList::startListing() {
  if (finder_) finder_->Cancel();
  transport::ConnectionTarget endpoint = endpoint_();
  endpoint.subDevice = {};
  Result<transport::OpenedLink> opened = transport::OpenLink(endpoint, ticker_);
  if (!opened) return complain(QString::fromStdString(opened.error().message));
  table_->setRowCount(0);
  table_->show();
  status_->setText("Asking " + QString::fromStdString(endpoint.describe()) + " who is behind it\u2026");
  link_ = opened->link;
  driver::FinderCallbacks callbacks;
  callbacks.found = [this](const hart::SubDeviceIdentity& device) { add(device); };
  callbacks.finished = [this](const Result<std::optional<driver::SubDeviceWay>>& way) { ended(way); };
  finder_ = std::make_shared<driver::SubDeviceFinder>(ticker_.clock(), link_, driver::SubDeviceName{}, callbacks);
  list_->setEnabled(false);
  finder_->Start();
}

void SubDeviceList::add(const hart::SubDeviceIdentity& device) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  // In decimal, as the identification pages show them.
  const QStringList cells = {QString::number(device.index), QString::fromLatin1(device.longTag),
                             QString::number(device.manufacturer), QString::number(device.expandedDeviceType),
                             QString::number(device.deviceId)};
  for (int column = 0; column < kColumns; ++column) table_->setItem(row, column, new QTableWidgetItem(cells[column]));
  table_->resizeColumnsToContents();
}

void SubDeviceList::ended(const Result<std::optional<driver::SubDeviceWay>>& way) {
  // The session closes once the finder has let go of it, after this call.
  link_.reset();
  letGo_.start(0);
  list_->setEnabled(true);
  const int count = table_->rowCount();
  if (!way) return complain(QString::fromStdString(way.error().message));
  status_->setText(count == 1 ? QString("1 device behind it.") : QString::number(count) + " devices behind it.");
}

}  // namespace zolin6::desktop
