// The tab controls: each tab records itself in sPage and sSubPage and, except
// on the loop-test page, sends the read that fills it and starts or stops its
// polling timer.

#include <array>
#include <string>
#include <string_view>

#include "host/activity.h"
#include "host/user_cntrl.h"
#include "monitoring/monitored_variables.h"
#include "navigation/page_names.h"
#include "platform/channels.h"

namespace zolin6 {

namespace {

bool IsSensorTab(int tab) { return tab >= 0 && tab < kChannels; }

// A tab of the diagnosis or the observation page.
struct LiveTab {
  std::string_view readCode;  // read sent at once
  std::string_view subPage;   // new sSubPage
  bool writeEnabled;          // state of cmdWriteParameter (diagnosis only)
  std::string_view timer;     // polling timer started; empty for none
  int interval;               // its interval in ms
};

constexpr std::array<LiveTab, 4> kDiagnosisTabs{{
    {"25", "Device Status", false, "TimerReadStatus", 5000},
    {"25", "Specific Status", false, "TimerReadStatus", 5000},
    {"26", "Change Counter", false, "", 0},
    // The temperature tab's timer has nothing to do on its ticks; the
    // extremes are read once, here.
    {"27", "Diag Temperature", true, "TimerDiagTemperature", 3000},
}};

constexpr std::array<LiveTab, 2> kObserveTabs{{
    {"24", "Monit", false, "TimerObserve", 5000},
    {"32", "Specific Var", false, "TimerMonitSpecificVar", 5000},
}};

template <std::size_t N>
const LiveTab* TabEntry(const std::array<LiveTab, N>& table, int tab) {
  if (tab < 0 || tab >= static_cast<int>(N)) return nullptr;
  return &table[static_cast<std::size_t>(tab)];
}

}  // namespace

void UserCntrl::SSTabInfoSensor_Click() {
  // Every tab names the page "Info Sensor 1", which no re-read after a write
  // knows: this page is read-only.
  s_.sPage = "Info Sensor 1";
  const int tab = tabs("SSTabInfoSensor").tab();
  if (!IsSensorTab(tab)) return;
  s_.sSubPage = "Info Sensor " + std::to_string(tab + 1);
  const std::string readCode = std::to_string(tab + 3);
  s_.sRequestDoc = DocXML(NoneAttributes());
  // The code goes straight to the driver; sReadCode keeps its value.
  if (!SendRead(readCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::SSTabConfSensor_Click() {
  s_.sRequestDoc = DocXML(NoneAttributes());
  s_.sReadCode = "0";
  s_.sPage = "Channel Sensor";
  const int tab = tabs("SSTabConfSensor").tab();
  if (IsSensorTab(tab)) {
    s_.sReadCode = std::to_string(tab + 10);
    s_.sSubPage = "Sensor " + std::to_string(tab + 1);
  } else if (tab == kChannels) {
    // The "Others" tab holds the sensor parameters, which have a read of
    // their own.
    s_.sReadCode = "33";
    s_.sSubPage = "Sensor Others";
  }
  if (s_.sReadCode == "0") return;
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::SSTabSensorRange_Click() {
  // A unit change is answered on the tab it was made on; once the user
  // moves on, a code 11 is about a unit again, not the backup mode.
  s_.bUnitChanged = false;
  s_.sPage = "Range Sensor";
  const int tab = tabs("SSTabSensorRange").tab();
  if (!IsSensorTab(tab)) return;
  s_.sSubPage = "Sensor " + std::to_string(tab + 1);
  const std::string readCode = std::to_string(tab + 18);
  s_.sRequestDoc = DocXML(NoneAttributes());
  if (!SendRead(readCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::SSTabDiagnosis_Click() {
  s_.sRequestDoc = DocXML(NoneAttributes());
  s_.sReadCode = "0";
  StopPolling();
  s_.sPage = "Diagnosis";
  const LiveTab* entry = TabEntry(kDiagnosisTabs, tabs("SSTabDiagnosis").tab());
  if (entry == nullptr) return;
  s_.sReadCode = entry->readCode;
  s_.sSubPage = entry->subPage;
  button("cmdWriteParameter").setEnabled(entry->writeEnabled);
  if (!entry->timer.empty()) {
    timer(entry->timer).setInterval(entry->interval);
    timer(entry->timer).setEnabled(true);
  }
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::SSTabObserve_Click() {
  s_.sRequestDoc = DocXML(NoneAttributes());
  s_.sReadCode = "0";
  StopPolling();
  s_.sPage = "Observe";
  const int tab = tabs("SSTabObserve").tab();
  const LiveTab* entry = TabEntry(kObserveTabs, tab);
  if (entry == nullptr) return;
  s_.sReadCode = entry->readCode;
  s_.sSubPage = entry->subPage;
  // The specific-variables tab sends the codes of the eight chosen variables.
  s_.sRequestDoc = DocXML(tab == 1 ? monitoring::MonitoredVariableAttributes(form_) : NoneAttributes());
  timer(entry->timer).setInterval(entry->interval);
  timer(entry->timer).setEnabled(true);
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
}

void UserCntrl::SSTabLoopTest_Click() {
  // Only the page name changes: the current is forced by Write and released
  // by Back or the tree, never by a change of tab.
  const int tab = tabs("SSTabLoopTest").tab();
  if (tab >= 0 && tab < kChannels) s_.sPage = navigation::PageName({navigation::ProcedureKind::kLoopTest, tab + 1});
}

}  // namespace zolin6
