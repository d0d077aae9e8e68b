#pragma once
// The plant survey: every endpoint of the plant file visited, a few at a
// time, each over the transport its address names (HART-IP or a serial
// modem) with one session at a time, and the devices found merged into the
// plant's rows. Runs on the thread it is made on, through its event loop:
// nothing here waits.
//
// Merging: a device found again (same manufacturer, device type and device
// id, wherever it is reached) has its row brought up to date; a new device
// gets a row; a device of an endpoint that was visited but not found keeps
// its row, not answering, with the time it was last seen.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "plant/endpoint_survey.h"
#include "plant/plant_file.h"
#include "plant/plant_row.h"
#include "platform/toolkit/clock.h"

namespace zolin6::transport {
class EventLoopClock;
}

namespace zolin6::plant {

// At most this many endpoints are surveyed at once.
inline constexpr int kDefaultEndpointsAtOnce = 4;

// How the last visit of one endpoint went.
struct EndpointOutcome {
  std::string endpoint;
  bool visited = false;  // false: not visited in this run (cancelled before)
  bool reached = false;
  std::string why;  // when not reached: "HART-IP 10.0.0.5:5094: connection refused"
  int devices = 0;  // devices found (or answering a refresh) there
};

struct SurveyProgress {
  int endpointsDone = 0;
  int endpointsTotal = 0;
  int devicesFound = 0;  // in this run so far
};

struct SurveyCallbacks {
  // After each endpoint.
  std::function<void(const SurveyProgress& progress)> progress;
  // Once per run, when every endpoint is done or the run was cancelled;
  // rows() and outcomes() hold the result.
  std::function<void(bool cancelled)> finished;
};

// Needs a Qt application (for its event loop) before it is made.
class Survey : public QObject {
 public:
  Survey(std::vector<PlantEndpoint> endpoints, SurveyCallbacks callbacks, int endpointsAtOnce = kDefaultEndpointsAtOnce,
         QObject* parent = nullptr);
  ~Survey() override;

  // The rows to merge with, from an earlier run or the history; replaces
  // the survey's rows. Not while running.
  void SetRows(std::vector<PlantDevice> rows);

  // Visits every endpoint and finds its devices. Does nothing while running.
  void Start();
  // Reads the status and value of every known device of the plant's
  // endpoints again. Does nothing while running.
  void Refresh();
  // Stops every visit under way and the ones not begun; finished(true).
  void Cancel();

  bool running() const { return running_; }
  // Found, merged: in the order the devices were first found.
  const std::vector<PlantDevice>& rows() const { return rows_; }
  // One per endpoint, in the plant file's order.
  const std::vector<EndpointOutcome>& outcomes() const { return outcomes_; }

 private:
  struct Visit;
  void Run(bool refresh);
  void StartNext();
  void StartVisit(std::size_t endpoint);
  void VisitDone(std::size_t endpoint, const EndpointReport& report);
  void Merge(std::size_t endpoint, const EndpointReport& report);
  void Retire(std::size_t endpoint);
  void Finish(bool cancelled);

  std::vector<PlantEndpoint> endpoints_;
  SurveyCallbacks callbacks_;
  int endpointsAtOnce_;
  toolkit::Clock clock_;
  std::unique_ptr<transport::EventLoopClock> ticker_;
  std::vector<PlantDevice> rows_;
  std::unordered_map<std::uint64_t, std::size_t> rowOf_;  // device key -> index in rows_
  // Sub-devices' routes from the last survey, by device key.
  std::unordered_map<std::uint64_t, hart::SubDeviceIdentity> routes_;
  std::unordered_set<std::uint64_t> seen_;  // devices found in this run
  // A refresh's known devices by endpoint.
  std::unordered_map<std::string, std::vector<SurveyedDevice>> known_;
  std::vector<EndpointOutcome> outcomes_;
  std::vector<std::unique_ptr<Visit>> visits_;   // under way, by endpoint index (null when none)
  std::vector<std::unique_ptr<Visit>> retired_;  // done, let go of on the next turn of the event loop
  QTimer retire_;
  std::size_t nextEndpoint_ = 0;
  int underWay_ = 0;
  int done_ = 0;
  int found_ = 0;
  bool running_ = false;
  bool refresh_ = false;
  std::uint64_t run_ = 0;  // reports of an earlier run are stale
};

// The key of a device in a hash map: manufacturer, device type and id.
std::uint64_t DeviceKey(const PlantDevice& device);

}  // namespace zolin6::plant
