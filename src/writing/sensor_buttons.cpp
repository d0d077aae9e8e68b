// The buttons of the sensor pages that write one thing of their own: copy
// channel 1 to all channels, and change the unit of one channel.

#include "host/activity.h"
#include "host/user_cntrl.h"
#include "writing/write_fields.h"

namespace zolin6 {

namespace {

constexpr int kReReadDelayMs = 2000;

}  // namespace

void UserCntrl::cmdChannelSensorCopyToAll_Click() { CopyToAll("27", writing::SensorCopyAttributes); }

void UserCntrl::cmdConfSRangeCopyAll_Click() { CopyToAll("28", writing::RangeCopyAttributes); }

// The copies ask first but check no connection, leave the polling timers
// alone and schedule no re-read: the device copies inside itself.
void UserCntrl::CopyToAll(const std::string& writeCode, Result<Attributes> (*gather)(const toolkit::Form&)) {
  const toolkit::Answer answer =
      MsgBox("The parameter values of sensor 1 will be copied to all sensors. Do you wish to continue?", "Copy To All",
             toolkit::Buttons::YesNo, toolkit::Icon::None);
  if (answer != toolkit::Answer::Yes) return;
  // A value that is no number ends the copy before it names a write, so
  // sWriteCode and sRequestDoc still describe the request before.
  Result<Attributes> attributes = gather(form_);
  if (!attributes) return;
  s_.sWriteCode = writeCode;
  s_.sRequestDoc = DocXML(*attributes);
  if (!SendWrite(s_.sWriteCode)) return;
  SetActivity(kWrittingActivity);
}

void UserCntrl::cmdChangeSensorUnit_Click(int index) {
  if (s_.sConnState != "Connected") return;
  s_.sRequestDoc = DocXML(NoneAttributes());
  s_.sWriteCode = "0";
  StopPolling();
  s_.sWriteCode = "4";
  // Response code 11 to a unit change means that the backup mode keeps the
  // unit; the response-code messages look at this flag to say so. It is set
  // before the send, which a driver may answer at once, and taken back when
  // the request did not go out: nothing can answer it then.
  const bool changedBefore = s_.bUnitChanged;
  s_.bUnitChanged = true;
  Result<Attributes> attributes = writing::UnitChangeAttributes(form_, index);
  if (!attributes) return;
  s_.sRequestDoc = DocXML(*attributes);
  if (!SendWrite(s_.sWriteCode)) {
    s_.bUnitChanged = changedBefore;
    return;
  }
  SetActivity(kWrittingActivity);
  toolkit::Timer& reRead = timer("TimerReadAfterWrite");
  reRead.setEnabled(true);
  reRead.setInterval(kReReadDelayMs);
}

}  // namespace zolin6
