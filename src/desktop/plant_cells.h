#pragma once
// What the plant view shows of a device, column by column: the same texts
// as the survey's CSV, so that a list on screen and a list in a file read
// alike.

#include <QString>
#include <QStringList>

#include <cstdint>

#include "plant/plant_row.h"

namespace zolin6::desktop {

enum class PlantColumn : std::uint8_t {
  Endpoint,
  Tag,
  LongTag,
  Manufacturer,
  DeviceType,
  DeviceId,
  Status,
  Pv,
  Unit,
  LastSeen,
};
inline constexpr int kPlantColumns = static_cast<int>(PlantColumn::LastSeen) + 1;

// Where the window connects to reach `device`: its endpoint, with the
// sub-device's index after a slash when it sits behind an I/O system
// ("hart-ip://10.0.0.6:5094/3?udp").
QString ConnectionText(const plant::PlantDevice& device);

// The columns' titles, in the order of PlantColumn.
const QStringList& PlantHeader();
// Every cell of `device`, in the order of PlantColumn.
QStringList PlantCells(const plant::PlantDevice& device);
QString PlantCell(const plant::PlantDevice& device, PlantColumn column);

}  // namespace zolin6::desktop
