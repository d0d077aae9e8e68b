#pragma once
// The plant view's table: one row per field device the survey found, its
// cells as the survey's CSV writes them, and the proxy that sorts every
// column by what it holds (numbers as numbers, the last answer as a time)
// and filters by a text in any column and by health. A new list replaces
// the old one in one pass; rows are known by their device wherever the
// list puts them.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "desktop/plant_cells.h"
#include "plant/plant_row.h"

namespace zolin6::desktop {

// Manufacturer, expanded device type and device id in one number: what
// names a device in the list, through whichever endpoint it is reached.
using PlantKey = std::uint64_t;
PlantKey KeyOf(const plant::PlantDevice& device);  // plant::DeviceKey

// The role that gives what a column sorts by.
inline constexpr int kPlantSortRole = Qt::UserRole;

class PlantTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Takes `rows` in one pass: the same devices in the same places only have
  // their cells redrawn; any other list replaces the table.
  void setRows(std::vector<plant::PlantDevice> rows);
  const std::vector<plant::PlantDevice>& rows() const { return rows_; }
  std::optional<int> rowOf(PlantKey key) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<plant::PlantDevice> rows_;
  std::unordered_map<PlantKey, int> rowOf_;
};

// Which devices the status filter lets through.
enum class HealthFilter : std::uint8_t { All, NotOk, Failure, MaintenanceRequired };

class PlantFilterModel : public QSortFilterProxyModel {
 public:
  explicit PlantFilterModel(QObject* parent = nullptr);

  // Rows with `text` in any column, case aside; all rows for "".
  void setText(const QString& text);
  void setHealth(HealthFilter health);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  QString text_;
  HealthFilter health_ = HealthFilter::All;
};

}  // namespace zolin6::desktop
