// The loop current trim: choose a channel, choose the 4 mA or 20 mA point,
// let the device hold the current there, send the meter reading, confirm.
// Also the layout of the trim step page, shared with the sensor and
// temperature trims.

#include "codecs/float_ieee.h"
#include "host/activity.h"
#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "navigation/release.h"

namespace zolin6 {

namespace {

// What a channel-1 request carries for one trim point. Channel 1 has
// operation codes of its own; its hold request names the point by a mode.
struct TrimPointCodes {
  int milliamps;
  std::string_view current;    // the held current as IEEE hex
  std::string_view mode;       // channel-1 hold mode
  std::string_view trimCode1;  // trim write, channel 1
  std::string_view trimCodeN;  // trim write, channels 2..6
};
constexpr TrimPointCodes kTrimPoints[] = {
    {4, "40800000", "01", "13", "23"},
    {20, "41A00000", "02", "14", "24"},
};

const TrimPointCodes& PointCodes(int milliamps) { return milliamps == 20 ? kTrimPoints[1] : kTrimPoints[0]; }

constexpr std::string_view kHoldCode1 = "12";          // fixed loop current, channel 1
constexpr std::string_view kHoldCodeN = "22";          // fixed loop current, channels 2..6
constexpr std::string_view kZeroCurrent = "00000000";  // 0.0: leave fixed-current mode
constexpr std::string_view kLeaveMode1 = "00";

constexpr int kTopOfPage = 0;
constexpr int kUpperRow = 1080;
constexpr int kLowerRowLabels = 1455;
constexpr int kLowerRowBox = 1450;
constexpr int kCurrentReadFirstMs = 1000;

}  // namespace

void UserCntrl::cmdCurrentTrim_Click() {
  HideAllPages();
  StopPolling();
  frame("frmTrimCurrentChannel").setVisible(true);
  s_.sPage = "Trim Current";
  button("cmdBack").setEnabled(true);
}

void UserCntrl::cmdTrimCurrentChannel_Click(int channel) {
  HideAllPages();
  StopPolling();
  frame("frmTrimCurrent").setVisible(true);
  s_.sPage = navigation::PageName({navigation::ProcedureKind::kPointChoice, channel});
  button("cmdBack").setEnabled(true);
}

void UserCntrl::cmdTrimPoint_Click(int milliamps) {
  const TrimPointCodes& point = PointCodes(milliamps);
  HideAllPages();
  button("cmdBack").setEnabled(true);
  // Off line the page area stays empty; only Back leads on.
  if (s_.sConnState != "Connected") return;

  lbArray(15).setCaption("Current");
  if (milliamps == 4) lbArray(13).setCaption("Trim Current");  // the step title below replaces it
  lbArray(49).setCaption("mA");
  lbArray(54).setCaption("mA");
  SetTrimLayout("Current");
  frame("frmSensorTrim").setVisible(true);
  txtParameter(59).setText("");

  std::string channelCode;
  const auto choice = navigation::ParseProcedurePage(s_.sPage);
  if (choice && choice->kind == navigation::ProcedureKind::kPointChoice) {
    const int channel = choice->channel;
    s_.sPage = navigation::PageName({navigation::ProcedureKind::kTrimStep, channel, milliamps});
    lbArray(13).setCaption("Trim Current " + std::to_string(milliamps) + "mA - Channel " + std::to_string(channel));
    if (channel >= 2) channelCode = navigation::OutputChannelCode(channel);
  }

  // Pressed anywhere but on a point choice (only a script can), the page
  // keeps its name and the hold names no channel.
  Attributes attributes = NoneAttributes();
  if (s_.sPage == navigation::PageName({navigation::ProcedureKind::kTrimStep, 1, milliamps})) {
    s_.sWriteCode = kHoldCode1;
    attributes[0] = point.current;
    attributes[1] = point.mode;
  } else {
    s_.sWriteCode = kHoldCodeN;
    attributes[0] = channelCode;
    attributes[1] = point.current;
  }
  // The hold request goes without a status text.
  if (!SendStepWrite(attributes)) return;
  s_.bFixedCurrent = true;
  button("cmdWriteParameter").setEnabled(true);
}

bool UserCntrl::WriteCurrentTrimStep(int channel, int milliamps) {
  const TrimPointCodes& point = PointCodes(milliamps);
  const bool channel1 = channel == 1;
  const std::string channelCode = GetChannelCode(s_.sPage);

  // A reading that is no number ends the step before it names a write, so
  // the Write button leaves its "0" and the all-"None" document behind.
  Result<std::string> hex = codecs::ConvertTypedNumberToHex(txtParameter(59).text());
  if (!hex) return false;
  s_.sWriteCode = channel1 ? point.trimCode1 : point.trimCodeN;
  Attributes attributes = NoneAttributes();
  if (channel1) {
    attributes[0] = *hex;
  } else {
    attributes[0] = channelCode;
    attributes[1] = *hex;
  }
  if (!SendStepWrite(attributes)) return false;
  SetActivity(kWrittingActivity);
  s_.bFixedCurrent = true;

  // The device's answer to the trim is not awaited: the user judges the
  // corrected current on the meter.
  if (MsgBox("Look at Current, is it correct?", "Trim Current", toolkit::Buttons::YesNo, toolkit::Icon::None) !=
      toolkit::Answer::Yes) {
    // Try again: the loop current is read back, first after one second.
    toolkit::Timer& readCurrent = timer("TimerReadCurrent");
    readCurrent.setInterval(kCurrentReadFirstMs);
    readCurrent.setEnabled(true);
    return true;
  }

  HideAllPages();
  if (channel1) s_.sPage = navigation::PageName({navigation::ProcedureKind::kPointChoice, 1});
  frame("frmTrimCurrent").setVisible(true);
  button("cmdBack").setEnabled(false);
  StopPolling();
  button("cmdWriteParameter").setEnabled(false);

  // The leave request. sWriteCode keeps its code ("12" or "22" is not one
  // the Write button's common ending leaves to the steps), so the ending
  // sends the same leave a second time, with "Writing Xmtr Data..." and a
  // re-read that finds nothing to read on this page. Devices in the field
  // have always received a confirmed trim's leave twice; it is kept so.
  Attributes leave = NoneAttributes();
  if (channel1) {
    s_.sWriteCode = kHoldCode1;
    leave[0] = kZeroCurrent;
    leave[1] = kLeaveMode1;
  } else {
    s_.sWriteCode = kHoldCodeN;
    leave[0] = GetChannelCode(s_.sPage);  // sPage still names the trim step here
    leave[1] = kZeroCurrent;
  }
  if (!SendStepWrite(leave)) return false;
  if (!channel1) s_.sPage = navigation::PageName({navigation::ProcedureKind::kPointChoice, channel});
  s_.bFixedCurrent = false;
  button("cmdBack").setEnabled(true);
  return true;
}

void UserCntrl::SetTrimLayout(const std::string& mode) {
  // A current trim has no value of its own to show: the meter is the
  // reference, so only the typed row is shown, in the upper place.
  const bool current = mode == "Current";
  const int readTop = current ? kTopOfPage : kUpperRow;
  lbArray(15).setTop(readTop);
  lbArray(49).setTop(readTop);
  txtParameter(57).setTop(readTop);
  lbArray(15).setVisible(!current);
  lbArray(49).setVisible(!current);
  txtParameter(57).setVisible(!current);
  lbArray(53).setTop(current ? kUpperRow : kLowerRowLabels);
  lbArray(54).setTop(current ? kUpperRow : kLowerRowLabels);
  txtParameter(59).setTop(current ? kUpperRow : kLowerRowBox);
}

}  // namespace zolin6
