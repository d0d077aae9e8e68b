#include "forms/page_layout.h"

#include <functional>
#include <mutex>
#include <set>

namespace zolin6::forms::layout {

std::string_view Keep(std::string text) {
  // A node-based set: a kept text never moves once inserted.
  static std::mutex mutex;
  static std::set<std::string, std::less<>> kept;
  std::lock_guard lock(mutex);
  return *kept.insert(std::move(text)).first;
}

std::string_view IdOf(std::string_view name, int index) {
  if (index < 0) return name;
  return Keep(std::string(name) + "(" + std::to_string(index) + ")");
}

std::string_view CaptionLabelName(std::string_view field) {
  for (std::string_view prefix : {"txt", "cmb", "Shape", "Op"}) {
    if (field.starts_with(prefix)) {
      field.remove_prefix(prefix.size());
      break;
    }
  }
  return Keep("lb" + std::string(field));
}

namespace {
Kind FieldKind(std::string_view field) { return field.starts_with("cmb") ? Kind::ComboBox : Kind::TextBox; }
}  // namespace

void PageBuilder::add(Place at, ControlDesign design) {
  design.parent = at.parent;
  design.tab = at.tab;
  controls_.push_back(design);
}

Place PageBuilder::container(Place at, Kind kind, std::string_view name, int index, std::string_view caption, int row,
                             int column) {
  add(at, {.kind = kind, .name = name, .index = index, .caption = caption, .row = row, .column = column});
  return {IdOf(name, index)};
}

void PageBuilder::rows(Place at, std::span<const FieldRow> rows, int firstRow) {
  int row = firstRow;
  for (const FieldRow& r : rows) {
    if (r.captionLabel >= 0) {
      label(at, row, kCaptionColumn, "lbArray", r.captionLabel, r.caption);
    } else {
      label(at, row, kCaptionColumn, CaptionLabelName(r.field), r.index, r.caption);
    }
    add(at, {.kind = FieldKind(r.field),
             .name = r.field,
             .index = r.index,
             .row = row,
             .column = kFieldColumn,
             .readOnly = r.readOnly});
    if (r.unitLabel >= 0) label(at, row, kUnitColumn, "lbArray", r.unitLabel, r.unit);
    ++row;
  }
}

void PageBuilder::label(Place at, int row, int column, std::string_view name, int index, std::string_view caption) {
  add(at, {.kind = Kind::Label, .name = name, .index = index, .caption = caption, .row = row, .column = column});
}

void PageBuilder::button(Place at, int row, int column, std::string_view name, int index, std::string_view caption) {
  add(at,
      {.kind = Kind::CommandButton, .name = name, .index = index, .caption = caption, .row = row, .column = column});
}

}  // namespace zolin6::forms::layout
