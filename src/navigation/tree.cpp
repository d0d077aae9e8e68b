// The function tree and the page stack: building the tree, hiding the pages,
// and what a click on a node shows and reads.

#include <algorithm>
#include <array>
#include <string_view>

#include "forms/form_design.h"
#include "host/activity.h"
#include "host/user_cntrl.h"
#include "navigation/release.h"

namespace zolin6 {

namespace {

// The fourteen nodes, in insertion order; a node's position (from 1) is the
// index by which later nodes name it as their parent.
struct TreeEntry {
  int parent;                 // index of the parent node, 0 at the root
  std::string_view text;      // the configuration leaves differ from the information leaves by a leading blank
  std::string_view imageKey;  // key in the image list imlicons
};
constexpr std::array<TreeEntry, 14> kTree{{
    {0, "OnLine Parameterize", "window_list"},
    {0, "Observe", "window_list"},
    {0, "Diagnosis", "window_list"},
    {1, "Information", "forward2"},
    {4, "HART", "konqueror8"},
    {4, "Sensor", "konqueror8"},
    {1, "Configuration", "forward2"},
    {7, " Sensor", "konqueror8"},
    {7, "Special Function", "konqueror8"},
    {7, "Local Temp", "konqueror8"},
    {7, "LCD", "konqueror8"},
    {7, " HART", "konqueror8"},
    {1, "TRIM", "forward2"},
    {1, "Maintenance", "forward2"},
}};

constexpr std::string_view kNodeTag = "Biblio";
constexpr std::string_view kChildRelationship = "4";

// Texts that always go to the root of the tree, in both of the product's
// languages and for both the on-line and the off-line tree.
constexpr std::array<std::string_view, 8> kRootTexts{
    "OnLine Parameterize",
    "Parametrização OnLine",
    "OffLine Parameterize",
    "Parametrização OffLine",
    "Observe",
    "Observação",
    "Diagnosis",
    "Diagnóstico",
};

// What a node click shows and reads.
struct NodeAction {
  std::string_view text;      // node text, compared exactly
  std::string_view frame;     // page frame shown
  std::string_view page;      // new sPage
  std::string_view subPage;   // new sSubPage; empty leaves it unchanged
  std::string_view readCode;  // read sent at once; "0" reads nothing
  bool writeEnabled;          // state of cmdWriteParameter
  std::string_view firstTab;  // tab control turned to its first tab; empty for none
  std::string_view timer;     // polling timer started; empty for none
  int interval;               // its interval in ms
};
constexpr std::array<NodeAction, 14> kNodeActions{{
    {"OnLine Parameterize", "frmInfo", "Information", "", "1", true, "", "", 0},
    {"Information", "frmInfo", "Information", "", "1", true, "", "", 0},
    {"HART", "frmInfoHart", "Information HART", "", "2", false, "", "", 0},
    {"Sensor", "frmInfoSensor", "Information Sensor", "", "3", false, "SSTabInfoSensor", "", 0},
    {" Sensor", "frmChannelSensor", "Channel Sensor", "Sensor 1", "10", true, "SSTabConfSensor", "", 0},
    {"Special Function", "frmSpecialFunction", "Special Function", "", "30", true, "", "", 0},
    {"Configuration", "frmConf_Range", "Range Sensor", "Sensor 1", "18", true, "SSTabSensorRange", "", 0},
    {"Local Temp", "frmConfLocalTemp", "Local Temp", "", "16", true, "", "", 0},
    {" HART", "frmConfHART", "Conf HART", "", "9", true, "", "", 0},
    {"LCD", "frmConfLCD", "Conf LCD", "", "17", true, "", "", 0},
    {"TRIM", "frmTrim", "Trim", "", "0", false, "", "", 0},
    {"Maintenance", "frmMaintenance", "Maintenance", "", "0", false, "", "", 0},
    {"Observe", "frmObserve", "Observe", "", "24", false, "SSTabObserve", "TimerObserve", 3000},
    {"Diagnosis", "frmDiagnosis", "Diagnosis", "", "25", false, "SSTabDiagnosis", "TimerReadStatus", 5000},
}};

// A tree click no longer knows which channel a procedure forced once it has
// left the procedure's page, and the device gives no way to ask. The page
// being left is still in sPage when the click starts, and it names the
// channel the same way Back reads it (the tab on show, for the loop test).
// Only when that page names no channel does the click fall back to the
// release the product has always sent from the tree: write 22 for channel
// code "01".
const navigation::CurrentRelease kTreeFallbackRelease{"22", "01", "00000000"};

}  // namespace

void UserCntrl::WireNavigation() {
  form_.get<toolkit::TreeView>("TreeView").onNodeClick([this](const toolkit::TreeNode& node) {
    TreeView_NodeClick(node);
  });
  button("cmdBack").onClick([this] { cmdBack_Click(); });
  tabs("SSTabInfoSensor").onClick([this] { SSTabInfoSensor_Click(); });
  tabs("SSTabConfSensor").onClick([this] { SSTabConfSensor_Click(); });
  tabs("SSTabSensorRange").onClick([this] { SSTabSensorRange_Click(); });
  tabs("SSTabDiagnosis").onClick([this] { SSTabDiagnosis_Click(); });
  tabs("SSTabObserve").onClick([this] { SSTabObserve_Click(); });
  tabs("SSTabLoopTest").onClick([this] { SSTabLoopTest_Click(); });
}

void UserCntrl::BuildTree() {
  for (const TreeEntry& entry : kTree) {
    const std::string relationship = entry.parent == 0 ? "" : std::string(kChildRelationship);
    AddTreeNode(entry.parent, relationship, std::string(entry.text), std::string(entry.imageKey),
                std::string(kNodeTag));
  }
}

void UserCntrl::AddTreeNode(int parentIndex, const std::string& /*relationship*/, const std::string& text,
                            const std::string& imageKey, const std::string& tag) {
  // The text alone decides whether a node is a root; the relationship only
  // says "child", and the tree always appends a child as its parent's last.
  auto& tree = form_.get<toolkit::TreeView>("TreeView");
  const bool root = std::ranges::find(kRootTexts, text) != kRootTexts.end();
  if (root) {
    tree.addNode({.text = text, .tag = std::string(kNodeTag), .imageKey = imageKey, .parent = 0});
    return;
  }
  // A parent that does not exist inserts nothing.
  if (parentIndex < 1 || parentIndex > static_cast<int>(tree.nodes().size())) return;
  tree.addNode({.text = text, .tag = tag, .imageKey = imageKey, .parent = parentIndex});
}

void UserCntrl::HideAllPages() {
  for (std::string_view name : forms::PageFrames()) frame(name).setVisible(false);
}

void UserCntrl::TreeView_NodeClick(const toolkit::TreeNode& node) {
  const std::string pageLeft = s_.sPage;

  button("cmdBack").setEnabled(false);
  HideAllPages();
  StopPolling();
  s_.bUnitChanged = false;
  button("cmdSave").setEnabled(false);
  s_.sReadCode = "0";
  s_.sRequestDoc = DocXML(NoneAttributes());

  // Off line the page area stays empty.
  if (s_.sConnState == "Disconnected") return;

  std::string readCode = "0";
  const auto action = std::ranges::find(kNodeActions, node.text, &NodeAction::text);
  if (action != kNodeActions.end()) {
    frame(action->frame).setVisible(true);
    s_.sPage = action->page;
    if (!action->subPage.empty()) s_.sSubPage = action->subPage;
    button("cmdWriteParameter").setEnabled(action->writeEnabled);
    // Turning the tab does not run the tab's click: the read below is the
    // first tab's read already.
    if (!action->firstTab.empty()) tabs(action->firstTab).setTab(0);
    if (!action->timer.empty()) {
      timer(action->timer).setInterval(action->interval);
      timer(action->timer).setEnabled(true);
    }
    readCode = action->readCode;
  }

  if (readCode != "0") {
    s_.sReadCode = readCode;
    SetActivity(kReadingActivity);
    if (!SendRead(s_.sReadCode)) return;
  }

  if (s_.bFixedCurrent) {
    const navigation::CurrentRelease release = navigation::ReleaseForPage(pageLeft).value_or(kTreeFallbackRelease);
    (void)ReleaseFixedCurrent(release.code, release.attribute1, release.attribute2);
  }
}

bool UserCntrl::ReleaseFixedCurrent(const std::string& code, const std::string& attribute1,
                                    const std::string& attribute2) {
  Attributes attributes = NoneAttributes();
  attributes[0] = attribute1;
  attributes[1] = attribute2;
  s_.sWriteCode = code;
  s_.sRequestDoc = DocXML(attributes);
  if (!SendWrite(s_.sWriteCode)) return false;
  s_.bFixedCurrent = false;
  return true;
}

}  // namespace zolin6
