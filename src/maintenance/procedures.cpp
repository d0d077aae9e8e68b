// The maintenance procedures: their buttons, the Write button's branch for
// their pages.

#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "platform/channels.h"

namespace zolin6 {

void UserCntrl::WireMaintenance() {
  button("cmdCurrentTrim").onClick([this] { cmdCurrentTrim_Click(); });
  for (int channel = 1; channel <= kChannels; ++channel) {
    button("cmdTrimCurrentChannel" + std::to_string(channel)).onClick([this, channel] {
      cmdTrimCurrentChannel_Click(channel);
    });
  }
  button("cmd4mA").onClick([this] { cmdTrimPoint_Click(4); });
  button("cmd20mA").onClick([this] { cmdTrimPoint_Click(20); });

  button("cmdSensorTrim").onClick([this] { cmdSensorTrim_Click(); });
  button("cmdSensorLowerTrim").onClick([this] { cmdSensorTrimPoint_Click(SensorTrimPoint::Lower); });
  button("cmdSensorUpperTrim").onClick([this] { cmdSensorTrimPoint_Click(SensorTrimPoint::Upper); });
  button("cmdTempTrim").onClick([this] { cmdTempTrim_Click(); });
  button("cmdFactoryTrim").onClick([this] { cmdFactoryTrim_Click(); });

  button("cmdLoopTest").onClick([this] { cmdLoopTest_Click(); });
  WireDeviceCommands();
}

bool UserCntrl::WriteProcedureStep() {
  // The branches change sPage, so the page is told apart first.
  const std::string page = s_.sPage;
  const std::optional<navigation::ProcedurePage> procedure = navigation::ParseProcedurePage(page);
  if (procedure && procedure->kind == navigation::ProcedureKind::kTrimStep) {
    return WriteCurrentTrimStep(procedure->channel, procedure->milliamps);
  }
  if (page == "Sensor Lower Trim") return WriteSensorTrimStep(SensorTrimPoint::Lower);
  if (page == "Sensor Upper Trim") return WriteSensorTrimStep(SensorTrimPoint::Upper);
  if (page == "Cal Temp") return WriteTempTrimStep();
  if (page == "Factory Trim") return WriteFactoryTrimStep();
  if (procedure && procedure->kind == navigation::ProcedureKind::kLoopTest)
    return WriteLoopTestStep(procedure->channel);
  return true;
}

bool UserCntrl::SendStepWrite(const Attributes& attributes) {
  s_.sRequestDoc = DocXML(attributes);
  return SendWrite(s_.sWriteCode);
}

}  // namespace zolin6
