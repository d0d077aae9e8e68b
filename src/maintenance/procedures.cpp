// The maintenance procedures: their buttons, the Write button's branch for
// their pages, and the page names they move through.

#include "host/user_cntrl.h"
#include "maintenance/procedure_pages.h"

namespace zolin6 {

namespace maintenance {

std::string PointChoicePage(int channel) { return "Trim Current Channel " + std::to_string(channel); }

std::string TrimStepPage(int channel, int milliamps) {
  // No blank between the number and "mA" in the step names.
  return "Trim " + std::to_string(milliamps) + "mA Channel " + std::to_string(channel);
}

std::optional<int> PointChoiceChannel(std::string_view page) {
  for (int channel = 1; channel <= kOutputChannels; ++channel) {
    if (page == PointChoicePage(channel)) return channel;
  }
  return std::nullopt;
}

std::optional<TrimStep> ParseTrimStep(std::string_view page) {
  for (int channel = 1; channel <= kOutputChannels; ++channel) {
    for (int milliamps : {4, 20}) {
      if (page == TrimStepPage(channel, milliamps)) return TrimStep{channel, milliamps};
    }
  }
  return std::nullopt;
}

std::optional<int> LoopTestChannel(std::string_view page) {
  if (page == "Loop Test") return 1;
  for (int channel = 2; channel <= kOutputChannels; ++channel) {
    if (page == "Fixed Current - Channel " + std::to_string(channel)) return channel;
  }
  return std::nullopt;
}

}  // namespace maintenance

void UserCntrl::WireMaintenance() {
  button("cmdCurrentTrim").onClick([this] { cmdCurrentTrim_Click(); });
  for (int channel = 1; channel <= maintenance::kOutputChannels; ++channel) {
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
  if (const auto step = maintenance::ParseTrimStep(page)) return WriteCurrentTrimStep(step->channel, step->milliamps);
  if (page == "Sensor Lower Trim") return WriteSensorTrimStep(SensorTrimPoint::Lower);
  if (page == "Sensor Upper Trim") return WriteSensorTrimStep(SensorTrimPoint::Upper);
  if (page == "Cal Temp") return WriteTempTrimStep();
  if (page == "Factory Trim") return WriteFactoryTrimStep();
  if (const auto channel = maintenance::LoopTestChannel(page)) return WriteLoopTestStep(*channel);
  return true;
}

bool UserCntrl::SendStepWrite(const Attributes& attributes) {
  s_.sRequestDoc = DocXML(attributes);
  return SendWrite(s_.sWriteCode);
}

}  // namespace zolin6
