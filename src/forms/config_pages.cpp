// The HART communication settings, the six lines of the local display and
// the backup and average functions: combo boxes (and the polling address)
// that are read from the device and written back.

#include "forms/page_layout.h"

namespace zolin6::forms {

namespace {

using layout::FieldRow;

constexpr FieldRow kHartConfig[] = {
    {"Loop Current Mode", "cmbLoopCurrentMode"},    {"Request Preambles", "cmbRequestPreambles"},
    {"Response Preambles", "cmbResponsePreambles"}, {"Write Protection", "cmbWriteProtection"},
    {"Device Address", "txtParameter", 36},         {"Safe Position", "cmbLoopAlarm"},
};

constexpr FieldRow kDisplay[] = {
    {"Display 1", "cmbDisplay1"}, {"Display 2", "cmbDisplay2"}, {"Display 3", "cmbDisplay3"},
    {"Display 4", "cmbDisplay4"}, {"Display 5", "cmbDisplay5"}, {"Display 6", "cmbDisplay6"},
};

constexpr FieldRow kSpecialFunction[] = {
    {"Backup Mode", "cmbBackupMode"},
    {"Backup Sensor", "cmbBackupSensor"},
    {"Average Mode", "cmbAverageMode"},
};

}  // namespace

std::vector<ControlDesign> ConfigPages() {
  layout::PageBuilder page;
  page.rows(page.picture({"frmConfHART"}, 22), kHartConfig);
  page.rows(page.picture({"frmConfLCD"}, 8), kDisplay);
  page.rows(page.picture({"frmSpecialFunction"}, 30), kSpecialFunction);
  return page.take();
}

}  // namespace zolin6::forms
