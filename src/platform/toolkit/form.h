#pragma once
// The run-time set of the control's widgets, built from the design-time
// description. Widgets are looked up by name and control-array index.

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "forms/form_design.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/widgets.h"

namespace zolin6::toolkit {

class Form {
 public:
  Form(const std::vector<forms::ControlDesign>& designs, Clock& clock);

  // nullptr when no such control exists or it is of another kind.
  Widget* find(std::string_view id) const;
  template <class T>
  T* find(std::string_view name, int index = -1) const {
    return dynamic_cast<T*>(find(ControlId(name, index)));
  }
  // For controls the design-time description guarantees; a missing one is a
  // programming error caught by the form tests.
  template <class T>
  T& get(std::string_view name, int index = -1) const {
    T* widget = find<T>(name, index);
    if (widget == nullptr) std::abort();
    return *widget;
  }

  const std::vector<std::unique_ptr<Widget>>& widgets() const { return widgets_; }

  // Chooses an option button and clears the others sharing its container
  // and tab, as option buttons in one container do.
  void select(OptionButton& option);

  // One listener for every property change of every widget.
  void setListener(ChangeListener listener) { listener_ = std::move(listener); }

 private:
  ChangeListener listener_;
  std::vector<std::unique_ptr<Widget>> widgets_;
  std::unordered_map<std::string, Widget*> byId_;
};

}  // namespace zolin6::toolkit
