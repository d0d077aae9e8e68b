#include "desktop/plant_cells.h"

#include "plant/plant_csv.h"
#include "transport/connection_target.h"

namespace zolin6::desktop {

QString ConnectionText(const plant::PlantDevice& device) {
  if (device.subDevice == 0) return QString::fromStdString(device.endpoint);
  // A HART-IP address says which device behind the I/O system it reaches
  // as the connect dialog writes it; any other as the plant file names it.
  const Result<transport::ConnectionTarget> target = transport::ParseConnection(device.endpoint);
  if (!target || target->kind != transport::ConnectionTarget::Kind::HartIp) {
    return QString::fromStdString(device.endpoint) + '/' + QString::number(device.subDevice);
  }
  transport::ConnectionTarget reached = *target;
  reached.subDevice = {device.subDevice, {}};
  return QString::fromStdString(reached.url());
}

const QStringList& PlantHeader() {
  static const QStringList header{"Endpoint",  "Tag",    "Long tag", "Manufacturer", "Device type",
                                  "Device id", "Status", "PV",       "Unit",         "Last seen (UTC)"};
  return header;
}

QString PlantCell(const plant::PlantDevice& device, PlantColumn column) {
  switch (column) {
    case PlantColumn::Endpoint: return ConnectionText(device);
    case PlantColumn::Tag: return QString::fromStdString(device.tag);
    case PlantColumn::LongTag: return QString::fromStdString(device.longTag);
    case PlantColumn::Manufacturer: return QString::fromStdString(plant::ManufacturerText(device.manufacturer));
    case PlantColumn::DeviceType:
      return QString::fromStdString(plant::DeviceTypeText(device.manufacturer, device.deviceType));
    case PlantColumn::DeviceId: return QString::number(device.deviceId);
    case PlantColumn::Status: return QString::fromUtf8(plant::HealthText(device.health));
    case PlantColumn::Pv: return device.pv ? QString::fromStdString(plant::FloatText(*device.pv)) : QString();
    case PlantColumn::Unit: return QString::fromStdString(device.unit);
    case PlantColumn::LastSeen: return QString::fromStdString(plant::UtcText(device.lastSeenUtc));
  }
  return {};
}

QStringList PlantCells(const plant::PlantDevice& device) {
  QStringList cells;
  cells.reserve(kPlantColumns);
  for (int column = 0; column < kPlantColumns; ++column) cells << PlantCell(device, static_cast<PlantColumn>(column));
  return cells;
}

}  // namespace zolin6::desktop
