// The contents of every page frame, page group by page group.

#include "forms/page_layout.h"

namespace zolin6::forms {

std::vector<ControlDesign> PageControls() {
  std::vector<ControlDesign> controls;
  for (auto group : {InfoPages, SensorPages, ConfigPages, ObservePages, DiagnosisPages, ProcedurePages, OffLinePages}) {
    std::vector<ControlDesign> part = group();
    controls.insert(controls.end(), part.begin(), part.end());
  }
  return controls;
}

}  // namespace zolin6::forms
