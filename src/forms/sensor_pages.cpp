// The sensor configuration tabs (type, connection, cold junction per channel,
// plus the sensor parameter tab), the sensor range tabs and the local
// temperature unit page.

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::OnTab;
using layout::Place;

constexpr std::string_view kSensorTabs = "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6";

// PictArray index of each channel's sensor configuration tab; the combo boxes
// on it carry the channel's index 0 to 5.
constexpr int kSensorConfigPicts[] = {46, 6, 7, 9, 25, 26};

// The seventh tab: sensor temperature limits, Callendar-Van Dusen
// coefficients and damping, shared by all channels.
constexpr int kSensorParameterPict = 53;
constexpr FieldRow kTemperatureLimits[] = {
    {"Sensor Temp High Limit", "txtParameter", 136, -1, false, 247, ""},
    {"Sensor Temp Low Limit", "txtParameter", 137, -1, false, 246, ""},
};
constexpr FieldRow kVanDusenCoefficients[] = {
    {"R0", "txtParameter", 138},
    {"A", "txtParameter", 143},
    {"B", "txtParameter", 144},
    {"C", "txtParameter", 145},
};
constexpr FieldRow kDamping[] = {
    {"Damping", "txtParameter", 146, -1, false, 270, "s"},
};

// The text boxes of one channel's range tab. The limits and the minimum
// span are the sensor's own; the range values are written back.
struct RangeChannel {
  int pict;  // PictArray index of the tab's picture box
  int upperLimit, lowerLimit, minSpan, upperValue, lowerValue;
};
constexpr RangeChannel kRangeChannels[] = {
    {5, 37, 70, 38, 40, 39},  {29, 80, 79, 81, 87, 82},    {33, 89, 88, 90, 92, 91},
    {40, 94, 93, 95, 97, 96}, {44, 99, 98, 100, 130, 129}, {45, 134, 133, 135, 160, 159},
};

void AddSensorConfiguration(layout::PageBuilder& page) {
  const Place tabs = page.container({"frmChannelSensor"}, Kind::TabControl, "SSTabConfSensor", -1,
                                    "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6|Others");
  for (int k = 0; k < 6; ++k) {
    const Place tab = page.picture(OnTab(tabs, k), kSensorConfigPicts[k]);
    const FieldRow rows[] = {
        {"Sensor Type", "cmbSensorType", k},
        {"Sensor Connection", "cmbSensorConnection", k},
        {"Cold Junction", "cmbColdJunction", k},
    };
    page.rows(tab, rows);
    // Channel 1's settings are the ones copied to every channel.
    if (k == 0) page.button(tab, 4, kFieldColumn, "cmdChannelSensorCopyToAll", -1, "Copy To All");
  }

  const Place others = page.picture(OnTab(tabs, 6), kSensorParameterPict);
  // Rows of the tab: the limits frame holds two rows under its caption, the
  // coefficient frame four; damping sits below both.
  page.rows(page.container(others, Kind::Frame, "frmGroupParameter", 0, "Temperature Limits ", 0), kTemperatureLimits);
  page.rows(page.container(others, Kind::Frame, "frmGroupParameter", 1, "Callendar Van Dusen", 3),
            kVanDusenCoefficients);
  page.rows(others, kDamping, 9);
}

void AddSensorRange(layout::PageBuilder& page) {
  const Place tabs = page.container({"frmConf_Range"}, Kind::TabControl, "SSTabSensorRange", -1, kSensorTabs);
  int k = 0;
  for (const RangeChannel& c : kRangeChannels) {
    const Place tab = page.picture(OnTab(tabs, k), c.pict);
    const FieldRow rows[] = {
        {"Upper Sensor Limit", "txtParameter", c.upperLimit, -1, true},
        {"Lower Sensor Limit", "txtParameter", c.lowerLimit, -1, true},
        {"Minimum Span", "txtParameter", c.minSpan, -1, true},
        {"Upper Range Value", "txtParameter", c.upperValue},
        {"Lower Range Value", "txtParameter", c.lowerValue},
        {"Unit", "cmbPVUnits", k},
    };
    page.rows(tab, rows);
    // The unit is changed on its own, by the button beside its combo box.
    page.button(tab, 5, kExtraColumn, "cmdChangeSensorUnit", k, "Change Unit");
    if (k == 0) page.button(tab, 7, kFieldColumn, "cmdConfSRangeCopyAll", -1, "Copy To All");
    ++k;
  }
}

constexpr FieldRow kLocalTemp[] = {{"Local Temp. Unit", "cmbUnitLocalTemp"}};

}  // namespace

std::vector<ControlDesign> SensorPages() {
  layout::PageBuilder page;
  AddSensorConfiguration(page);
  AddSensorRange(page);
  page.rows(page.picture({"frmConfLocalTemp"}, 18), kLocalTemp);
  return page.take();
}

}  // namespace zolin6::forms
