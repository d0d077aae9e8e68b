// The four off-line pages. They are never shown and their combo boxes are
// not filled; they exist for the host, which reads the off-line date through
// GetConverteDateOffLine. Their arrays are numbered by channel, 1 to 6.

#include <string>

#include "forms/page_layout.h"
#include "platform/channels.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;
using layout::Keep;
using layout::Place;

constexpr FieldRow kOffLineDisplay[] = {
    {"Display 1", "cmbOffLineDisplay1"}, {"Display 2", "cmbOffLineDisplay2"}, {"Display 3", "cmbOffLineDisplay3"},
    {"Display 4", "cmbOffLineDisplay4"}, {"Display 5", "cmbOffLineDisplay5"}, {"Display 6", "cmbOffLineDisplay6"},
};

constexpr FieldRow kOffLineLocalTemp[] = {{"Local Temp. Unit", "cmbOffLineUnitLocalTemp"}};

// Each channel: a heading, then its type, connection and cold junction.
// The off-line date closes the page.
void AddOffLineChannelSensor(layout::PageBuilder& page) {
  const Place frame{"frmOffLineChannelSensor"};
  int row = 0;
  for (int n = 1; n <= kChannels; ++n) {
    page.label(frame, row++, kCaptionColumn, "lbOffLineSensor", n, Keep("Sensor " + std::to_string(n)));
    const FieldRow rows[] = {
        {"Sensor Type", "cmbOffLineSensorType", n},
        {"Sensor Connection", "cmbOffLineSensorConnection", n},
        {"Cold Junction", "cmbOffLineColdJunction", n},
    };
    page.rows(frame, rows, row);
    row += 3;
  }
  const FieldRow date[] = {{"Date", "txtParameter", 158}};
  page.rows(frame, date, row);
}

void AddOffLineRange(layout::PageBuilder& page) {
  for (int n = 1; n <= kChannels; ++n) {
    const FieldRow unit[] = {{Keep("Sensor " + std::to_string(n) + " Unit"), "cmbOffLinePVUnits", n}};
    page.rows({"frmOffLineConfRange"}, unit, n - 1);
  }
}

}  // namespace

std::vector<ControlDesign> OffLinePages() {
  layout::PageBuilder page;
  AddOffLineChannelSensor(page);
  AddOffLineRange(page);
  page.rows({"frmOffLineConfLocalTemp"}, kOffLineLocalTemp);
  page.rows({"frmOffLineConfLCD"}, kOffLineDisplay);
  return page.take();
}

}  // namespace zolin6::forms
