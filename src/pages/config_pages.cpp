// The configuration pages made of combo boxes: HART communication settings,
// the lines of the local display, and the backup and averaging functions.

#include "codecs/enumerated.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"

namespace zolin6 {

void UserCntrl::LoadHartConfig(const std::string& details) {
  // The preamble, protection and mode combos get their window background
  // back whether or not the device's code has a text.
  auto setting = [this](std::string_view name, auto decode) {
    return [this, name, decode](std::int16_t c) {
      toolkit::ComboBox& box = combo(name);
      pages::ShowDecoded(box, decode(c));
      box.setBackColor(toolkit::kSystemWindowBackground);
    };
  };
  pages::LoaderSteps steps(details);
  steps.code("ReqPreambles", setting("cmbRequestPreambles", codecs::GetPreamblesText))
      .code("RespPreambles", setting("cmbResponsePreambles", codecs::GetPreamblesText))
      .code("WriteProtect", setting("cmbWriteProtection", codecs::GetWriteProtectText))
      // The address is shown as the number it reads as: "05" shows 5.
      .code("Polling_Address", [&](std::int16_t address) { txtParameter(36).setText(std::to_string(address)); })
      .code("CurrentMode", setting("cmbLoopCurrentMode", codecs::GetLoopCurrentModeText))
      // The loop alarm takes the decoded text even when it is empty.
      .code("Loop_Alarm", [&](std::int16_t c) { combo("cmbLoopAlarm").setText(codecs::GetLoopAlarmText(c)); });
}

void UserCntrl::LoadDisplayConfig(const std::string& details) {
  pages::LoaderSteps steps(details);
  for (int line = 1; line <= 6; ++line) {
    const std::string number = std::to_string(line);
    steps.code("Display" + number, [&](std::int16_t c) {
      pages::ShowDecoded(combo("cmbDisplay" + number), codecs::GetDisplayVariableText(c));
    });
  }
}

void UserCntrl::LoadSpecialFunctions(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps
      .code("BackupMode",
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbBackupMode"), codecs::GetBackupModeText(c)); })
      .code("BackupSensor",
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbBackupSensor"), codecs::GetBackupSensorText(c)); })
      .code("AverageMode",
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbAverageMode"), codecs::GetAverageModeText(c)); });
}

}  // namespace zolin6
