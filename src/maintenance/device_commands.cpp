// The six one-shot device commands, each behind a Yes/No question: device
// reset, factory restore, and the resets of the change status, the change
// counters and the two temperature max/min diagnostics.

#include <array>
#include <cstdint>
#include <cstdio>

#include "host/activity.h"
#include "host/user_cntrl.h"
#include "platform/locale.h"

namespace zolin6 {

namespace {

struct DeviceCommand {
  const char* button;
  const char* question;
  const char* title;
  const char* writeCode;
  bool sendsChangeCounter;  // Attribute1 carries the configuration change counter
  int reReadMs;             // TimerReadAfterWrite interval; 0 for no re-read
};

// The question texts are the product's own: "Reset Config. Changed Status"
// asks about "change counters", and the counters' "Reset" about "counters".
constexpr std::array<DeviceCommand, 6> kDeviceCommands{{
    {"cmdDeviceReset", "Do you want to reset device?", "Device Reset", "9", false, 0},
    {"cmdFactoryRestore", "This command will restore all parameters to factory values. Proceed?", "Restore Default",
     "10", false, 0},
    {"cmdResetChangeStatus", "Would you like to reset change counters?", "Reset change counters", "7", true, 0},
    {"CmdResetChangeCounters", "Would you like to reset counters?", "Reset counters", "8", false, 1000},
    {"cmdSensorMaxMinReset", "Would you like to reset sensor temperature diagnostic?",
     "Reset sensor temperature diagnostic", "18", false, 1000},
    {"cmdTempMaxMinReset", "Would you like to reset local temperature diagnostic?",
     "Reset local temperature diagnostic", "19", false, 1000},
}};

// The change counter as the device expects it back: upper-case hex, padded
// to at least four digits (300 is "012C"); longer values go unchanged. The
// text is read as the locale reads a number, so a negative counter comes out
// as the eight digits of its 32-bit pattern.
Result<std::string> ChangeCounterHex(const std::string& text) {
  Result<std::int32_t> counter = platform::ToInt32(text);
  if (!counter) return counter.error();
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(static_cast<std::uint32_t>(*counter)));
  return std::string(digits);
}

}  // namespace

void UserCntrl::WireDeviceCommands() {
  for (std::size_t row = 0; row < kDeviceCommands.size(); ++row) {
    button(kDeviceCommands[row].button).onClick([this, row] { DeviceCommand_Click(row); });
  }
}

void UserCntrl::DeviceCommand_Click(std::size_t row) {
  const DeviceCommand& command = kDeviceCommands.at(row);
  if (s_.sConnState != "Connected") return;
  if (MsgBox(command.question, command.title, toolkit::Buttons::YesNo, toolkit::Icon::None) != toolkit::Answer::Yes) {
    return;
  }
  Attributes attributes = NoneAttributes();
  if (command.sendsChangeCounter) {
    // A counter that is no number cannot be sent back; the command is then
    // dropped without a word, as every failing handler stops, and before
    // it names a write.
    Result<std::string> counter = ChangeCounterHex(txtParameter(106).text());
    if (!counter) return;
    attributes[0] = *counter;
  }
  s_.sWriteCode = command.writeCode;
  if (!SendStepWrite(attributes)) return;
  SetActivity(kWrittingActivity);
  // The polling timers and the page stay as they are; the resets of
  // counters and diagnostics re-read the tab on show to show the new values.
  if (command.reReadMs > 0) {
    toolkit::Timer& reRead = timer("TimerReadAfterWrite");
    reRead.setInterval(command.reReadMs);
    reRead.setEnabled(true);
  }
}

}  // namespace zolin6
