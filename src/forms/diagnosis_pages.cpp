// The diagnosis page: the HART device status byte and the transmitter's own
// diagnostic bits as indicator lamps, the configuration change counters, and
// the recorded temperature extremes, each with its reset buttons.

#include <span>

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::OnTab;
using layout::Place;

// A lamp of the ShapeDiagnosis array with its caption label on its right.
struct Lamp {
  int index;
  std::string_view caption;
};

// Bits 0 to 7 of the device status byte, top to bottom.
constexpr Lamp kDeviceStatusLamps[] = {
    {0, "PV Out Of Limits"},        {1, "Non PV Out Of Limits"},  {2, "PV Analog Channel Saturated"},
    {3, "PV Analog Channel Fixed"}, {4, "More Status Available"}, {5, "Cold Start"},
    {6, "Configuration Changed"},   {7, "Device Malfunction"},
};

// The transmitter's diagnostic bits, top to bottom. "ADC Conversion Error"
// is one lamp for two bits (bit 7 of the first byte, bit 0 of the second).
constexpr Lamp kSpecificStatusLamps[] = {
    {19, "Sensor 1 Alert"},         {18, "Sensor 2 Alert"},        {17, "Sensor 3 Alert"},
    {16, "Sensor 4 Alert"},         {15, "Sensor 5 Alert"},        {12, "Sensor 6 Alert"},
    {13, "Temp.Sensor Alert"},      {14, "ADC Conversion Error"},  {20, "Analog Board Not Connected"},
    {21, "Temp. High Limit Alarm"}, {22, "Temp. Low Limit Alarm"}, {23, "Sensor Backup Active"},
};

// The legend lamps take the array's free indices 8 to 11; no status bit
// drives them.
struct Legend {
  int frame;    // frmAlarm index
  int alarm;    // ShapeDiagnosis index of the red lamp
  int noAlarm;  // ShapeDiagnosis index of the dark blue lamp
};
constexpr Legend kDeviceStatusLegend = {0, 8, 9};
constexpr Legend kSpecificStatusLegend = {1, 10, 11};

// Change counters, each shown as received: the first seven down the left
// pair of columns (caption 0, field 1), the rest down the right pair
// (caption 2, field 3).
constexpr FieldRow kChangeCounters[] = {
    {"Sensor Range", "txtParameter", 120},      {"Sensor Trim", "txtParameter", 119},
    {"Sensor Config", "txtParameter", 118},     {"Sensor Unit", "txtParameter", 117},
    {"Sensor Damping", "txtParameter", 116},    {"Cold Junction", "txtParameter", 115},
    {"Current Trim", "txtParameter", 114},      {"Temp Trim", "txtParameter", 112},
    {"Temp Unit", "txtParameter", 111},         {"Write Protection", "txtParameter", 110},
    {"Display Variables", "txtParameter", 109}, {"PV Fail Safe", "txtParameter", 108},
    {"Polling Address", "txtParameter", 107},   {"Van Dusen Coeff", "txtParameter", 125},
};
constexpr int kCountersPerColumn = 7;

// Recorded extremes with their unit labels, then the two switches that turn
// the recording on and off (written back on this tab).
constexpr FieldRow kTemperatures[] = {
    {"Sensor Max.Temperature", "txtParameter", 123, -1, true, 180, ""},
    {"Sensor Min.Temperature", "txtParameter", 124, -1, true, 181, ""},
    {"Max.Local Temperature", "txtParameter", 54, -1, true, 182, ""},
    {"Min.Local Temperature", "txtParameter", 55, -1, true, 183, ""},
    {"Sensor Max/Min", "cmbSensorMaxMin"},
    {"Temp Max/Min", "cmbTempMaxMin"},
};

void AddLamp(layout::PageBuilder& page, Place at, int row, int index, std::string_view caption, bool lit) {
  page.add(at, {.kind = Kind::Shape, .name = "ShapeDiagnosis", .index = index, .row = row, .lit = lit});
  page.label(at, row, kFieldColumn, layout::CaptionLabelName("ShapeDiagnosis"), index, caption);
}

void AddLamps(layout::PageBuilder& page, Place at, std::span<const Lamp> lamps, Legend legend) {
  int row = 0;
  for (const Lamp& lamp : lamps) AddLamp(page, at, row++, lamp.index, lamp.caption, false);
  const Place frame = page.container(at, Kind::Frame, "frmAlarm", legend.frame, "Legend", 0, kExtraColumn);
  AddLamp(page, frame, 0, legend.alarm, "Alarm", true);
  AddLamp(page, frame, 1, legend.noAlarm, "No Alarm", false);
}

}  // namespace

std::vector<ControlDesign> DiagnosisPages() {
  layout::PageBuilder page;
  const Place tabs = page.container({"frmDiagnosis"}, Kind::TabControl, "SSTabDiagnosis", -1,
                                    "Device Status|Device Specific|Change Counter|Temperature");

  const Place status = page.picture(OnTab(tabs, 0), 15);
  AddLamps(page, status, kDeviceStatusLamps, kDeviceStatusLegend);
  page.label(status, 9, kCaptionColumn, "Label1", -1, "Configuration Changed");
  page.add(status, {.kind = Kind::TextBox,
                    .name = "txtParameter",
                    .index = 106,
                    .row = 9,
                    .column = kFieldColumn,
                    .readOnly = true});
  page.button(status, 10, kFieldColumn, "cmdResetChangeStatus", -1, "Reset Config. Changed Status");

  AddLamps(page, page.picture(OnTab(tabs, 1), 16), kSpecificStatusLamps, kSpecificStatusLegend);

  const Place counters = page.picture(OnTab(tabs, 2), 19);
  int n = 0;
  for (const FieldRow& counter : kChangeCounters) {
    const int row = n % kCountersPerColumn;
    const int column = n / kCountersPerColumn * 2;
    page.label(counters, row, column, layout::CaptionLabelName(counter.field), counter.index, counter.caption);
    page.add(counters, {.kind = Kind::TextBox,
                        .name = counter.field,
                        .index = counter.index,
                        .row = row,
                        .column = column + 1,
                        .readOnly = true});
    ++n;
  }
  page.button(counters, kCountersPerColumn + 1, kExtraColumn, "CmdResetChangeCounters", -1, "Reset");

  const Place temperatures = page.picture(OnTab(tabs, 3), 23);
  page.rows(temperatures, kTemperatures);
  page.button(temperatures, 4, kExtraColumn, "cmdSensorMaxMinReset", -1, "Sensor Max/Min Reset");
  page.button(temperatures, 5, kExtraColumn, "cmdTempMaxMinReset", -1, "Temp. Max/Min Reset");
  return page.take();
}

}  // namespace zolin6::forms
