#include "desktop/plant_backends.h"

#include <memory>
#include <unordered_set>

#include "desktop/background_write.h"
#include "plant/survey.h"

namespace zolin6::desktop {

namespace {

using Endpoints = std::vector<plant::PlantEndpoint>;

// Reads the plant file on a worker thread; `read` runs on `owner`'s thread
// unless `owner` is gone by then.
void ReadInBackground(QObject* owner, std::string path, std::function<void(const Result<Endpoints>& read)> done) {
  auto read = std::make_shared<Result<Endpoints>>(Endpoints{});
  RunInBackground(
      owner, [read, path = std::move(path)] { *read = plant::ReadPlantFile(path); },
      [read, done = std::move(done)] { done(*read); });
}

// The endpoints the rows name, each once, in the order they first come.
Result<Endpoints> EndpointsOf(const PlantRows& rows) {
  Endpoints endpoints;
  std::unordered_set<std::string> named;
  for (const plant::PlantDevice& device : rows) {
    if (!named.insert(device.endpoint).second) continue;
    Result<transport::ConnectionTarget> target = transport::ParseConnection(device.endpoint);
    if (!target) return Error{device.endpoint + ": " + target.error().message};
    endpoints.push_back({device.endpoint, *target});
  }
  return endpoints;
}

}  // namespace

SurveyScanner::SurveyScanner() = default;
SurveyScanner::~SurveyScanner() = default;

void SurveyScanner::survey(const std::string& path, PlantRows rows, PlantScanEvents events) {
  events_ = std::move(events);
  reading_ = true;
  cancelled_ = false;
  ReadInBackground(this, path, [this, rows = std::move(rows)](const Result<Endpoints>& endpoints) mutable {
    reading_ = false;
    if (!endpoints || cancelled_) {
      events_.done(cancelled_ ? Error{"cancelled"} : endpoints.error());
      return;
    }
    start(*endpoints, std::move(rows), true);
  });
}

void SurveyScanner::refresh(PlantRows rows, PlantScanEvents events) {
  events_ = std::move(events);
  Result<Endpoints> endpoints = EndpointsOf(rows);
  if (!endpoints) {
    events_.done(endpoints.error());
    return;
  }
  start(*endpoints, std::move(rows), false);
}

void SurveyScanner::cancel() {
  if (reading_) cancelled_ = true;
  if (survey_ && survey_->running()) survey_->Cancel();
}

void SurveyScanner::start(std::vector<plant::PlantEndpoint> endpoints, PlantRows rows, bool surveying) {
  plant::SurveyCallbacks callbacks{[this](const plant::SurveyProgress& progress) {
                                     if (events_.progress) {
                                       events_.progress(static_cast<std::size_t>(progress.endpointsDone),
                                                        static_cast<std::size_t>(progress.endpointsTotal));
                                     }
                                   },
                                   [this](bool cancelled) { finished(cancelled); }};
  // The run before is over (the window starts one at a time): its survey goes.
  survey_ = std::make_unique<plant::Survey>(std::move(endpoints), std::move(callbacks));
  survey_->SetRows(std::move(rows));
  surveying ? survey_->Start() : survey_->Refresh();
}

void SurveyScanner::finished(bool cancelled) {
  if (cancelled) {
    events_.done(Error{"cancelled"});
    return;
  }
  events_.done(survey_->rows());
}

void HistoryPlantList::load(std::function<void(const Result<PlantRows>& rows)> loaded) {
  worker_.LoadPlant(std::move(loaded));
}

void HistoryPlantList::save(PlantRows rows, std::function<void(const Result<bool>& saved)> saved) {
  worker_.SavePlant(std::move(rows), std::move(saved));
}

}  // namespace zolin6::desktop
