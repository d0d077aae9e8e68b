#pragma once
// What the plant view asks of the rest of the program: the survey across
// the plant's endpoints, the plant list kept in the device history, and the
// window's way to a device. Each answer comes later on the window's thread:
// the view never waits for a network or a database.

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "plant/plant_row.h"
#include "platform/result.h"

namespace zolin6::desktop {

using PlantRows = std::vector<plant::PlantDevice>;

struct PlantScanEvents {
  // `done` of `total` endpoints (survey) or devices (refresh) asked so far.
  std::function<void(std::size_t done, std::size_t total)> progress;
  // The list found; an error names what failed, or says it was cancelled.
  std::function<void(const Result<PlantRows>& rows)> done;
};

class PlantScanner {
 public:
  virtual ~PlantScanner() = default;
  // Finds every device behind the endpoints the plant file at `path`
  // names, merged into `rows` (a device found again keeps its row).
  virtual void survey(const std::string& path, PlantRows rows, PlantScanEvents events) = 0;
  // Asks the devices of `rows` again how they are and what they measure.
  virtual void refresh(PlantRows rows, PlantScanEvents events) = 0;
  // Stops what runs; its `done` still comes.
  virtual void cancel() = 0;
};

// The plant list in the device history, shared by the stations that share it.
class PlantListStore {
 public:
  virtual ~PlantListStore() = default;
  virtual void load(std::function<void(const Result<PlantRows>& rows)> loaded) = 0;
  virtual void save(PlantRows rows, std::function<void(const Result<bool>& saved)> saved) = 0;
};

struct PlantActions {
  // Connects the window to the device at a connection text (`ConnectionText`).
  std::function<void(const QString& connection)> openDevice;
  // Opens the History window on this device's records.
  std::function<void(const plant::PlantDevice& device)> showHistory;
};

}  // namespace zolin6::desktop
