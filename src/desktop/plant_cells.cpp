#include "desktop/plant_cells.h"

#include <array>
#include <charconv>

#include "plant/plant_csv.h"

namespace zolin6::desktop {

QString ConnectionText(const plant::PlantDevice& device) {
  QString endpoint = QString::fromStdString(device.endpoint);
  if (device.subDevice == 0) return endpoint;
  // The index goes after the address, before the options ("?udp").
  qsizetype options = endpoint.indexOf('?');
  if (options < 0) options = endpoint.size();
  return endpoint.left(options) + '/' + QString::number(device.subDevice) + endpoint.mid(options);
}

namespace {

// The shortest text that reads back as the same float: "21.456", not the
// digits of the double it widens to.
QString PvText(float value) {
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  return QString::fromLatin1(text.data(), written.ptr - text.data());
}

}  // namespace

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
    case PlantColumn::Pv: return device.pv ? PvText(*device.pv) : QString();
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
