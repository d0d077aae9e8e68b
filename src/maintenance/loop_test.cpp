// The loop test: one output channel holds a current the user picks, so the
// wiring and the instruments of the loop can be checked. Back or the
// function tree lets the current go again.

#include <array>

#include "codecs/float_ieee.h"
#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "navigation/release.h"

namespace zolin6 {

namespace {

// The fixed choices of each tab, examined in this order; the first one
// selected wins.
struct FixedChoice {
  const char* option;   // option button array, indexed by tab
  const char* current;  // mA as a decimal text
};
constexpr std::array<FixedChoice, 5> kFixedChoices{{
    {"Op4mA", "4"},
    {"Op8mA", "8"},
    {"Op12mA", "12"},
    {"Op16mA", "16"},
    {"Op20mA", "20"},
}};

// The "Other" text box of each tab; 152 is the factory trim's value.
constexpr std::array<int, 6> kOtherCurrentBox{76, 151, 153, 154, 155, 156};

constexpr const char* kLoopTestCode1 = "11";  // force the loop current of channel 1
constexpr const char* kLoopTestCodeN = "22";  // fixed loop current of channels 2..6

}  // namespace

void UserCntrl::cmdLoopTest_Click() {
  button("cmdBack").setEnabled(true);
  HideAllPages();
  StopPolling();
  tabs("SSTabLoopTest").setTab(0);
  frame("frmLoopTest").setVisible(true);
  s_.sPage = navigation::PageName({navigation::ProcedureKind::kLoopTest, 1});
  button("cmdWriteParameter").setEnabled(true);
}

bool UserCntrl::WriteLoopTestStep(int channel) {
  const int tab = channel - 1;

  // With no option of the tab selected the request carries an empty current.
  std::string current;
  std::string typed;
  bool chosen = false;
  for (const FixedChoice& choice : kFixedChoices) {
    if (form_.get<toolkit::OptionButton>(choice.option, tab).value()) {
      typed = choice.current;
      chosen = true;
      break;
    }
  }
  if (!chosen && form_.get<toolkit::OptionButton>("OpOther", tab).value()) {
    typed = txtParameter(kOtherCurrentBox[static_cast<std::size_t>(tab)]).text();
    chosen = true;
  }
  if (chosen) {
    // A current that is no number ends the step before it names a write.
    Result<std::string> hex = codecs::ConvertTypedNumberToHex(typed);
    if (!hex) return false;
    current = *hex;
  }
  s_.sWriteCode = channel == 1 ? kLoopTestCode1 : kLoopTestCodeN;

  Attributes attributes = NoneAttributes();
  if (channel == 1) {
    attributes[0] = current;
  } else {
    attributes[0] = navigation::OutputChannelCode(channel);
    attributes[1] = current;
  }
  s_.sRequestDoc = DocXML(attributes);
  s_.bFixedCurrent = true;
  // Nothing is sent here: the Write button's common ending sends the
  // request with its status text and re-read (and takes the flag back when
  // the request does not go out).
  return true;
}

}  // namespace zolin6
