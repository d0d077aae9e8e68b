#include "desktop/plant_table.h"

#include <QColor>

#include "plant/survey.h"

#include "desktop/plant_cells.h"

namespace zolin6::desktop {

namespace {

// The colour of each health word, worst first; a device that did not answer is grey whatever it said last.
QColor HealthColour(plant::Health health) {
  switch (health) {
    case plant::Health::Failure: return {0xc6, 0x28, 0x28};
    case plant::Health::MaintenanceRequired: return {0xb2, 0x5e, 0x00};
    case plant::Health::ConfigurationChanged: return {0x15, 0x65, 0xc0};
    case plant::Health::Ok: break;
  }
  return {0x2e, 0x7d, 0x32};
}

QVariant SortValue(const plant::PlantDevice& device, PlantColumn column) {
  switch (column) {
    case PlantColumn::Endpoint:
      // The sub-devices of one endpoint in the order of their index, not of its digits.
      return QString::fromStdString(device.endpoint) + QChar(0) +
             QString::number(device.subDevice).rightJustified(5, '0');
    case PlantColumn::Manufacturer: return device.manufacturer;
    case PlantColumn::DeviceType: return device.deviceType;
    case PlantColumn::DeviceId: return device.deviceId;
    case PlantColumn::Status: return static_cast<int>(device.health);
    case PlantColumn::Pv:
      // No value sorts after every value.
      return device.pv ? QVariant(static_cast<double>(*device.pv)) : QVariant();
    case PlantColumn::LastSeen: return QVariant::fromValue<qint64>(device.lastSeenUtc);
    default: return PlantCell(device, column);
  }
}

}  // namespace

PlantKey KeyOf(const plant::PlantDevice& device) { return plant::DeviceKey(device); }

void PlantTableModel::setRows(std::vector<plant::PlantDevice> rows) {
  bool samePlaces = rows.size() == rows_.size();
  for (std::size_t row = 0; samePlaces && row < rows.size(); ++row) {
    samePlaces = rows[row].sameDevice(rows_[row]);
  }
  if (samePlaces) {
    rows_ = std::move(rows);
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kPlantColumns - 1));
    return;
  }
  beginResetModel();
  rows_ = std::move(rows);
  rowOf_.clear();
  rowOf_.reserve(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) rowOf_.emplace(KeyOf(rows_[row]), static_cast<int>(row));
  endResetModel();
}

std::optional<int> PlantTableModel::rowOf(PlantKey key) const {
  const auto found = rowOf_.find(key);
  if (found == rowOf_.end()) return std::nullopt;
  return found->second;
}

int PlantTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PlantTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPlantColumns; }

QVariant PlantTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const plant::PlantDevice& device = rows_[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<PlantColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole: return PlantCell(device, column);
    case kPlantSortRole: return SortValue(device, column);
    case Qt::ForegroundRole:
      if (!device.answering) return QColor(Qt::gray);
      if (column == PlantColumn::Status) return HealthColour(device.health);
      return {};
    case Qt::ToolTipRole:
      if (!device.answering) return QString("Did not answer the last survey or refresh");
      return {};
    case Qt::TextAlignmentRole:
      if (column == PlantColumn::Pv || column == PlantColumn::Manufacturer || column == PlantColumn::DeviceType ||
          column == PlantColumn::DeviceId) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    default: return {};
  }
}

QVariant PlantTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kPlantColumns) return {};
  return PlantHeader()[section];
}

PlantFilterModel::PlantFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(kPlantSortRole);
  setSortCaseSensitivity(Qt::CaseInsensitive);
}

void PlantFilterModel::setText(const QString& text) {
  text_ = text.trimmed();
  invalidateFilter();
}

void PlantFilterModel::setHealth(HealthFilter health) {
  health_ = health;
  invalidateFilter();
}

bool PlantFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& /*sourceParent*/) const {
  const auto* table = static_cast<const PlantTableModel*>(sourceModel());
  const plant::PlantDevice& device = table->rows()[static_cast<std::size_t>(sourceRow)];
  switch (health_) {
    case HealthFilter::All: break;
    case HealthFilter::NotOk:
      if (device.health == plant::Health::Ok) return false;
      break;
    case HealthFilter::Failure:
      if (device.health != plant::Health::Failure) return false;
      break;
    case HealthFilter::MaintenanceRequired:
      if (device.health != plant::Health::MaintenanceRequired) return false;
      break;
  }
  if (text_.isEmpty()) return true;
  for (int column = 0; column < kPlantColumns; ++column) {
    if (PlantCell(device, static_cast<PlantColumn>(column)).contains(text_, Qt::CaseInsensitive)) return true;
  }
  return false;
}

}  // namespace zolin6::desktop
