// The design-time description the widget model and the desktop view are
// built from: the structural rules both rely on, and a sample of where the
// per-channel fields sit and what their rows say.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "forms/form_spec.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/form.h"

namespace zolin6::forms {
namespace {

std::string IdOf(const ControlSpec& spec) {
  return std::string(spec.name) + (spec.index < 0 ? "" : "(" + std::to_string(spec.index) + ")");
}

const ControlSpec* Find(std::string_view id) {
  static const std::map<std::string, const ControlSpec*, std::less<>> byId = [] {
    std::map<std::string, const ControlSpec*, std::less<>> ids;
    for (const ControlSpec& spec : AllControls()) ids.emplace(IdOf(spec), &spec);
    return ids;
  }();
  const auto it = byId.find(id);
  return it == byId.end() ? nullptr : it->second;
}

// The control in the same container, tab and row as `on`, at `column`.
const ControlSpec* Beside(const ControlSpec& on, int column) {
  for (const ControlSpec& spec : AllControls()) {
    if (spec.parent == on.parent && spec.tab == on.tab && spec.row == on.row && spec.column == column) return &spec;
  }
  return nullptr;
}

bool IsContainer(Kind kind) { return kind == Kind::Frame || kind == Kind::PictureBox || kind == Kind::TabControl; }

int TabCount(const ControlSpec& tabControl) {
  return static_cast<int>(std::count(tabControl.caption.begin(), tabControl.caption.end(), '|')) + 1;
}

TEST(FormStructure, IdsAreUniqueAndParentsAreContainersDeclaredBeforeTheirChildren) {
  std::map<std::string, const ControlSpec*> declared;
  for (const ControlSpec& spec : AllControls()) {
    if (!spec.parent.empty()) {
      const auto parent = declared.find(std::string(spec.parent));
      ASSERT_NE(parent, declared.end()) << IdOf(spec) << " comes before its container " << spec.parent;
      EXPECT_TRUE(IsContainer(parent->second->kind)) << IdOf(spec) << " sits on " << spec.parent;
    }
    EXPECT_TRUE(declared.emplace(IdOf(spec), &spec).second) << IdOf(spec) << " twice";
  }
}

TEST(FormStructure, TabsCellsCaptionsAndArraysAreConsistent) {
  std::map<std::string, std::set<int>> usedTabs;
  std::set<std::tuple<std::string_view, int, int, int>> cells;
  std::map<std::string_view, Kind> arrayKinds;
  for (const ControlSpec& spec : AllControls()) {
    // A control on a tab control names one of its tabs; any other names none.
    const ControlSpec* parent = Find(spec.parent);
    if (parent != nullptr && parent->kind == Kind::TabControl) {
      EXPECT_TRUE(spec.tab >= 0 && spec.tab < TabCount(*parent)) << IdOf(spec);
      usedTabs[IdOf(*parent)].insert(spec.tab);
    } else {
      EXPECT_EQ(spec.tab, -1) << IdOf(spec);
    }
    // One control per cell of a page (the host's own are placed by the view).
    EXPECT_TRUE(spec.parent.empty() || cells.emplace(spec.parent, spec.tab, spec.row, spec.column).second)
        << IdOf(spec);
    // Every field has its caption on its left; the loop test's "Other" current has its option button.
    if (spec.kind == Kind::TextBox || spec.kind == Kind::ComboBox) {
      const ControlSpec* left = spec.column > 0 ? Beside(spec, spec.column - 1) : nullptr;
      EXPECT_TRUE(left && (left->kind == Kind::Label || left->kind == Kind::OptionButton)) << IdOf(spec);
    }
    EXPECT_TRUE(spec.index < 0 || arrayKinds.emplace(spec.name, spec.kind).first->second == spec.kind) << IdOf(spec);
  }
  for (const ControlSpec& spec : AllControls()) {  // no tab is left empty
    EXPECT_TRUE(spec.kind != Kind::TabControl || static_cast<int>(usedTabs[IdOf(spec)].size()) == TabCount(spec))
        << IdOf(spec);
  }
}

TEST(FormStructure, TwentyThreePageFramesInHidingOrderOnlyTheInformationPageVisible) {
  std::string declared, hidden;
  for (const ControlSpec& spec : AllControls()) {
    if (spec.kind == Kind::Frame && spec.parent.empty() && spec.name != "frmTreeView") {
      declared += IdOf(spec) + (spec.visible ? "(visible) " : " ");
    }
  }
  for (std::string_view frame : PageFrames()) {
    hidden += std::string(frame) + (Find(frame)->visible ? "(visible) " : " ");
  }
  EXPECT_EQ(declared, hidden);
  EXPECT_EQ(hidden,
            "frmConf_Range frmConfHART frmConfLCD frmDiagnosis frmInfo(visible) frmInfoHart frmInfoSensor frmLoopTest "
            "frmMaintenance frmObserve frmConfLocalTemp frmChannelSensor frmTrimCurrent frmTrim frmSensorTrim "
            "frmSpecialFunction frmSensorTrimMenu frmOffLineChannelSensor frmOffLineConfRange "
            "frmOffLineConfLocalTemp frmOffLineConfLCD frmTrimCurrentChannel frmFactoryTrim ");
  // What sits on the pages starts visible and enabled; lists and texts come from start-up and the device.
  for (const ControlSpec& spec : AllControls()) {
    if (spec.parent.empty() || spec.kind == Kind::TreeView) continue;
    EXPECT_TRUE(spec.visible && spec.enabled) << IdOf(spec);
    EXPECT_TRUE(spec.caption.empty() || (spec.kind != Kind::ComboBox && spec.kind != Kind::TextBox)) << IdOf(spec);
  }
}

// Where a control sits and what its row says: its page frame, the tab of the
// nearest tab control, its row, its own caption or else the caption beside it
// and, for a field, the label after it: "frmObserve/0 row 0 Current lbArray(116)=mA".
std::string Describe(const std::string& id) {
  const ControlSpec* spec = Find(id);
  if (spec == nullptr) return "<no " + id + ">";
  int tab = -1;
  const ControlSpec* page = spec;
  for (; page != nullptr && !page->parent.empty(); page = Find(page->parent)) {
    if (tab < 0) tab = page->tab;
  }
  std::ostringstream out;
  out << (page ? IdOf(*page) : "?") << (tab >= 0 ? "/" + std::to_string(tab) : "") << " row " << spec->row << " ";
  const ControlSpec* caption = Beside(*spec, spec->column > 0 ? spec->column - 1 : spec->column + 1);
  out << (!spec->caption.empty() || caption == nullptr ? spec->caption : caption->caption);
  const ControlSpec* unit = spec->column > 0 ? Beside(*spec, spec->column + 1) : nullptr;
  if (unit != nullptr && unit->kind == Kind::Label) out << " " << IdOf(*unit) << "=" << unit->caption;
  return out.str();
}

TEST(PageControls, PerChannelFieldsSitOnTheirChannelsTab) {
  const std::pair<const char*, const char*> sample[] = {
      // Sensor information, last row of each channel's tab.
      {"txtParameter(34)", "frmInfoSensor/0 row 7 Sensor Lower Range Value"},
      {"txtParameter(31)", "frmInfoSensor/1 row 7 Sensor Lower Range Value"},
      {"txtParameter(42)", "frmInfoSensor/2 row 0 Sensor Type"},
      {"txtParameter(45)", "frmInfoSensor/2 row 7 Sensor Lower Range Value"},
      {"txtParameter(56)", "frmInfoSensor/3 row 7 Sensor Lower Range Value"},
      {"txtParameter(66)", "frmInfoSensor/4 row 7 Sensor Lower Range Value"},
      {"txtParameter(78)", "frmInfoSensor/5 row 7 Sensor Lower Range Value"},
      // Range tabs, the upper range value; the unit combo carries the channel's index.
      {"txtParameter(40)", "frmConf_Range/0 row 3 Upper Range Value"},
      {"txtParameter(87)", "frmConf_Range/1 row 3 Upper Range Value"},
      {"txtParameter(92)", "frmConf_Range/2 row 3 Upper Range Value"},
      {"txtParameter(97)", "frmConf_Range/3 row 3 Upper Range Value"},
      {"txtParameter(130)", "frmConf_Range/4 row 3 Upper Range Value"},
      {"txtParameter(160)", "frmConf_Range/5 row 3 Upper Range Value"},
      {"cmbPVUnits(5)", "frmConf_Range/5 row 5 Unit"},
      {"cmdConfSRangeCopyAll", "frmConf_Range/0 row 7 Copy To All"},
      {"cmdChannelSensorCopyToAll", "frmChannelSensor/0 row 4 Copy To All"},
      {"cmbColdJunction(5)", "frmChannelSensor/5 row 2 Cold Junction"},
      {"txtParameter(136)", "frmChannelSensor/6 row 0 Sensor Temp High Limit lbArray(247)="},
      {"txtParameter(146)", "frmChannelSensor/6 row 9 Damping lbArray(270)=s"},
      // Loop test: each tab's "Other" current and its unit.
      {"txtParameter(76)", "frmLoopTest/0 row 6 Other lbArray(138)=mA"},
      {"txtParameter(151)", "frmLoopTest/1 row 6 Other lbArray(280)=mA"},
      {"txtParameter(153)", "frmLoopTest/2 row 6 Other lbArray(285)=mA"},
      {"txtParameter(154)", "frmLoopTest/3 row 6 Other lbArray(287)=mA"},
      {"txtParameter(155)", "frmLoopTest/4 row 6 Other lbArray(289)=mA"},
      {"txtParameter(156)", "frmLoopTest/5 row 6 Other lbArray(291)=mA"},
      {"lbArray(284)", "frmLoopTest/1 row 0 Fixed Current - Channel 2"},
      // Values and units the loaders fill elsewhere.
      {"txtParameter(105)", "frmObserve/0 row 0 Current lbArray(116)=mA"},
      {"txtParameter(86)", "frmObserve/0 row 2 PV lbArray(110)="},
      {"txtParameter(147)", "frmObserve/1 row 4 Var 5 lbArray(278)="},
      {"txtParameter(150)", "frmObserve/1 row 7 Var 8 lbArray(275)="},
      {"txtParameter(36)", "frmConfHART row 4 Device Address"},
      {"txtParameter(57)", "frmSensorTrim row 3 Temperature lbArray(49)="},
      {"txtParameter(59)", "frmSensorTrim row 4 New Value lbArray(54)="},
      {"txtParameter(158)", "frmOffLineChannelSensor row 24 Date"},
      // Lamps, in bit order on the first tab, and their legend.
      {"ShapeDiagnosis(0)", "frmDiagnosis/0 row 0 PV Out Of Limits"},
      {"ShapeDiagnosis(8)", "frmDiagnosis/0 row 0 Alarm"},
      {"ShapeDiagnosis(19)", "frmDiagnosis/1 row 0 Sensor 1 Alert"},
      {"ShapeDiagnosis(12)", "frmDiagnosis/1 row 5 Sensor 6 Alert"},
      {"ShapeDiagnosis(14)", "frmDiagnosis/1 row 7 ADC Conversion Error"},
      {"ShapeDiagnosis(23)", "frmDiagnosis/1 row 11 Sensor Backup Active"},
      {"txtParameter(125)", "frmDiagnosis/2 row 6 Van Dusen Coeff"},
      {"txtParameter(54)", "frmDiagnosis/3 row 2 Max.Local Temperature lbArray(182)="},
      {"SSTabConfSensor", "frmChannelSensor row 0 Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6|Others"},
  };
  for (const auto& [id, description] : sample) EXPECT_EQ(Describe(id), description);
  for (int k = 0; k < 6; ++k) {
    // The unit's own button shares its row.
    const ControlSpec* button = Beside(*Find("cmbPVUnits(" + std::to_string(k) + ")"), kExtraColumn);
    EXPECT_EQ(button ? IdOf(*button) : "", "cmdChangeSensorUnit(" + std::to_string(k) + ")");
  }
  EXPECT_TRUE(Find("ShapeDiagnosis(8)")->lit);
  EXPECT_FALSE(Find("ShapeDiagnosis(9)")->lit);
}

TEST(PageControls, TheWidgetModelBuildsEveryControlAsItsKind) {
  toolkit::Clock clock;
  toolkit::Form form(AllControls(), clock);
  ASSERT_EQ(form.widgets().size(), AllControls().size());
  EXPECT_NE(form.find<toolkit::TextBox>("txtParameter", 57), nullptr);
  EXPECT_NE(form.find<toolkit::ComboBox>("cmbTrimSelection"), nullptr);
  EXPECT_NE(form.find<toolkit::Shape>("ShapeDiagnosis", 22), nullptr);
  EXPECT_NE(form.find<toolkit::Frame>("PictArray", 53), nullptr);
  EXPECT_NE(form.find<toolkit::CommandButton>("CmdResetChangeCounters"), nullptr);
  EXPECT_EQ(form.get<toolkit::TabControl>("SSTabConfSensor").captions().size(), 7u);
  EXPECT_EQ(form.get<toolkit::Label>("lbArray", 270).caption(), "s");
  // Each loop test tab's options form a group of their own.
  auto& fourOnTab1 = form.get<toolkit::OptionButton>("Op4mA", 1);
  auto& fourOnTab2 = form.get<toolkit::OptionButton>("Op4mA", 2);
  form.select(fourOnTab1);
  form.select(fourOnTab2);
  form.select(form.get<toolkit::OptionButton>("Op8mA", 2));
  EXPECT_TRUE(fourOnTab1.value());
  EXPECT_FALSE(fourOnTab2.value());
}

}  // namespace
}  // namespace zolin6::forms
