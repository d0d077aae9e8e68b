// The polling timers that repeat reads while live data is on screen. The
// tree, the tabs and the procedures start them; StopPolling stops them all.

#include <array>
#include <optional>
#include <string_view>

#include "codecs/enumerated.h"
#include "forms/form_design.h"
#include "host/activity.h"
#include "host/user_cntrl.h"
#include "monitoring/monitored_variables.h"

namespace zolin6 {

namespace {

// The request document a tick sends: nullopt keeps the one the last request
// built.
using DocumentBuilder = std::optional<Attributes> (*)(const toolkit::Form&);

std::optional<Attributes> CurrentDocument(const toolkit::Form&) { return std::nullopt; }

std::optional<Attributes> NoneDocument(const toolkit::Form&) { return NoneAttributes(); }

// Read afresh on every tick, so a new choice counts from the next one.
std::optional<Attributes> MonitoredVariables(const toolkit::Form& form) {
  return monitoring::MonitoredVariableAttributes(form);
}

}  // namespace

namespace monitoring {

Attributes MonitoredVariableAttributes(const toolkit::Form& form) {
  constexpr int kMonitoredVariables = 8;
  Attributes attributes = NoneAttributes();
  for (int i = 0; i < kMonitoredVariables; ++i) {
    const std::string& chosen = form.get<toolkit::ComboBox>("cmbVar" + std::to_string(i + 1)).text();
    attributes[static_cast<std::size_t>(i)] = codecs::GetMonitorVariableCode(chosen);
  }
  return attributes;
}

}  // namespace monitoring

namespace {

struct PollingTimer {
  std::string_view timer;     // timer control
  std::string_view readCode;  // read sent on every tick
  DocumentBuilder document;   // the request document of the tick
  int nextInterval;           // interval set by the tick itself in ms; 0 leaves it
};

// The observation and status ticks pass the document the last request built
// (22 times "None" after the tab or tree click that started them), as the
// product always has; only the ticks that need a document build one.
//
// TimerDiagTemperature has no entry: the diagnosis tab starts it, but the
// extremes are read once when the tab is chosen and its ticks do nothing.
// It is kept, idle, so that StopPolling and the tab treat it like the others.
//
// The loop current is first re-read 1 s after the trim step that starts the
// timer, then every 3 s.
constexpr std::array<PollingTimer, 6> kPollingTimers{{
    {"TimerObserve", "24", CurrentDocument, 0},
    {"TimerMonitSpecificVar", "32", MonitoredVariables, 0},
    {"TimerReadStatus", "25", CurrentDocument, 0},
    {"TimerReadCurrent", "28", NoneDocument, 3000},
    {"TimerReadCalTemperature", "29", NoneDocument, 0},
    {"TimerReadCalTempSensor", "31", NoneDocument, 0},
}};

}  // namespace

void UserCntrl::WireMonitoring() {
  for (std::size_t entry = 0; entry < kPollingTimers.size(); ++entry) {
    timer(kPollingTimers[entry].timer).onTick([this, entry] { PollingTimer_Timer(entry); });
  }
}

void UserCntrl::PollingTimer_Timer(std::size_t entry) {
  const PollingTimer& polling = kPollingTimers.at(entry);
  // Without the device the ticks go on silently, so the reads resume by
  // themselves when it comes back.
  if (s_.sConnState != "Connected") return;
  if (std::optional<Attributes> attributes = polling.document(form_)) s_.sRequestDoc = DocXML(*attributes);
  if (polling.nextInterval != 0) timer(polling.timer).setInterval(polling.nextInterval);
  s_.sReadCode = polling.readCode;
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::StopPolling() {
  for (std::string_view name : forms::PollingTimerNames()) timer(name).setEnabled(false);
}

}  // namespace zolin6
