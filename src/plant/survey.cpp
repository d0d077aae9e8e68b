#include "plant/survey.h"

#include <QDateTime>

#include <algorithm>

#include <unordered_set>

#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::plant {

std::uint64_t DeviceKey(const PlantDevice& device) {
  constexpr unsigned kDeviceIdBits = 24;
  constexpr unsigned kTypeBits = 16;
  constexpr std::uint32_t kDeviceIdMask = 0xFFFFFF;
  return (std::uint64_t{device.manufacturer} << (kDeviceIdBits + kTypeBits)) |
         (std::uint64_t{device.deviceType} << kDeviceIdBits) | (device.deviceId & kDeviceIdMask);
}

// One endpoint's visit: its line, open while the visit lasts, and the
// survey over it.
struct Survey::Visit {
  transport::OpenedLink opened;
  std::shared_ptr<EndpointSurvey> survey;
  std::string lastReport;  // what the transport last said of itself
};

Survey::Survey(std::vector<PlantEndpoint> endpoints, SurveyCallbacks callbacks, int endpointsAtOnce, QObject* parent)
    : QObject(parent),
      endpoints_(std::move(endpoints)),
      callbacks_(std::move(callbacks)),
      endpointsAtOnce_(std::max(1, endpointsAtOnce)),
      ticker_(std::make_unique<transport::EventLoopClock>(clock_)) {
  outcomes_.resize(endpoints_.size());
  for (std::size_t i = 0; i < endpoints_.size(); ++i) outcomes_[i].endpoint = endpoints_[i].name;
  visits_.resize(endpoints_.size());
  retire_.setSingleShot(true);
  retire_.setInterval(0);
  connect(&retire_, &QTimer::timeout, this, [this] { retired_.clear(); });
}

Survey::~Survey() = default;

void Survey::SetRows(std::vector<PlantDevice> rows) {
  if (running_) return;
  rows_ = std::move(rows);
  rowOf_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) rowOf_[DeviceKey(rows_[i])] = i;
}

void Survey::Start() { Run(false); }
void Survey::Refresh() { Run(true); }

void Survey::Run(bool refresh) {
  if (running_) return;
  running_ = true;
  refresh_ = refresh;
  ++run_;
  nextEndpoint_ = 0;
  underWay_ = 0;
  done_ = 0;
  found_ = 0;
  seen_.clear();
  known_.clear();
  for (EndpointOutcome& outcome : outcomes_) {
    EndpointOutcome fresh;
    fresh.endpoint = outcome.endpoint;
    outcome = std::move(fresh);
  }
  if (refresh) {
    for (const PlantDevice& row : rows_) {
      const auto route = routes_.find(DeviceKey(row));
      known_[row.endpoint].push_back(
          {row, route == routes_.end() ? std::nullopt : std::optional<hart::SubDeviceIdentity>(route->second)});
    }
  }
  StartNext();
}

void Survey::StartNext() {
  const std::uint64_t run = run_;
  while (running_ && run == run_ && underWay_ < endpointsAtOnce_ && nextEndpoint_ < endpoints_.size()) {
    ++underWay_;
    StartVisit(nextEndpoint_++);
  }
  if (running_ && run == run_ && underWay_ == 0 && nextEndpoint_ == endpoints_.size()) Finish(false);
}

void Survey::StartVisit(std::size_t endpoint) {
  auto visit = std::make_unique<Visit>();
  Visit* raw = visit.get();
  const PlantEndpoint& where = endpoints_[endpoint];
  Result<transport::OpenedLink> opened =
      transport::OpenLink(where.target, *ticker_, [raw](const std::string& text) { raw->lastReport = text; });
  if (!opened)
    return VisitDone(
        endpoint, EndpointReport{.reached = false, .why = opened.error().message, .cancelled = false, .devices = {}});
  visit->opened = std::move(opened).value();
  visit->survey = std::make_shared<EndpointSurvey>(clock_, visit->opened.link, visit->opened.settings, where.name,
                                                   [this, endpoint, run = run_](const EndpointReport& report) {
                                                     if (run == run_ && running_) VisitDone(endpoint, report);
                                                   });
  visits_[endpoint] = std::move(visit);
  ticker_->catchUp();  // the requests' times start from now
  if (refresh_) {
    auto known = known_.find(where.name);
    raw->survey->Refresh(known == known_.end() ? std::vector<SurveyedDevice>{} : std::move(known->second));
  } else {
    raw->survey->Start();
  }
}

void Survey::Retire(std::size_t endpoint) {
  if (!visits_[endpoint]) return;
  // Let go of the line once its own handler has returned: the report may come from inside it.
  retired_.push_back(std::move(visits_[endpoint]));
  retire_.start();
}

void Survey::VisitDone(std::size_t endpoint, const EndpointReport& report) {
  EndpointOutcome& outcome = outcomes_[endpoint];
  outcome.visited = true;
  outcome.reached = report.reached;
  if (!report.reached) {
    const Visit* visit = visits_[endpoint].get();
    outcome.why = report.why;
    if (visit && !visit->lastReport.empty()) outcome.why += " (" + visit->lastReport + ")";
  }
  Retire(endpoint);
  Merge(endpoint, report);
  --underWay_;
  ++done_;
  if (callbacks_.progress) callbacks_.progress({done_, static_cast<int>(endpoints_.size()), found_});
  StartNext();
}

void Survey::Merge(std::size_t endpoint, const EndpointReport& report) {
  const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
  int answering = 0;
  for (const SurveyedDevice& device : report.devices) {
    const std::uint64_t key = DeviceKey(device.row);
    seen_.insert(key);
    if (device.identity) routes_[key] = *device.identity;
    const auto [at, added] = rowOf_.emplace(key, rows_.size());
    if (added) rows_.emplace_back();
    PlantDevice& row = rows_[at->second];
    if (device.row.answering || added) {
      row = device.row;
      row.lastSeenUtc = device.row.answering ? now : 0;
    } else {
      // What it said when it last answered stays, with when that was.
      row.answering = false;
    }
    answering += device.row.answering ? 1 : 0;
  }
  outcomes_[endpoint].devices = answering;
  found_ += answering;
}

void Survey::Cancel() {
  if (!running_) return;
  ++run_;  // what the visits still report is stale
  for (std::size_t i = 0; i < visits_.size(); ++i) {
    if (!visits_[i]) continue;
    visits_[i]->survey->Cancel();
    Retire(i);
  }
  Finish(true);
}

void Survey::Finish(bool cancelled) {
  running_ = false;
  // A device of an endpoint visited in this run that was not found there is not answering.
  std::unordered_set<std::string> visited;
  for (const EndpointOutcome& outcome : outcomes_) {
    if (outcome.visited) visited.insert(outcome.endpoint);
  }
  for (PlantDevice& row : rows_) {
    if (visited.contains(row.endpoint) && !seen_.contains(DeviceKey(row))) row.answering = false;
  }
  if (callbacks_.finished) callbacks_.finished(cancelled);
}

}  // namespace zolin6::plant
