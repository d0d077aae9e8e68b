#pragma once
// The plant view over the program's own parts: the survey of src/plant
// (the code `zolin6 --survey` runs) and the plant list in the device
// history's worker.

#include <QObject>

#include <memory>

#include "desktop/plant_sources.h"
#include "history/history_worker.h"
#include "plant/plant_file.h"

namespace zolin6::plant {
class Survey;
}  // namespace zolin6::plant

namespace zolin6::desktop {

// Surveys on the window's event loop; the plant file is read off it.
class SurveyScanner : public QObject, public PlantScanner {
 public:
  SurveyScanner();
  ~SurveyScanner() override;

  void survey(const std::string& path, PlantRows rows, PlantScanEvents events) override;
  // Without a plant file, over the endpoints the rows name.
  void refresh(PlantRows rows, PlantScanEvents events) override;
  void cancel() override;

 private:
  void start(std::vector<plant::PlantEndpoint> endpoints, PlantRows rows, bool surveying);
  void finished(bool cancelled);

  std::unique_ptr<plant::Survey> survey_;  // the run under way or the last one
  PlantScanEvents events_;
  bool reading_ = false;    // the plant file is being read
  bool cancelled_ = false;  // Cancel came while it was
};

class HistoryPlantList : public PlantListStore {
 public:
  explicit HistoryPlantList(history::HistoryWorker& worker) : worker_(worker) {}

  void load(std::function<void(const Result<PlantRows>& rows)> loaded) override;
  void save(PlantRows rows, std::function<void(const Result<bool>& saved)> saved) override;

 private:
  history::HistoryWorker& worker_;
};

}  // namespace zolin6::desktop
