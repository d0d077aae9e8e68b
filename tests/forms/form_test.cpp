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

#include "forms/form_design.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/form.h"

namespace zolin6::forms {
namespace {

std::string IdOf(const ControlDesign& design) {
  return std::string(design.name) + (design.index < 0 ? "" : "(" + std::to_string(design.index) + ")");
}

const ControlDesign* Find(std::string_view id) {
  static const std::map<std::string, const ControlDesign*, std::less<>> byId = [] {
    std::map<std::string, const ControlDesign*, std::less<>> ids;
    for (const ControlDesign& design : AllControls()) ids.emplace(IdOf(design), &design);
    return ids;
  }();
  const auto it = byId.find(id);
  return it == byId.end() ? nullptr : it->second;
}

// The control in the same container, tab and row as `on`, at `column`.
const ControlDesign* Beside(const ControlDesign& on, int column) {
  for (const ControlDesign& design : AllControls()) {
    if (design.parent == on.parent && design.tab == on.tab && design.row == on.row && design.column == column)
      return &design;
  }
  return nullptr;
}

bool IsContainer(Kind kind) { return kind == Kind::Frame || kind == Kind::PictureBox || kind == Kind::TabControl; }

int TabCount(const ControlDesign& tabControl) {
  return static_cast<int>(std::count(tabControl.caption.begin(), tabControl.caption.end(), '|')) + 1;
}

TEST(FormStructure, IdsAreUniqueAndParentsAreContainersDeclaredBeforeTheirChildren) {
  std::map<std::string, const ControlDesign*> declared;
  for (const ControlDesign& design : AllControls()) {
    if (!design.parent.empty()) {
      const auto parent = declared.find(std::string(design.parent));
      ASSERT_NE(parent, declared.end()) << IdOf(design) << " comes before its container " << design.parent;
      EXPECT_TRUE(IsContainer(parent->second->kind)) << IdOf(design) << " sits on " << design.parent;
    }
    EXPECT_TRUE(declared.emplace(IdOf(design), &design).second) << IdOf(design) << " twice";
  }
}

TEST(FormStructure, TabsCellsCaptionsAndArraysAreConsistent) {
  std::map<std::string, std::set<int>> usedTabs;
  std::set<std::tuple<std::string_view, int, int, int>> cells;
  std::map<std::string_view, Kind> arrayKinds;
  for (const ControlDesign& design : AllControls()) {
    // A control on a tab control names one of its tabs; any other names none.
    const ControlDesign* parent = Find(design.parent);
    if (parent != nullptr && parent->kind == Kind::TabControl) {
      EXPECT_TRUE(design.tab >= 0 && design.tab < TabCount(*parent)) << IdOf(design);
      usedTabs[IdOf(*parent)].insert(design.tab);
    } else {
      EXPECT_EQ(design.tab, -1) << IdOf(design);
    }
    // One control per cell of a page (the host's own are placed by the view).
    EXPECT_TRUE(design.parent.empty() || cells.emplace(design.parent, design.tab, design.row, design.column).second)
        << IdOf(design);
    // Every field has its caption on its left; the loop test's "Other" current has its option button.
    if (design.kind == Kind::TextBox || design.kind == Kind::ComboBox) {
      const ControlDesign* left = design.column > 0 ? Beside(design, design.column - 1) : nullptr;
      EXPECT_TRUE(left && (left->kind == Kind::Label || left->kind == Kind::OptionButton)) << IdOf(design);
    }
    EXPECT_TRUE(design.index < 0 || arrayKinds.emplace(design.name, design.kind).first->second == design.kind)
        << IdOf(design);
  }
  for (const ControlDesign& design : AllControls()) {  // no tab is left empty
    EXPECT_TRUE(design.kind != Kind::TabControl || static_cast<int>(usedTabs[IdOf(design)].size()) == TabCount(design))
        << IdOf(design);
  }
}

TEST(FormStructure, TwentyThreePageFramesInHidingOrderOnlyTheInformationPageVisible) {
  std::string declared, hidden;
  for (const ControlDesign& design : AllControls()) {
    if (design.kind == Kind::Frame && design.parent.empty() && design.name != "frmTreeView") {
      declared += IdOf(design) + (design.visible ? "(visible) " : " ");
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
  for (const ControlDesign& design : AllControls()) {
    if (design.parent.empty() || design.kind == Kind::TreeView) continue;
    EXPECT_TRUE(design.visible && design.enabled) << IdOf(design);
    EXPECT_TRUE(design.caption.empty() || (design.kind != Kind::ComboBox && design.kind != Kind::TextBox))
        << IdOf(design);
  }
}

// Where a control sits and what its row says: its page frame, the tab of the
// nearest tab control, its row, its own caption or else the caption beside it
// and, for a field, the label after it: "frmObserve/0 row 0 Current lbArray(116)=mA".
std::string Describe(const std::string& id) {
  const ControlDesign* design = Find(id);
  if (design == nullptr) return "<no " + id + ">";
  int tab = -1;
  const ControlDesign* page = design;
  for (; page != nullptr && !page->parent.empty(); page = Find(page->parent)) {
    if (tab < 0) tab = page->tab;
  }
  std::ostringstream out;
  out << (page ? IdOf(*page) : "?") << (tab >= 0 ? "/" + std::to_string(tab) : "") << " row " << design->row << " ";
  const ControlDesign* caption = Beside(*design, design->column > 0 ? design->column - 1 : design->column + 1);
  out << (!design->caption.empty() || caption == nullptr ? design->caption : caption->caption);
  const ControlDesign* unit = design->column > 0 ? Beside(*design, design->column + 1) : nullptr;
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
    const ControlDesign* button = Beside(*Find("cmbPVUnits(" + std::to_string(k) + ")"), kExtraColumn);
    EXPECT_EQ(button ? IdOf(*button) : "", "cmdChangeSensorUnit(" + std::to_string(k) + ")");
  }
  EXPECT_TRUE(Find("ShapeDiagnosis(8)")->lit);
  EXPECT_FALSE(Find("ShapeDiagnosis(9)")->lit);
}

TEST(PageControls, TheWidgetModelBuildsEveryControlAsItsKind) {
  toolkit::Clock clock;
  toolkit::Form form(AllControls(), clock);
  // The kinds the pages use are reached through them; a picture box is a frame.
  ASSERT_EQ(form.widgets().size(), AllControls().size());
  EXPECT_NE(form.find<toolkit::Frame>("PictArray", 53), nullptr);
  EXPECT_EQ(form.get<toolkit::TabControl>("SSTabConfSensor").captions().size(), 7u);
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
