// The maintenance procedure pages: the trim menu and its current, sensor,
// temperature and factory trims, the maintenance menu with its device
// commands, and the loop test tabs.

#include <span>

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::OnTab;
using layout::Place;

// A control named and captioned: a menu button or a current choice.
struct Captioned {
  std::string_view name;
  std::string_view caption;
};

constexpr Captioned kTrimMenu[] = {
    {"cmdCurrentTrim", "Current Trim"},
    {"cmdSensorTrim", "Sensor Trim"},
    {"cmdTempTrim", "Temperature Trim"},
    {"cmdFactoryTrim", "Factory Trim"},
};
constexpr Captioned kTrimCurrentChannels[] = {
    {"cmdTrimCurrentChannel1", "Channel 1"}, {"cmdTrimCurrentChannel2", "Channel 2"},
    {"cmdTrimCurrentChannel3", "Channel 3"}, {"cmdTrimCurrentChannel4", "Channel 4"},
    {"cmdTrimCurrentChannel5", "Channel 5"}, {"cmdTrimCurrentChannel6", "Channel 6"},
};
constexpr Captioned kTrimCurrentPoints[] = {
    {"cmd4mA", "4 mA"},
    {"cmd20mA", "20 mA"},
};
constexpr Captioned kSensorTrimMenu[] = {
    {"cmdSensorLowerTrim", "Sensor Lower Trim"},
    {"cmdSensorUpperTrim", "Sensor Upper Trim"},
};
constexpr Captioned kMaintenanceMenu[] = {
    {"cmdLoopTest", "Loop Test"},
    {"cmdDeviceReset", "Device Reset"},
    {"cmdFactoryRestore", "Restore Default"},
};

// The trim step page, shared by the current, sensor and temperature trims:
// the value read from the device above the value the user types. Its rows
// start at the read value's place; SetTrimLayout moves them at run time.
constexpr int kTrimValueRow = 3;
constexpr FieldRow kTrimValues[] = {
    {"Temperature", "txtParameter", 57, 15, true, 49, ""},
    {"New Value", "txtParameter", 59, 53, false, 54, ""},
};

constexpr FieldRow kFactoryTrim[] = {
    {"Trim Selection", "cmbTrimSelection"},
    {"Value", "txtParameter", 152},
};

// One loop test tab: the six current choices (option buttons of the tab's
// index), the text box for "Other" with its unit, and the tab's title.
struct LoopTestChannel {
  int other;  // txtParameter index of the "Other" current
  int unit;   // lbArray index of its "mA" label
  int title;  // lbArray index of the title
  std::string_view caption;
};
constexpr LoopTestChannel kLoopTestChannels[] = {
    {76, 138, 150, "Loop Test"},
    {151, 280, 284, "Fixed Current - Channel 2"},
    {153, 285, 286, "Fixed Current - Channel 3"},
    {154, 287, 288, "Fixed Current - Channel 4"},
    {155, 289, 290, "Fixed Current - Channel 5"},
    {156, 291, 292, "Fixed Current"},
};
constexpr Captioned kLoopTestOptions[] = {
    {"Op4mA", "4 mA"},   {"Op8mA", "8 mA"},   {"Op12mA", "12 mA"},
    {"Op16mA", "16 mA"}, {"Op20mA", "20 mA"}, {"OpOther", "Other"},
};

void AddMenu(layout::PageBuilder& page, Place at, std::span<const Captioned> buttons) {
  int row = 0;
  for (const Captioned& b : buttons) page.button(at, row++, kCaptionColumn, b.name, -1, b.caption);
}

void AddLoopTest(layout::PageBuilder& page) {
  const Place tabs = page.container({"frmLoopTest"}, Kind::TabControl, "SSTabLoopTest", -1,
                                    "Channel 1|Channel 2|Channel 3|Channel 4|Channel 5|Channel 6");
  int k = 0;
  for (const LoopTestChannel& c : kLoopTestChannels) {
    // The options sit on the tab itself, so each tab's six form one group.
    const Place tab = OnTab(tabs, k);
    page.label(tab, 0, kCaptionColumn, "lbArray", c.title, c.caption);
    int row = 1;
    for (const Captioned& option : kLoopTestOptions) {
      page.add(tab,
               {.kind = Kind::OptionButton, .name = option.name, .index = k, .caption = option.caption, .row = row++});
    }
    const int otherRow = row - 1;
    page.add(
        tab,
        {.kind = Kind::TextBox, .name = "txtParameter", .index = c.other, .row = otherRow, .column = kFieldColumn});
    page.label(tab, otherRow, kUnitColumn, "lbArray", c.unit, "mA");
    ++k;
  }
}

}  // namespace

std::vector<ControlDesign> ProcedurePages() {
  layout::PageBuilder page;
  AddMenu(page, {"frmTrim"}, kTrimMenu);
  AddMenu(page, {"frmTrimCurrentChannel"}, kTrimCurrentChannels);
  AddMenu(page, {"frmTrimCurrent"}, kTrimCurrentPoints);

  const Place trim = page.picture({"frmSensorTrim"}, 20);
  page.label(trim, 0, kCaptionColumn, "lbArray", 13, "Sensor Trim");
  page.rows(trim, kTrimValues, kTrimValueRow);

  AddMenu(page, {"frmSensorTrimMenu"}, kSensorTrimMenu);

  page.label({"frmFactoryTrim"}, 0, kCaptionColumn, "lbFactoryTrim", -1, "Factory Trim");
  page.rows({"frmFactoryTrim"}, kFactoryTrim, 1);

  AddMenu(page, {"frmMaintenance"}, kMaintenanceMenu);
  AddLoopTest(page);
  return page.take();
}

}  // namespace zolin6::forms
