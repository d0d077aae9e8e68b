// The controls that the handlers and page loaders look up: each exists with
// the right kind, caption and place, and the per-channel arrays carry the
// indices the loaders fill.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "control_index.h"
#include "forms/form_spec.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/form.h"

namespace zolin6::forms {
namespace {

using testing::ControlIndex;

class PageControlsTest : public ::testing::Test {
 protected:
  ControlIndex index{AllControls()};

  const ControlSpec& Get(std::string_view id) const {
    const ControlSpec* spec = index.find(id);
    if (spec == nullptr) {
      ADD_FAILURE() << "no control " << id;
      static const ControlSpec none{.kind = Kind::Timer, .name = "none"};
      return none;
    }
    return *spec;
  }
  // Caption of the label (or option) left of a field, as the view shows it.
  std::string CaptionOf(std::string_view id) const {
    const ControlSpec& field = Get(id);
    const ControlSpec* left = index.beside(field, field.column - 1);
    return left == nullptr ? "<none>" : std::string(left->caption);
  }
  // Caption of the label right of a lamp.
  std::string CaptionOfLamp(std::string_view id) const {
    const ControlSpec* right = index.beside(Get(id), kFieldColumn);
    return right == nullptr ? "<none>" : std::string(right->caption);
  }
  // The label right of a field.
  std::string UnitLabelOf(std::string_view id) const {
    const ControlSpec& field = Get(id);
    const ControlSpec* unit = index.beside(field, field.column + 1);
    return unit == nullptr ? "<none>" : testing::IdOf(*unit) + " \"" + std::string(unit->caption) + "\"";
  }
};

struct Named {
  std::string_view id;
  Kind kind;
  std::string_view caption;
};

// Controls whose captions are shown to the user or compared by the handlers.
const Named kCaptioned[] = {
    // tab controls, tab captions joined
    {"SSTabInfoSensor", Kind::TabControl, "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6"},
    {"SSTabConfSensor", Kind::TabControl, "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6|Others"},
    {"SSTabSensorRange", Kind::TabControl, "Sensor 1|Sensor 2|Sensor 3|Sensor 4|Sensor 5|Sensor 6"},
    {"SSTabDiagnosis", Kind::TabControl, "Device Status|Device Specific|Change Counter|Temperature"},
    {"SSTabObserve", Kind::TabControl, "Monit|Specific Monit"},
    {"SSTabLoopTest", Kind::TabControl, "Channel 1|Channel 2|Channel 3|Channel 4|Channel 5|Channel 6"},
    // buttons
    {"cmdChannelSensorCopyToAll", Kind::CommandButton, "Copy To All"},
    {"cmdConfSRangeCopyAll", Kind::CommandButton, "Copy To All"},
    {"cmdChangeSensorUnit(0)", Kind::CommandButton, "Change Unit"},
    {"cmdCurrentTrim", Kind::CommandButton, "Current Trim"},
    {"cmdSensorTrim", Kind::CommandButton, "Sensor Trim"},
    {"cmdTempTrim", Kind::CommandButton, "Temperature Trim"},
    {"cmdFactoryTrim", Kind::CommandButton, "Factory Trim"},
    {"cmdTrimCurrentChannel1", Kind::CommandButton, "Channel 1"},
    {"cmd4mA", Kind::CommandButton, "4 mA"},
    {"cmd20mA", Kind::CommandButton, "20 mA"},
    {"cmdSensorLowerTrim", Kind::CommandButton, "Sensor Lower Trim"},
    {"cmdSensorUpperTrim", Kind::CommandButton, "Sensor Upper Trim"},
    {"cmdLoopTest", Kind::CommandButton, "Loop Test"},
    {"cmdDeviceReset", Kind::CommandButton, "Device Reset"},
    {"cmdFactoryRestore", Kind::CommandButton, "Restore Default"},
    {"cmdResetChangeStatus", Kind::CommandButton, "Reset Config. Changed Status"},
    {"CmdResetChangeCounters", Kind::CommandButton, "Reset"},
    {"cmdSensorMaxMinReset", Kind::CommandButton, "Sensor Max/Min Reset"},
    {"cmdTempMaxMinReset", Kind::CommandButton, "Temp. Max/Min Reset"},
    // group frames; the trailing blank is the device page's own
    {"frmGroupParameter(0)", Kind::Frame, "Temperature Limits "},
    {"frmGroupParameter(1)", Kind::Frame, "Callendar Van Dusen"},
    // labels the procedures rewrite or read
    {"lbArray(13)", Kind::Label, "Sensor Trim"},
    {"lbArray(15)", Kind::Label, "Temperature"},
    {"lbArray(53)", Kind::Label, "New Value"},
    {"lbArray(150)", Kind::Label, "Loop Test"},
    {"lbArray(284)", Kind::Label, "Fixed Current - Channel 2"},
    {"lbArray(292)", Kind::Label, "Fixed Current"},
    {"Label1", Kind::Label, "Configuration Changed"},
    // lamp captions, in device-status bit order and then the specific bits
    {"lbDiagnosis(0)", Kind::Label, "PV Out Of Limits"},
    {"lbDiagnosis(7)", Kind::Label, "Device Malfunction"},
    {"lbDiagnosis(19)", Kind::Label, "Sensor 1 Alert"},
    {"lbDiagnosis(12)", Kind::Label, "Sensor 6 Alert"},
    {"lbDiagnosis(14)", Kind::Label, "ADC Conversion Error"},
    {"lbDiagnosis(20)", Kind::Label, "Analog Board Not Connected"},
    {"lbDiagnosis(23)", Kind::Label, "Sensor Backup Active"},
    // the rest are looked up by kind only
    {"cmbTrimSelection", Kind::ComboBox, ""},
    {"cmbLoopAlarm", Kind::ComboBox, ""},
    {"cmbOffLineUnitLocalTemp", Kind::ComboBox, ""},
    {"txtParameter(67)", Kind::TextBox, ""},
    {"txtParameter(158)", Kind::TextBox, ""},
    {"ShapeDiagnosis(22)", Kind::Shape, ""},
};

TEST_F(PageControlsTest, NamedControlsHaveTheirKindAndCaption) {
  for (const Named& n : kCaptioned) {
    const ControlSpec& spec = Get(n.id);
    EXPECT_EQ(spec.kind, n.kind) << n.id;
    EXPECT_EQ(spec.caption, n.caption) << n.id;
  }
}

TEST_F(PageControlsTest, RowsPairFieldsWithTheirCaptionsAndUnits) {
  struct Row {
    std::string_view field;
    std::string caption;
    std::string unit;  // "<none>" when the row has no unit label
  };
  const Row rows[] = {
      {"txtParameter(0)", "Tag", "<none>"},
      {"txtParameter(51)", "Date", "<none>"},
      {"txtParameter(26)", "Sensor Upper Range Limit", "<none>"},
      {"txtParameter(67)", "Sensor Lower Range Limit", "<none>"},
      {"txtParameter(159)", "Lower Range Value", "<none>"},
      {"cmbPVUnits(3)", "Unit", "<none>"},
      {"txtParameter(136)", "Sensor Temp High Limit", "lbArray(247) \"\""},
      {"txtParameter(137)", "Sensor Temp Low Limit", "lbArray(246) \"\""},
      {"txtParameter(146)", "Damping", "lbArray(270) \"s\""},
      {"cmbUnitLocalTemp", "Local Temp. Unit", "<none>"},
      {"txtParameter(36)", "Device Address", "<none>"},
      {"cmbLoopAlarm", "Safe Position", "<none>"},
      {"cmbDisplay4", "Display 4", "<none>"},
      {"txtParameter(105)", "Current", "lbArray(116) \"mA\""},
      {"txtParameter(102)", "SV", "lbArray(77) \"\""},
      {"txtParameter(147)", "Var 5", "lbArray(278) \"\""},
      {"txtParameter(106)", "Configuration Changed", "<none>"},
      {"txtParameter(125)", "Van Dusen Coeff", "<none>"},
      {"txtParameter(54)", "Max.Local Temperature", "lbArray(182) \"\""},
      {"cmbTempMaxMin", "Temp Max/Min", "<none>"},
      {"txtParameter(57)", "Temperature", "lbArray(49) \"\""},
      {"txtParameter(59)", "New Value", "lbArray(54) \"\""},
      {"txtParameter(152)", "Value", "<none>"},
      {"txtParameter(154)", "Other", "lbArray(287) \"mA\""},
      {"txtParameter(158)", "Date", "<none>"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CaptionOf(r.field), r.caption) << r.field;
    EXPECT_EQ(UnitLabelOf(r.field), r.unit) << r.field;
  }
}

std::vector<std::string> TextBoxes(std::initializer_list<int> indices) {
  std::vector<std::string> ids;
  for (int i : indices) ids.push_back("txtParameter(" + std::to_string(i) + ")");
  return ids;
}

TEST_F(PageControlsTest, SensorInformationTabsHoldTheirChannelsFieldsInRowOrder) {
  // type, connection, cold junction, unit, upper/lower limit, upper/lower value
  const std::pair<std::string_view, std::vector<std::string>> channels[] = {
      {"PictArray(2)", TextBoxes({24, 8, 25, 22, 26, 7, 23, 34})},
      {"PictArray(3)", TextBoxes({28, 18, 29, 20, 30, 4, 27, 31})},
      {"PictArray(4)", TextBoxes({42, 33, 43, 35, 44, 32, 41, 45})},
      {"PictArray(11)", TextBoxes({50, 47, 52, 48, 53, 46, 49, 56})},
      {"PictArray(12)", TextBoxes({63, 60, 64, 61, 65, 58, 62, 66})},
      {"PictArray(28)", TextBoxes({72, 68, 73, 69, 74, 67, 71, 78})},
  };
  int tab = 0;
  for (const auto& [pict, fields] : channels) {
    EXPECT_EQ(Get(pict).parent, "SSTabInfoSensor") << pict;
    EXPECT_EQ(Get(pict).tab, tab++) << pict;
    EXPECT_EQ(index.column(pict, Kind::TextBox, kFieldColumn), fields) << pict;
    for (const std::string& field : fields) EXPECT_TRUE(Get(field).readOnly) << field;
  }
}

TEST_F(PageControlsTest, RangeTabsHoldTheirChannelsFieldsUnitAndButton) {
  // upper/lower limit, minimum span, upper/lower range value
  const std::pair<std::string_view, std::vector<std::string>> channels[] = {
      {"PictArray(5)", TextBoxes({37, 70, 38, 40, 39})},       {"PictArray(29)", TextBoxes({80, 79, 81, 87, 82})},
      {"PictArray(33)", TextBoxes({89, 88, 90, 92, 91})},      {"PictArray(40)", TextBoxes({94, 93, 95, 97, 96})},
      {"PictArray(44)", TextBoxes({99, 98, 100, 130, 129})},   {"PictArray(45)", TextBoxes({134, 133, 135, 160, 159})},
  };
  for (int k = 0; k < 6; ++k) {
    const auto& [pict, fields] = channels[k];
    const std::string channel = "(" + std::to_string(k) + ")";
    EXPECT_EQ(Get(pict).parent, "SSTabSensorRange");
    EXPECT_EQ(Get(pict).tab, k);
    EXPECT_EQ(index.column(pict, Kind::TextBox, kFieldColumn), fields) << pict;
    // Limits and span are the sensor's; the range values are the user's.
    for (int row = 0; row < 5; ++row) EXPECT_EQ(Get(fields[row]).readOnly, row < 3) << fields[row];
    // The unit combo and its own button share the last row.
    const ControlSpec& unit = Get("cmbPVUnits" + channel);
    EXPECT_EQ(unit.parent, pict);
    const ControlSpec* button = index.beside(unit, kExtraColumn);
    ASSERT_NE(button, nullptr) << pict;
    EXPECT_EQ(testing::IdOf(*button), "cmdChangeSensorUnit" + channel);
  }
  EXPECT_EQ(Get("cmdConfSRangeCopyAll").parent, "PictArray(5)");
}

TEST_F(PageControlsTest, SensorConfigurationTabsHoldTheirChannelsCombos) {
  const std::string_view picts[] = {"PictArray(46)", "PictArray(6)",  "PictArray(7)",
                                    "PictArray(9)",  "PictArray(25)", "PictArray(26)"};
  for (int k = 0; k < 6; ++k) {
    const std::string n = "(" + std::to_string(k) + ")";
    EXPECT_EQ(Get(picts[k]).parent, "SSTabConfSensor");
    EXPECT_EQ(Get(picts[k]).tab, k);
    EXPECT_EQ(index.column(picts[k], Kind::ComboBox, kFieldColumn),
              (std::vector<std::string>{"cmbSensorType" + n, "cmbSensorConnection" + n, "cmbColdJunction" + n}));
  }
  EXPECT_EQ(Get("cmdChannelSensorCopyToAll").parent, "PictArray(46)");
  EXPECT_EQ(Get("PictArray(53)").tab, 6);
  EXPECT_EQ(Get("frmGroupParameter(0)").parent, "PictArray(53)");
  EXPECT_EQ(index.column("frmGroupParameter(1)", Kind::TextBox, kFieldColumn), TextBoxes({138, 143, 144, 145}));
}

TEST_F(PageControlsTest, LampTabsHoldTheirLampsTopToBottomAndALegend) {
  EXPECT_EQ(index.column("PictArray(15)", Kind::Shape, kCaptionColumn),
            (std::vector<std::string>{"ShapeDiagnosis(0)", "ShapeDiagnosis(1)", "ShapeDiagnosis(2)",
                                      "ShapeDiagnosis(3)", "ShapeDiagnosis(4)", "ShapeDiagnosis(5)",
                                      "ShapeDiagnosis(6)", "ShapeDiagnosis(7)"}));
  EXPECT_EQ(index.column("PictArray(16)", Kind::Shape, kCaptionColumn),
            (std::vector<std::string>{"ShapeDiagnosis(19)", "ShapeDiagnosis(18)", "ShapeDiagnosis(17)",
                                      "ShapeDiagnosis(16)", "ShapeDiagnosis(15)", "ShapeDiagnosis(12)",
                                      "ShapeDiagnosis(13)", "ShapeDiagnosis(14)", "ShapeDiagnosis(20)",
                                      "ShapeDiagnosis(21)", "ShapeDiagnosis(22)", "ShapeDiagnosis(23)"}));
  for (std::string_view legend : {"frmAlarm(0)", "frmAlarm(1)"}) {
    const std::vector<std::string> lamps = index.column(legend, Kind::Shape, kCaptionColumn);
    ASSERT_EQ(lamps.size(), 2u) << legend;
    EXPECT_TRUE(Get(lamps[0]).lit) << legend;
    EXPECT_FALSE(Get(lamps[1]).lit) << legend;
    EXPECT_EQ(index.column(legend, Kind::Label, kFieldColumn).size(), 2u) << legend;
    EXPECT_EQ(CaptionOfLamp(lamps[0]), "Alarm");
    EXPECT_EQ(CaptionOfLamp(lamps[1]), "No Alarm");
  }
  EXPECT_EQ(Get("frmAlarm(0)").parent, "PictArray(15)");
  EXPECT_EQ(Get("frmAlarm(1)").parent, "PictArray(16)");
}

TEST_F(PageControlsTest, LoopTestTabsEachHoldOneGroupOfCurrentChoices) {
  const std::string_view others[] = {"txtParameter(76)",  "txtParameter(151)", "txtParameter(153)",
                                     "txtParameter(154)", "txtParameter(155)", "txtParameter(156)"};
  for (int k = 0; k < 6; ++k) {
    const std::string n = "(" + std::to_string(k) + ")";
    for (std::string_view option : {"Op4mA", "Op8mA", "Op12mA", "Op16mA", "Op20mA", "OpOther"}) {
      const ControlSpec& spec = Get(std::string(option) + n);
      EXPECT_EQ(spec.kind, Kind::OptionButton) << option << n;
      EXPECT_EQ(spec.parent, "SSTabLoopTest") << option << n;
      EXPECT_EQ(spec.tab, k) << option << n;
    }
    EXPECT_EQ(Get(others[k]).tab, k);
    EXPECT_EQ(index.beside(Get(others[k]), kCaptionColumn), index.find("OpOther" + n)) << others[k];
  }
}

TEST(PageForm, TheWidgetModelBuildsFromTheDescription) {
  toolkit::Clock clock;
  toolkit::Form form(AllControls(), clock);
  EXPECT_EQ(form.widgets().size(), AllControls().size());
  EXPECT_NE(form.find<toolkit::TextBox>("txtParameter", 57), nullptr);
  EXPECT_NE(form.find<toolkit::ComboBox>("cmbSensorType", 5), nullptr);
  EXPECT_NE(form.find<toolkit::Shape>("ShapeDiagnosis", 23), nullptr);
  EXPECT_NE(form.find<toolkit::Frame>("PictArray", 53), nullptr);
  ASSERT_NE(form.find<toolkit::TabControl>("SSTabConfSensor"), nullptr);
  EXPECT_EQ(form.find<toolkit::TabControl>("SSTabConfSensor")->captions().size(), 7u);
  EXPECT_EQ(form.get<toolkit::Label>("lbArray", 270).caption(), "s");

  // Choosing a current on one loop test tab leaves the other tabs' choices alone.
  auto& fourOnTab1 = form.get<toolkit::OptionButton>("Op4mA", 1);
  auto& fourOnTab2 = form.get<toolkit::OptionButton>("Op4mA", 2);
  form.select(fourOnTab1);
  form.select(fourOnTab2);
  form.select(form.get<toolkit::OptionButton>("Op8mA", 2));
  EXPECT_TRUE(fourOnTab1.value());
  EXPECT_FALSE(fourOnTab2.value());
}

}  // namespace
}  // namespace zolin6::forms
