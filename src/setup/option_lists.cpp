// The item lists of every combo box, and the page state at start.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/user_cntrl.h"
#include "platform/channels.h"

namespace zolin6 {

namespace {

using Items = std::vector<std::string>;

// "Sensor 1" to "Sensor 6", each followed by `suffix`.
Items SensorTexts(std::string_view suffix) {
  Items items;
  for (int channel = 1; channel <= kChannels; ++channel) {
    items.push_back("Sensor " + std::to_string(channel) + std::string(suffix));
  }
  return items;
}

// The variables a display or a monitoring slot can show: the six sensors,
// their percentages of range, and the local temperature. The display writes
// the percentage as "Sensor 1 %", the monitoring as "Sensor 1%"; each must
// match its own code table exactly.
Items VariableTexts(std::string_view percentSuffix) {
  Items items = SensorTexts("");
  for (std::string& percent : SensorTexts(percentSuffix)) items.push_back(std::move(percent));
  items.emplace_back("Local Temp");
  return items;
}

const Items kDisabledEnabled{"Disabled", "Enabled"};
const Items kPreambles{"5", "6", "7", "8", "9"};

const Items kSensorTypes{
    "Ohm 100",
    "Ohm 400",
    "Ohm 2000",
    "Callendar Van Dusen",
    "Pt 100 IEC",
    "Pt 200 IEC",
    "Pt 500 IEC",
    "Pt 1000 IEC",
    "Pt 100 JIS",
    "Pt 200 JIS",
    "Ni 120 DIN",
    "Cu 10 SAMA",
    "Cu 100 GOST (426)",
    "Cu 50 GOST (426)",
    "Cu 50 GOST (428)",
    "Cu 100 GOST (428)",
    "Pt 50 GOST (391)",
    "Pt 100 GOST (391)",
    "mV 25",
    "mV 100",
    "mV 500",
    "T/C Type B IEC",
    "T/C Type W5 ASTM",
    "T/C Type W3 ASTM",
    "T/C Type E IEC",
    "T/C Type J IEC",
    "T/C Type K IEC",
    "T/C Type N IEC",
    "T/C Type R IEC",
    "T/C Type S IEC",
    "T/C Type T IEC",
    "T/C Type L DIN",
    "T/C Type U DIN",
    "T/C Type L GOST",
    "4-20mA Input",
};

// One combo box, or all six members of a per-channel control array.
struct OptionList {
  std::string name;    // combo box or control-array name
  bool perChannel;     // a control array with members 0 to 5
  Items items;         // items in order
  std::string preset;  // text shown after filling; empty for none
};

// In the order in which the lists are filled.
std::vector<OptionList> OptionLists() {
  std::vector<OptionList> lists{
      {"cmbLoopAlarm", false, {"High", "Low"}, ""},
      {"cmbUnitLocalTemp", false, {"°C", "°F", "°R", "K"}, ""},
      // The factory trim compares "OHM" exactly; the range units below say "Ohm".
      {"cmbTrimSelection", false, {"OHM", "MV"}, "OHM"},
      {"cmbPVUnits", true, {"°C", "°F", "°R", "K", "mV", "Ohm"}, ""},
      {"cmbSensorType", true, kSensorTypes, ""},
      // The device knows more connection codes than these two; only these
      // are offered.
      {"cmbSensorConnection", true, {"Two wires", "Three wires"}, ""},
      {"cmbColdJunction", true, {"Internal", "Fixed CJC Value", "Not Used"}, ""},
      {"cmbLoopCurrentMode", false, kDisabledEnabled, ""},
      {"cmbRequestPreambles", false, kPreambles, ""},
      {"cmbResponsePreambles", false, kPreambles, ""},
      {"cmbWriteProtection", false, kDisabledEnabled, ""},
  };
  for (int display = 1; display <= kChannels; ++display) {
    lists.push_back({"cmbDisplay" + std::to_string(display), false, VariableTexts(" %"), ""});
  }
  lists.push_back({"cmbBackupMode", false, kDisabledEnabled, ""});
  lists.push_back({"cmbBackupSensor", false, {"Sensor 2", "Sensor 3", "Sensor 4", "Sensor 5", "Sensor 6"}, ""});
  lists.push_back({"cmbAverageMode", false, kDisabledEnabled, ""});
  lists.push_back({"cmbSensorMaxMin", false, kDisabledEnabled, ""});
  lists.push_back({"cmbTempMaxMin", false, kDisabledEnabled, ""});
  // The monitoring slots start on the six sensors and the first two
  // percentages.
  const std::string varPresets[] = {"Sensor 1", "Sensor 2", "Sensor 3",  "Sensor 4",
                                    "Sensor 5", "Sensor 6", "Sensor 1%", "Sensor 2%"};
  for (int slot = 1; slot <= 8; ++slot) {
    lists.push_back(
        {"cmbVar" + std::to_string(slot), false, VariableTexts("%"), varPresets[static_cast<std::size_t>(slot - 1)]});
  }
  return lists;
}

void Fill(toolkit::ComboBox& box, const OptionList& list) {
  box.clear();
  for (const std::string& item : list.items) box.addItem(item);
  if (!list.preset.empty()) box.setText(list.preset);
}

}  // namespace

// The combo boxes of the off-line pages are left empty: those pages are
// never shown.
void UserCntrl::FillOptionLists() {
  s_.sPage = "Information";
  s_.bUnitChanged = false;
  s_.bFixedCurrent = false;

  for (const OptionList& list : OptionLists()) {
    if (!list.perChannel) {
      Fill(combo(list.name), list);
      continue;
    }
    for (int member = 0; member < kChannels; ++member) Fill(combo(list.name, member), list);
  }
}

}  // namespace zolin6
