#pragma once
// The design-time description of the control: every frame, picture box, tab
// control, field, label, button, lamp and timer, with its control-array
// index, caption, container and place. The headless widget model and the
// desktop window are both built from this one list, so a control exists in
// both or in neither.

#include <span>
#include <string_view>
#include <vector>

namespace zolin6::forms {

enum class Kind {
  Frame,          // a page frame or a group frame (visible, caption)
  PictureBox,     // a plain container, usually the page of one tab (visible)
  TabControl,     // tabs with captions; children name the tab they sit on
  TextBox,        // text, visible, enabled, back colour, top
  Label,          // caption, visible, top
  ComboBox,       // items, text, back colour
  CommandButton,  // caption, enabled
  OptionButton,   // caption, value; exclusive within its container and tab
  Shape,          // an indicator lamp: fill, border and back colour
  TreeView,       // the function tree
  StatusBar,      // four panels of text and picture
  Timer,          // interval, enabled
};

// Columns of a row, left to right.
inline constexpr int kCaptionColumn = 0;  // the caption label of the row
inline constexpr int kFieldColumn = 1;    // the text box or combo box
inline constexpr int kUnitColumn = 2;     // the unit label after the field
inline constexpr int kExtraColumn = 3;    // a further control on the row (a button, a combo)

struct ControlDesign {
  Kind kind;
  std::string_view name;       // control or control-array name: "txtParameter", "cmdBack"
  int index = -1;              // control-array index; -1 for a control that is not an array member
  std::string_view caption{};  // caption (labels, buttons, frames, options); initial text (text boxes);
                               // tab captions joined by '|' (tab controls)
  std::string_view parent{};   // id of the container ("frmInfo", "PictArray(0)", "SSTabObserve"); empty at top level
  int tab = -1;                // the tab a control sits on when its parent is a tab control
  int row = 0;                 // row within the container, top to bottom (also its design-time top / 375 twips)
  int column = kCaptionColumn;
  bool visible = true;    // design-time visibility; among the page frames only frmInfo is visible
  bool enabled = true;    // design-time enabled state (buttons, text boxes, timers)
  bool readOnly = false;  // a display field the user does not type into
  bool lit = false;       // lamps: on (red) at design time, as the "Alarm" lamp of a legend; off is dark blue
};

// Every control, containers before the controls they hold. The order of the
// page frames is the order in which HideAllPages hides them.
const std::vector<ControlDesign>& AllControls();

// The names of the page frames, in the order in which HideAllPages hides
// them.
const std::vector<std::string_view>& PageFrames();

// The names of the nine timers, in the order in which ticks due at the same
// moment fire.
const std::vector<std::string_view>& TimerNames();

// The seven polling timers: every timer but TimerInit and TimerReadAfterWrite,
// in the same order. StopPolling disables exactly these.
std::span<const std::string_view> PollingTimerNames();

// The controls of the control host itself (tree, status bar, buttons, timers,
// the page frames); defined in host_form.cpp.
std::vector<ControlDesign> HostControls();

// The controls inside the page frames; defined by the page descriptions.
std::vector<ControlDesign> PageControls();

}  // namespace zolin6::forms
