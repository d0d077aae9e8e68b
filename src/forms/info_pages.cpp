// The identification pages (HART information, device identification) and the
// read-only sensor information tabs, one per channel.

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::OnTab;
using layout::Place;

// HART information page, top to bottom: caption, field, index, lbArray caption
// label, read only. Tag, long tag, descriptor, message, date and final assembly
// number are written back by "Write"; the other three are the device's own.
constexpr FieldRow kHartInfo[] = {
    {"Tag", "txtParameter", 0, 18},
    {"Long Tag", "txtParameter", 1, 29},
    {"Descriptor", "txtParameter", 2, 40},
    {"Message", "txtParameter", 3, 51},
    {"Date", "txtParameter", 51, 122},
    {"Polling Address", "txtParameter", 5, 5, true},
    {"Final Assembly", "txtParameter", 6, 7},
    {"Device Serial Number", "txtParameter", 9, 19, true},
    {"Ordering Code", "txtParameter", 10, 20, true},
};

// Device identification page, top to bottom; nothing on it is written.
constexpr FieldRow kDeviceInfo[] = {
    {"Manufacturer", "txtParameter", 11, 21, true},     {"Device Type", "txtParameter", 12, 22, true},
    {"Private Label", "txtParameter", 14, 24, true},    {"Device Profile", "txtParameter", 13, 23, true},
    {"Physical Signal", "txtParameter", 15, 25, true},  {"Hart Univ Rev", "txtParameter", 16, 26, true},
    {"XMTR Rev", "txtParameter", 17, 27, true},         {"Hardware Rev", "txtParameter", 19, 30, true},
    {"Software Version", "txtParameter", 21, 32, true},
};

// The text boxes of one channel's sensor information tab, rows top to bottom.
struct SensorInfoChannel {
  int pict;  // PictArray index of the tab's picture box
  int type, connection, coldJunction, unit, upperLimit, lowerLimit, upperValue, lowerValue;
};
constexpr SensorInfoChannel kSensorInfoChannels[] = {
    {2, 24, 8, 25, 22, 26, 7, 23, 34},    {3, 28, 18, 29, 20, 30, 4, 27, 31},   {4, 42, 33, 43, 35, 44, 32, 41, 45},
    {11, 50, 47, 52, 48, 53, 46, 49, 56}, {12, 63, 60, 64, 61, 65, 58, 62, 66}, {28, 72, 68, 73, 69, 74, 67, 71, 78},
};

}  // namespace

std::vector<ControlDesign> InfoPages() {
  layout::PageBuilder page;
  page.rows(page.picture({"frmInfo"}, 0), kHartInfo);
  page.rows(page.picture({"frmInfoHart"}, 1), kDeviceInfo);

  const Place tabs = page.container({"frmInfoSensor"}, Kind::TabControl, "SSTabInfoSensor", -1,
                                    "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6");
  int tab = 0;
  for (const SensorInfoChannel& c : kSensorInfoChannels) {
    const FieldRow rows[] = {
        {"Sensor Type", "txtParameter", c.type, -1, true},
        {"Sensor Connection", "txtParameter", c.connection, -1, true},
        {"Sensor Cold Junction", "txtParameter", c.coldJunction, -1, true},
        {"Sensor Unit", "txtParameter", c.unit, -1, true},
        {"Sensor Upper Range Limit", "txtParameter", c.upperLimit, -1, true},
        {"Sensor Lower Range Limit", "txtParameter", c.lowerLimit, -1, true},
        {"Sensor Upper Range Value", "txtParameter", c.upperValue, -1, true},
        {"Sensor Lower Range Value", "txtParameter", c.lowerValue, -1, true},
    };
    page.rows(page.picture(OnTab(tabs, tab++), c.pict), rows);
  }
  return page.take();
}

}  // namespace zolin6::forms
