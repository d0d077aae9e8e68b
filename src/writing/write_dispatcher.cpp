// The Write button: one button for every page, writing what the page on show
// holds, and the re-read of that page a moment later.

#include <charconv>
#include <string_view>

#include "codecs/latin1.h"
#include "host/activity.h"
#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "writing/write_fields.h"

namespace zolin6 {

namespace {

constexpr int kReReadDelayMs = 2000;
// The information page is written only with a complete date, d/m/yyyy at
// the shortest.
constexpr std::size_t kMinDateLength = 8;

// Codes the Write button never sends itself: 0 is "nothing to write", the
// others are trim steps that their procedures send on their own.
bool SentElsewhere(const std::string& writeCode) {
  unsigned code = 0;
  const char* end = writeCode.data() + writeCode.size();
  if (std::from_chars(writeCode.data(), end, code).ptr != end) return true;
  for (unsigned skipped : {0U, 13U, 14U, 15U, 20U, 21U, 23U, 24U}) {
    if (code == skipped) return true;
  }
  return false;
}

}  // namespace

void UserCntrl::WireWriting() {
  button("cmdWriteParameter").onClick([this] { cmdWriteParameter_Click(); });
  button("cmdChannelSensorCopyToAll").onClick([this] { cmdChannelSensorCopyToAll_Click(); });
  button("cmdConfSRangeCopyAll").onClick([this] { cmdConfSRangeCopyAll_Click(); });
  for (int i = 0; i < 6; ++i) button("cmdChangeSensorUnit", i).onClick([this, i] { cmdChangeSensorUnit_Click(i); });
}

void UserCntrl::cmdWriteParameter_Click() {
  if (s_.sConnState != "Connected") return;
  const bool heldBefore = s_.bFixedCurrent;
  // Every press of Write returns this box to the plain window colour.
  txtParameter(67).setBackColor(toolkit::kSystemWindowBackground);
  s_.sRequestDoc = DocXML(NoneAttributes());
  s_.sWriteCode = "0";
  // Live data stops on every page, also where nothing is written.
  StopPolling();

  if (!WriteConfigurationPage()) return;
  if (!WriteProcedureStep()) return;
  if (SentElsewhere(s_.sWriteCode)) return;

  SetActivity(kWritingActivity);
  toolkit::Timer& reRead = timer("TimerReadAfterWrite");
  reRead.setInterval(kReReadDelayMs);
  reRead.setEnabled(true);
  // The loop test's request itself forces the current, and its step marks
  // the current held beforehand; a request that did not go out holds
  // nothing, so the mark goes back to what it was.
  if (SendWrite(s_.sWriteCode)) return;
  const std::optional<navigation::ProcedurePage> procedure = navigation::ParseProcedurePage(s_.sPage);
  if (procedure && procedure->kind == navigation::ProcedureKind::kLoopTest) s_.bFixedCurrent = heldBefore;
}

bool UserCntrl::WriteConfigurationPage() {
  if (s_.sPage == "Information") {
    if (codecs::CharacterCount(txtParameter(51).text()) < kMinDateLength) return true;
    Result<std::string> date = GetConverteDate();
    if (!date) return false;
    Result<Attributes> attributes = writing::InformationAttributes(form_, *date);
    if (!attributes) return false;
    s_.sRequestDoc = DocXML(*attributes);
    s_.sWriteCode = "1";
    return true;
  }
  const writing::PageWrite* write = writing::ConfigurationWrite(s_.sPage, s_.sSubPage);
  if (write == nullptr) return true;
  // Everything is converted before anything is kept, so a failing value
  // leaves the all-"None" document and the code "0" behind.
  Result<Attributes> attributes = writing::GatherAttributes(form_, write->fields);
  if (!attributes) return false;
  s_.sRequestDoc = DocXML(*attributes);
  s_.sWriteCode = std::string(write->code);
  return true;
}

}  // namespace zolin6
