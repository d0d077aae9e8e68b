// The input-side calibrations: the sensor trim of channel 1 (lower and upper
// point), the temperature trim and the factory trim.

#include "codecs/enumerated.h"
#include "codecs/float_ieee.h"
#include "host/activity.h"
#include "host/user_cntrl.h"

namespace zolin6 {

namespace {

struct SensorTrimTexts {
  const char* title;    // page name, step title and message box title
  const char* warning;  // shown before the trim point is sent
  const char* writeCode;
};

SensorTrimTexts TextsOf(bool upper) {
  if (upper) {
    return {"Sensor Upper Trim", "Sensor value will be set as 100%!", "21"};
  }
  return {"Sensor Lower Trim", "Sensor value will be set as 0%!", "20"};
}

constexpr const char* kReadSensorValue = "31";
constexpr const char* kReadTrimTemperature = "29";
constexpr const char* kTempTrimCode = "15";
constexpr const char* kFactoryTrimCode = "29";  // a write code; read "29" is another request
constexpr int kTrimReadMs = 3000;

}  // namespace

void UserCntrl::cmdSensorTrim_Click() {
  MsgBox("This function is available only for channel 1. Make sure Sensor 1 is connected!", "Sensor Trim",
         toolkit::Buttons::Ok, toolkit::Icon::Information);
  HideAllPages();
  frame("frmSensorTrimMenu").setVisible(true);
  button("cmdBack").setEnabled(true);
  button("cmdWriteParameter").setEnabled(false);
  s_.sPage = "Sensor Trim Menu";
}

void UserCntrl::cmdSensorTrimPoint_Click(SensorTrimPoint point) {
  const SensorTrimTexts texts = TextsOf(point == SensorTrimPoint::Upper);
  HideAllPages();
  button("cmdBack").setEnabled(true);
  if (s_.sConnState != "Connected") return;

  lbArray(15).setCaption("Temp");
  lbArray(13).setCaption(texts.title);
  SetTrimLayout("None");
  frame("frmSensorTrim").setVisible(true);
  txtParameter(59).setText("");
  s_.sPage = texts.title;

  // The read carries no attributes of its own: whatever document the last
  // request built goes with it.
  s_.sReadCode = kReadSensorValue;
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
  toolkit::Timer& poll = timer("TimerReadCalTempSensor");
  poll.setInterval(kTrimReadMs);
  poll.setEnabled(true);
  button("cmdWriteParameter").setEnabled(true);
}

void UserCntrl::cmdTempTrim_Click() {
  HideAllPages();
  button("cmdBack").setEnabled(true);
  if (s_.sConnState != "Connected") return;

  lbArray(15).setCaption("Temperature");
  lbArray(13).setCaption("Trim Temperature");
  SetTrimLayout("None");
  frame("frmSensorTrim").setVisible(true);
  txtParameter(59).setText("");

  s_.sReadCode = kReadTrimTemperature;
  if (!SendRead(s_.sReadCode)) return;
  SetActivity(kReadingActivity);
  s_.sPage = "Cal Temp";
  toolkit::Timer& poll = timer("TimerReadCalTemperature");
  poll.setInterval(kTrimReadMs);
  poll.setEnabled(true);
  button("cmdWriteParameter").setEnabled(true);
}

void UserCntrl::cmdFactoryTrim_Click() {
  button("cmdBack").setEnabled(true);
  HideAllPages();
  StopPolling();
  frame("frmFactoryTrim").setVisible(true);
  button("cmdWriteParameter").setEnabled(true);
  s_.sPage = "Factory Trim";
}

bool UserCntrl::WriteSensorTrimStep(SensorTrimPoint point) {
  const SensorTrimTexts texts = TextsOf(point == SensorTrimPoint::Upper);
  MsgBox(texts.warning, texts.title, toolkit::Buttons::Ok, toolkit::Icon::Information);

  // A value that is no number ends the step before it names a write.
  Result<std::string> hex = codecs::ConvertTypedNumberToHex(txtParameter(59).text());
  if (!hex) return false;
  s_.sWriteCode = texts.writeCode;
  // The unit is the one the last reading came with; lbArray(49) is not
  // cleared when the page opens, so after a current trim it may still say
  // "mA" until the first sensor reading arrives.
  Attributes attributes = NoneAttributes();
  attributes[0] = codecs::GetUnitCode(lbArray(49).caption());
  attributes[1] = *hex;
  if (!SendStepWrite(attributes)) return false;
  SetActivity(kWrittingActivity);

  if (MsgBox("Please look at sensor value, is it correct?", texts.title, toolkit::Buttons::YesNo,
             toolkit::Icon::None) != toolkit::Answer::Yes) {
    toolkit::Timer& poll = timer("TimerReadCalTempSensor");
    poll.setInterval(kTrimReadMs);
    poll.setEnabled(true);
    return true;
  }
  s_.sWriteCode = "0";
  HideAllPages();
  s_.sPage = "Sensor Trim Menu";
  frame("frmSensorTrimMenu").setVisible(true);
  button("cmdBack").setEnabled(true);
  StopPolling();
  button("cmdWriteParameter").setEnabled(false);
  return true;
}

bool UserCntrl::WriteTempTrimStep() {
  Result<std::string> hex = codecs::ConvertTypedNumberToHex(txtParameter(59).text());
  if (!hex) return false;
  s_.sWriteCode = kTempTrimCode;
  Attributes attributes = NoneAttributes();
  attributes[0] = codecs::GetUnitCode(lbArray(49).caption());
  attributes[1] = *hex;
  if (!SendStepWrite(attributes)) return false;
  SetActivity(kWrittingActivity);

  // The question's title is the product's own, whatever the trim point.
  if (MsgBox("Please Look at Temperature, is it correct?", "Cal Point Low", toolkit::Buttons::YesNo,
             toolkit::Icon::None) != toolkit::Answer::Yes) {
    toolkit::Timer& poll = timer("TimerReadCalTemperature");
    poll.setInterval(kTrimReadMs);
    poll.setEnabled(true);
    return true;
  }
  s_.sWriteCode = "0";
  HideAllPages();
  s_.sPage = "Trim";
  frame("frmTrim").setVisible(true);
  button("cmdBack").setEnabled(false);
  StopPolling();
  button("cmdWriteParameter").setEnabled(false);
  return true;
}

bool UserCntrl::WriteFactoryTrimStep() {
  Result<std::string> hex = codecs::ConvertTypedNumberToHex(txtParameter(152).text());
  if (!hex) return false;
  s_.sWriteCode = kFactoryTrimCode;
  Attributes attributes = NoneAttributes();
  attributes[0] = combo("cmbTrimSelection").text() == "OHM" ? "01" : "00";
  attributes[1] = *hex;
  // Write code 29 is not one the Write button's common ending leaves to the
  // steps, so the ending sends this same request once more, with "Writing
  // Xmtr Data..." and a re-read. The device has always received a factory
  // trim twice in a row; the double send is kept as the device knows it.
  return SendStepWrite(attributes);
}

}  // namespace zolin6
