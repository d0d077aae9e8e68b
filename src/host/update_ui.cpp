// The driver's notifications: connection state first, then exactly one page
// loader chosen by the notification code; and the re-read after a write.

#include "host/activity.h"
#include "host/re_read.h"
#include "host/user_cntrl.h"
#include "platform/framelink/contract.h"

namespace zolin6 {

void UserCntrl::UpdateUI(std::int32_t reason, const framelink::Variant& details) {
  // A details value that is not text ends the notification here.
  if (!details.text()) return;
  const std::string& text = *details.text();
  UpdateConnectionState(text);
  DispatchNotification(reason, text);
}

void UserCntrl::DispatchNotification(std::int32_t reason, const std::string& details) {
  // Only the exact multiples of 100 that answer a read, and 4000, reach a
  // loader; 150 or 3400 do nothing.
  const std::optional<int> answered = framelink::AnsweredRead(reason);
  if (reason != framelink::kWriteNotification && !answered) return;
  SetActivity("");
  if (reason == framelink::kWriteNotification) return LoadResponseCodes(details);
  const int readCode = *answered;
  if (readCode >= 3 && readCode <= 8) return LoadSensorInfo(readCode - 2, details);
  if (readCode >= 10 && readCode <= 15) return LoadSensorConfig(readCode - 9, details);
  if (readCode >= 18 && readCode <= 23) return LoadSensorRange(readCode - 17, details);
  switch (readCode) {
    case 1: return LoadHartInfo(details);
    case 2: return LoadDeviceInfo(details);
    case 9: return LoadHartConfig(details);
    case 16: return LoadLocalTempUnit(details);
    case 17: return LoadDisplayConfig(details);
    case 24: return LoadObserveValues(details);
    case 25: return LoadDiagnosisStatus(details);
    case 26: return LoadChangeCounters(details);
    case 27: return LoadMaxMinTemperatures(details);
    case 28: return LoadCurrent(details);
    case 29:
    case 31: return LoadTrimTemperature(details);
    case 30: return LoadSpecialFunctions(details);
    case 32: return LoadSpecificVariables(details);
    case 33: return LoadSensorParameters(details);
    default: return;
  }
}

void UserCntrl::TimerReadAfterWrite_Timer() {
  timer("TimerReadAfterWrite").setEnabled(false);
  s_.sReadCode = "0";
  std::string code = ReReadCode(s_.sPage, s_.sSubPage);
  if (code.empty()) return;
  s_.sReadCode = code;
  // The document of the preceding write goes with the re-read unchanged.
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
}

}  // namespace zolin6
