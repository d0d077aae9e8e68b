#pragma once
// Looks up the design-time controls by id and by their place on a page, the
// way the widget model and the desktop view do.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form_spec.h"

namespace zolin6::forms::testing {

inline std::string IdOf(const ControlSpec& spec) {
  std::string id(spec.name);
  if (spec.index >= 0) id += "(" + std::to_string(spec.index) + ")";
  return id;
}

class ControlIndex {
 public:
  explicit ControlIndex(const std::vector<ControlSpec>& controls) : controls_(controls) {
    for (const ControlSpec& spec : controls) byId_.emplace(IdOf(spec), &spec);
  }

  const ControlSpec* find(std::string_view id) const {
    auto it = byId_.find(std::string(id));
    return it == byId_.end() ? nullptr : it->second;
  }

  // The control in the same container, tab and row as `on`, at `column`.
  const ControlSpec* beside(const ControlSpec& on, int column) const {
    for (const ControlSpec& spec : controls_) {
      if (spec.parent == on.parent && spec.tab == on.tab && spec.row == on.row && spec.column == column &&
          &spec != &on) {
        return &spec;
      }
    }
    return nullptr;
  }

  // Ids of the controls of `kind` held by `parent`, top to bottom.
  std::vector<std::string> column(std::string_view parent, Kind kind, int col) const {
    std::multimap<int, std::string> byRow;
    for (const ControlSpec& spec : controls_) {
      if (spec.parent == parent && spec.kind == kind && spec.column == col) byRow.emplace(spec.row, IdOf(spec));
    }
    std::vector<std::string> ids;
    for (const auto& [row, id] : byRow) ids.push_back(id);
    return ids;
  }

 private:
  const std::vector<ControlSpec>& controls_;
  std::map<std::string, const ControlSpec*> byId_;
};

}  // namespace zolin6::forms::testing
