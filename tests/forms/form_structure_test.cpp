// Structural rules of the design-time description that the widget model and
// the desktop view rely on: unique ids, containers before their children,
// one control per cell, tabs that exist, and the exact page stack.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "control_index.h"
#include "forms/form_spec.h"

namespace zolin6::forms {
namespace {

using testing::IdOf;

const std::vector<ControlSpec>& Controls() { return AllControls(); }

bool IsContainer(Kind kind) { return kind == Kind::Frame || kind == Kind::PictureBox || kind == Kind::TabControl; }

int TabCount(const ControlSpec& tabControl) {
  return static_cast<int>(std::count(tabControl.caption.begin(), tabControl.caption.end(), '|')) + 1;
}

TEST(FormStructure, IdsAreUnique) {
  std::set<std::string> seen;
  for (const ControlSpec& spec : Controls()) EXPECT_TRUE(seen.insert(IdOf(spec)).second) << IdOf(spec);
}

TEST(FormStructure, EveryParentIsAContainerDeclaredBeforeItsChildren) {
  std::map<std::string, const ControlSpec*> declared;
  for (const ControlSpec& spec : Controls()) {
    if (!spec.parent.empty()) {
      auto parent = declared.find(std::string(spec.parent));
      ASSERT_NE(parent, declared.end()) << IdOf(spec) << " comes before its container " << spec.parent;
      EXPECT_TRUE(IsContainer(parent->second->kind)) << IdOf(spec) << " sits on " << spec.parent;
    }
    declared.emplace(IdOf(spec), &spec);
  }
}

TEST(FormStructure, ControlsOnTabControlsNameAnExistingTabAndOthersNone) {
  testing::ControlIndex index(Controls());
  std::map<std::string, std::set<int>> usedTabs;
  for (const ControlSpec& spec : Controls()) {
    const ControlSpec* parent = index.find(spec.parent);
    if (parent != nullptr && parent->kind == Kind::TabControl) {
      EXPECT_GE(spec.tab, 0) << IdOf(spec);
      EXPECT_LT(spec.tab, TabCount(*parent)) << IdOf(spec);
      usedTabs[std::string(spec.parent)].insert(spec.tab);
    } else {
      EXPECT_EQ(spec.tab, -1) << IdOf(spec);
    }
  }
  // No tab is left empty.
  for (const ControlSpec& spec : Controls()) {
    if (spec.kind == Kind::TabControl) {
      EXPECT_EQ(static_cast<int>(usedTabs[IdOf(spec)].size()), TabCount(spec)) << IdOf(spec);
    }
  }
}

TEST(FormStructure, NoTwoControlsOnAPageShareACell) {
  std::set<std::tuple<std::string_view, int, int, int>> cells;
  for (const ControlSpec& spec : Controls()) {
    if (spec.parent.empty()) continue;  // the host's own controls are placed by the view
    EXPECT_TRUE(cells.emplace(spec.parent, spec.tab, spec.row, spec.column).second)
        << IdOf(spec) << " at row " << spec.row << ", column " << spec.column << " of " << spec.parent;
  }
}

TEST(FormStructure, EveryFieldHasACaptionOnItsLeft) {
  testing::ControlIndex index(Controls());
  for (const ControlSpec& spec : Controls()) {
    if (spec.kind != Kind::TextBox && spec.kind != Kind::ComboBox) continue;
    ASSERT_GT(spec.column, kCaptionColumn) << IdOf(spec);
    const ControlSpec* left = index.beside(spec, spec.column - 1);
    ASSERT_NE(left, nullptr) << IdOf(spec);
    // The "Other" current of the loop test is captioned by its option button.
    EXPECT_TRUE(left->kind == Kind::Label || left->kind == Kind::OptionButton) << IdOf(spec);
  }
}

TEST(FormStructure, MembersOfAControlArrayAreOfOneKind) {
  std::map<std::string_view, Kind> kinds;
  for (const ControlSpec& spec : Controls()) {
    if (spec.index < 0) continue;
    auto [it, first] = kinds.emplace(spec.name, spec.kind);
    EXPECT_TRUE(first || it->second == spec.kind) << IdOf(spec);
  }
}

TEST(FormStructure, ThePageStackIsTheTwentyThreeFramesInHidingOrder) {
  const std::vector<std::string> expected = {
      "frmConf_Range",     "frmConfHART",         "frmConfLCD",       "frmDiagnosis",
      "frmInfo",           "frmInfoHart",         "frmInfoSensor",    "frmLoopTest",
      "frmMaintenance",    "frmObserve",          "frmConfLocalTemp", "frmChannelSensor",
      "frmTrimCurrent",    "frmTrim",             "frmSensorTrim",    "frmSpecialFunction",
      "frmSensorTrimMenu", "frmOffLineChannelSensor", "frmOffLineConfRange", "frmOffLineConfLocalTemp",
      "frmOffLineConfLCD", "frmTrimCurrentChannel", "frmFactoryTrim",
  };
  std::vector<std::string> pages;
  for (const ControlSpec& spec : Controls()) {
    if (spec.kind == Kind::Frame && spec.parent.empty() && spec.name != "frmTreeView") {
      pages.push_back(IdOf(spec));
      EXPECT_EQ(spec.visible, spec.name == "frmInfo") << IdOf(spec);
    }
  }
  EXPECT_EQ(pages, expected);
}

TEST(FormStructure, PageContentsStartVisibleEnabledAndFieldsEmpty) {
  for (const ControlSpec& spec : Controls()) {
    if (spec.parent.empty() || spec.name == "TreeView") continue;
    EXPECT_TRUE(spec.visible) << IdOf(spec);
    EXPECT_TRUE(spec.enabled) << IdOf(spec);
    // The lists and texts come from start-up and from the device.
    if (spec.kind == Kind::ComboBox || spec.kind == Kind::TextBox) {
      EXPECT_TRUE(spec.caption.empty()) << IdOf(spec);
    }
  }
}

}  // namespace
}  // namespace zolin6::forms
