// The observation page: process values on the first tab, the eight freely
// chosen variables on the second. Every value field only shows what the
// device reports; the unit labels are filled from the device's unit codes
// except the fixed "mA" and "%".

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::OnTab;
using layout::Place;

// caption, field, index, caption label, read only, unit label, unit
constexpr FieldRow kProcessValues[] = {
    {"Current", "txtParameter", 105, -1, true, 116, "mA"}, {"PV%", "txtParameter", 104, -1, true, 115, "%"},
    {"PV", "txtParameter", 86, -1, true, 110, ""},         {"SV", "txtParameter", 102, -1, true, 77, ""},
    {"TV", "txtParameter", 103, -1, true, 114, ""},
};

// One row per monitored variable: its value, its unit label, and the combo
// box in which the user picks what it shows.
struct SpecificVariable {
  std::string_view caption;
  int value;                // txtParameter index
  int unit;                 // lbArray index
  std::string_view choice;  // combo box name
};
constexpr SpecificVariable kSpecificVariables[] = {
    {"Var 1", 142, 251, "cmbVar1"}, {"Var 2", 141, 252, "cmbVar2"}, {"Var 3", 140, 253, "cmbVar3"},
    {"Var 4", 139, 254, "cmbVar4"}, {"Var 5", 147, 278, "cmbVar5"}, {"Var 6", 148, 277, "cmbVar6"},
    {"Var 7", 149, 276, "cmbVar7"}, {"Var 8", 150, 275, "cmbVar8"},
};

}  // namespace

std::vector<ControlDesign> ObservePages() {
  layout::PageBuilder page;
  const Place tabs = page.container({"frmObserve"}, Kind::TabControl, "SSTabObserve", -1, "Monit|Specific Monit");
  page.rows(page.picture(OnTab(tabs, 0), 17), kProcessValues);

  const Place specific = page.picture(OnTab(tabs, 1), 51);
  int row = 0;
  for (const SpecificVariable& v : kSpecificVariables) {
    const FieldRow valueRow[] = {{v.caption, "txtParameter", v.value, -1, true, v.unit, ""}};
    page.rows(specific, valueRow, row);
    page.add(specific, {.kind = Kind::ComboBox, .name = v.choice, .row = row, .column = kExtraColumn});
    ++row;
  }
  return page.take();
}

}  // namespace zolin6::forms
