#include "desktop/page_match.h"

#include <array>

#include "navigation/page_names.h"
#include "platform/channels.h"

namespace zolin6::desktop {

namespace {

using navigation::ProcedureKind;

struct NamedPage {
  std::string_view page;   // sPage
  std::string_view frame;  // the frame the control shows for it
};

// The pages whose name alone says where the user is.
constexpr std::array<NamedPage, 18> kPages{{
    {"Information", "frmInfo"},
    {"Information HART", "frmInfoHart"},
    {"Information Sensor", "frmInfoSensor"},
    {"Info Sensor 1", "frmInfoSensor"},
    {"Special Function", "frmSpecialFunction"},
    {"Local Temp", "frmConfLocalTemp"},
    {"Conf HART", "frmConfHART"},
    {"Conf LCD", "frmConfLCD"},
    {"Trim", "frmTrim"},
    {"Maintenance", "frmMaintenance"},
    {"Observe", "frmObserve"},
    {"Trim Current", "frmTrimCurrentChannel"},
    {"Sensor Trim Menu", "frmSensorTrimMenu"},
    {"Sensor Lower Trim", "frmSensorTrim"},
    {"Sensor Upper Trim", "frmSensorTrim"},
    {"Cal Temp", "frmSensorTrim"},
    {"Factory Trim", "frmFactoryTrim"},
    {"Diagnosis", "frmDiagnosis"},
}};

// The diagnosis tabs by the names sSubPage takes on them.
constexpr std::array<std::string_view, 4> kDiagnosisTabs{"Device Status", "Specific Status", "Change Counter",
                                                         "Diag Temperature"};
constexpr int kOthersTab = 6;  // "Sensor Others" on the sensor configuration page

// The channel tab "Sensor N" stands for (N - 1), or -1.
int SensorTab(const std::string& sSubPage) {
  constexpr std::string_view kPrefix = "Sensor ";
  if (sSubPage.size() != kPrefix.size() + 1 || !sSubPage.starts_with(kPrefix)) return -1;
  const int channel = sSubPage.back() - '0';
  return channel >= 1 && channel <= kChannels ? channel - 1 : -1;
}

PagePlace ProcedurePlace(const navigation::ProcedurePage& page) {
  switch (page.kind) {
    case ProcedureKind::kPointChoice: return {"frmTrimCurrent", "", -1};
    case ProcedureKind::kTrimStep: return {"frmSensorTrim", "", -1};
    case ProcedureKind::kLoopTest: return {"frmLoopTest", "SSTabLoopTest", page.channel - 1};
  }
  return {};
}

}  // namespace

PagePlace PlaceOfPage(const std::string& sPage, const std::string& sSubPage) {
  if (sPage == "Range Sensor") return {"frmConf_Range", "SSTabSensorRange", SensorTab(sSubPage)};
  if (sPage == "Channel Sensor") {
    const int tab = sSubPage == "Sensor Others" ? kOthersTab : SensorTab(sSubPage);
    return {"frmChannelSensor", "SSTabConfSensor", tab};
  }
  if (auto procedure = navigation::ParseProcedurePage(sPage)) return ProcedurePlace(*procedure);
  for (const NamedPage& named : kPages) {
    if (named.page != sPage) continue;
    if (named.page != "Diagnosis") return {named.frame, "", -1};
    for (int tab = 0; tab < static_cast<int>(kDiagnosisTabs.size()); ++tab) {
      if (kDiagnosisTabs[static_cast<std::size_t>(tab)] == sSubPage) return {named.frame, "SSTabDiagnosis", tab};
    }
    return {named.frame, "", -1};
  }
  return {};
}

bool ShowsPlace(const PagePlace& named, std::string_view frame, int tab) {
  if (named.frame.empty()) return true;
  return named.frame == frame && (named.tabs.empty() || named.tab == tab);
}

}  // namespace zolin6::desktop
