#pragma once
// Building blocks of the page descriptions: the place of a control, a row of
// caption label, field and unit label, and a builder that appends controls in
// container-first order. Internal to src/forms.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form_design.h"

namespace zolin6::forms {

// The contents of the page frames, one function per group of pages; each
// returns its controls with every container before the controls it holds.
std::vector<ControlDesign> InfoPages();       // frmInfo, frmInfoHart, frmInfoSensor
std::vector<ControlDesign> SensorPages();     // frmChannelSensor, frmConf_Range, frmConfLocalTemp
std::vector<ControlDesign> ConfigPages();     // frmConfHART, frmConfLCD, frmSpecialFunction
std::vector<ControlDesign> ObservePages();    // frmObserve
std::vector<ControlDesign> DiagnosisPages();  // frmDiagnosis
std::vector<ControlDesign> ProcedurePages();  // trim, loop test and maintenance frames
std::vector<ControlDesign> OffLinePages();    // the four off-line frames

namespace layout {

// ControlDesign holds views, so texts made at run time (ids of array members,
// numbered captions) are kept here for the life of the program.
std::string_view Keep(std::string text);

// "PictArray(2)" for an array member; the bare name (not copied) otherwise.
std::string_view IdOf(std::string_view name, int index = -1);

// The name of the caption label that belongs to a field the device pages do
// not name a label for: the field's name without its kind prefix, after
// "lb" ("txtParameter" gives "lbParameter", "cmbLoopAlarm" "lbLoopAlarm",
// "ShapeDiagnosis" "lbDiagnosis"). The label shares the field's index.
std::string_view CaptionLabelName(std::string_view field);

// Where a control sits: its container and, when that is a tab control, its tab.
struct Place {
  std::string_view parent;  // id of the container
  int tab = -1;             // tab of a tab-control parent; -1 otherwise
};

// One row of a page: caption label, field, and an optional unit label.
struct FieldRow {
  std::string_view caption;  // text of the caption label
  std::string_view field;    // "txtParameter" (a text box) or a "cmb..." name (a combo box)
  int index = -1;            // the field's control-array index; -1 for a single control
  int captionLabel = -1;     // lbArray index of the caption label; -1: a label named by CaptionLabelName
  bool readOnly = false;     // the field only shows what the device reports
  int unitLabel = -1;        // lbArray index of the unit label right of the field; -1: none
  std::string_view unit{};   // design-time caption of the unit label
};

class PageBuilder {
 public:
  // Any control at `at`.
  void add(Place at, ControlDesign design);
  // A picture box, group frame or tab control; returns the place inside it
  // (for a tab control, tab -1: use OnTab).
  Place container(Place at, Kind kind, std::string_view name, int index = -1, std::string_view caption = {},
                  int row = 0, int column = kCaptionColumn);
  Place picture(Place at, int index) { return container(at, Kind::PictureBox, "PictArray", index); }
  // Caption label, field and unit label of each row, from firstRow down.
  void rows(Place at, std::span<const FieldRow> rows, int firstRow = 0);
  void label(Place at, int row, int column, std::string_view name, int index, std::string_view caption);
  void button(Place at, int row, int column, std::string_view name, int index, std::string_view caption);

  std::vector<ControlDesign> take() { return std::move(controls_); }

 private:
  std::vector<ControlDesign> controls_;
};

inline Place OnTab(Place tabControl, int tab) { return {tabControl.parent, tab}; }

}  // namespace layout
}  // namespace zolin6::forms
