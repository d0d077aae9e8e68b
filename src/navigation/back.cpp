// The Back button: the way out of the procedure pages (trims, loop test, the
// sensor trim menu), one step at a time, releasing a forced loop current on
// the way.

#include <optional>
#include <string>
#include <string_view>

#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "navigation/release.h"

namespace zolin6 {

namespace {

// Where Back goes from one page.
struct BackStep {
  std::string page;        // new sPage
  std::string_view frame;  // page frame shown
  bool backEnabled;        // cmdBack enabled again on the new page
  bool releases;           // the page may hold a loop current that Back lets go
};

std::optional<BackStep> BackStepFrom(const std::string& page) {
  if (page == "Trim Current" || page == "Cal Temp" || page == "Sensor Trim Menu" || page == "Factory Trim") {
    return BackStep{"Trim", "frmTrim", false, false};
  }
  if (page == "Sensor Upper Trim" || page == "Sensor Lower Trim") {
    return BackStep{"Sensor Trim Menu", "frmSensorTrimMenu", false, false};
  }
  const std::optional<navigation::ProcedurePage> procedure = navigation::ParseProcedurePage(page);
  if (!procedure) return std::nullopt;
  switch (procedure->kind) {
    case navigation::ProcedureKind::kLoopTest: return BackStep{"Maintenance", "frmMaintenance", false, true};
    case navigation::ProcedureKind::kTrimStep:
      return BackStep{navigation::PageName({navigation::ProcedureKind::kPointChoice, procedure->channel}),
                      "frmTrimCurrent", true, true};
    case navigation::ProcedureKind::kPointChoice: return BackStep{"Trim Current", "frmTrimCurrentChannel", true, false};
  }
  return std::nullopt;
}

}  // namespace

void UserCntrl::cmdBack_Click() {
  button("cmdBack").setEnabled(false);
  HideAllPages();
  StopPolling();

  // Any other page stays named in sPage with nothing shown.
  const std::optional<BackStep> step = BackStepFrom(s_.sPage);
  if (!step) return;
  // The release is for the page being left, so it is worked out before
  // sPage changes.
  const std::optional<navigation::CurrentRelease> release =
      step->releases ? navigation::ReleaseForPage(s_.sPage) : std::nullopt;

  s_.sPage = step->page;
  frame(step->frame).setVisible(true);
  if (step->backEnabled) button("cmdBack").setEnabled(true);

  // No status text and no read follow the release.
  if (release && s_.bFixedCurrent) (void)ReleaseFixedCurrent(release->code, release->attribute1, release->attribute2);
}

}  // namespace zolin6
