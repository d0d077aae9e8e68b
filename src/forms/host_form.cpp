// The control host's own controls: the function tree, the page frames in the
// order HideAllPages hides them, the buttons below the pages, the status bar
// and the nine timers.

#include "forms/form_design.h"

#include <iterator>

namespace zolin6::forms {

namespace {

// The page stack, in hiding order. Only frmInfo is visible when the control
// is created, so the information page is what the user sees first; the four
// off-line frames are never shown.
constexpr std::string_view kPageFrames[] = {
    "frmConf_Range",
    "frmConfHART",
    "frmConfLCD",
    "frmDiagnosis",
    "frmInfo",
    "frmInfoHart",
    "frmInfoSensor",
    "frmLoopTest",
    "frmMaintenance",
    "frmObserve",
    "frmConfLocalTemp",
    "frmChannelSensor",
    "frmTrimCurrent",
    "frmTrim",
    "frmSensorTrim",
    "frmSpecialFunction",
    "frmSensorTrimMenu",
    "frmOffLineChannelSensor",
    "frmOffLineConfRange",
    "frmOffLineConfLocalTemp",
    "frmOffLineConfLCD",
    "frmTrimCurrentChannel",
    "frmFactoryTrim",
};

// Timers in the order in which ties are fired when two fall due together.
constexpr std::string_view kTimers[] = {
    "TimerInit",
    "TimerReadAfterWrite",
    "TimerObserve",
    "TimerReadStatus",
    "TimerDiagTemperature",
    "TimerReadCurrent",
    "TimerReadCalTemperature",
    "TimerReadCalTempSensor",
    "TimerMonitSpecificVar",
};

}  // namespace

const std::vector<std::string_view>& PageFrames() {
  static const std::vector<std::string_view> frames(std::begin(kPageFrames), std::end(kPageFrames));
  return frames;
}

const std::vector<std::string_view>& TimerNames() {
  static const std::vector<std::string_view> timers(std::begin(kTimers), std::end(kTimers));
  return timers;
}

std::span<const std::string_view> PollingTimerNames() {
  // The two one-shot timers that start the control's reads come first.
  return std::span<const std::string_view>(kTimers).subspan(2);
}

std::vector<ControlDesign> HostControls() {
  std::vector<ControlDesign> controls;
  controls.push_back({.kind = Kind::Frame, .name = "frmTreeView"});
  controls.push_back({.kind = Kind::TreeView, .name = "TreeView", .parent = "frmTreeView"});
  for (std::string_view frame : kPageFrames) {
    controls.push_back({.kind = Kind::Frame, .name = frame, .visible = frame == "frmInfo"});
  }
  // The Write button is enabled by the first read and by the pages that write.
  controls.push_back({.kind = Kind::CommandButton,
                      .name = "cmdWriteParameter",
                      .caption = "Write",
                      .row = 0,
                      .column = 0,
                      .enabled = false});
  controls.push_back({.kind = Kind::CommandButton, .name = "cmdSave", .caption = "Save", .row = 0, .column = 1});
  controls.push_back(
      {.kind = Kind::CommandButton, .name = "cmdBack", .caption = "Back", .row = 0, .column = 2, .enabled = false});
  controls.push_back({.kind = Kind::StatusBar, .name = "StatusBar", .caption = "Disconnected"});
  // TimerInit is enabled at design time but inert until its interval is set;
  // every other timer starts disabled. All intervals start at 0.
  for (std::string_view timer : kTimers) {
    controls.push_back({.kind = Kind::Timer, .name = timer, .enabled = timer == "TimerInit"});
  }
  return controls;
}

}  // namespace zolin6::forms
