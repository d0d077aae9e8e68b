#include "platform/toolkit/widgets.h"

#include <utility>

namespace zolin6::toolkit {

namespace {
// Design-time rows are 375 twips apart.
constexpr int kRowHeight = 375;

template <class T>
void Assign(T& field, T value, bool& changedFlag) {
  if (field != value) {
    field = std::move(value);
    changedFlag = true;
  }
}
}  // namespace

std::string ControlId(std::string_view name, int index) {
  std::string id(name);
  if (index >= 0) id += "(" + std::to_string(index) + ")";
  return id;
}

Widget::Widget(const forms::ControlDesign& design, const ChangeListener* listener)
    : design_(design), id_(ControlId(design.name, design.index)), listener_(listener) {}

void Widget::changed() const {
  if (listener_ != nullptr && *listener_) (*listener_)(*this);
}

#define ZOLIN6_SETTER(field, value) \
  do {                              \
    bool dirty = false;             \
    Assign(field, value, dirty);    \
    if (dirty) changed();           \
  } while (false)

TextBox::TextBox(const forms::ControlDesign& design, const ChangeListener* listener)
    : Widget(design, listener),
      text_(design.caption),
      visible_(design.visible),
      enabled_(design.enabled),
      top_(design.row * kRowHeight) {}
void TextBox::setText(std::string text) { ZOLIN6_SETTER(text_, std::move(text)); }
void TextBox::setVisible(bool visible) { ZOLIN6_SETTER(visible_, visible); }
void TextBox::setBackColor(OleColor color) { ZOLIN6_SETTER(backColor_, color); }
void TextBox::setTop(int top) { ZOLIN6_SETTER(top_, top); }

Label::Label(const forms::ControlDesign& design, const ChangeListener* listener)
    : Widget(design, listener), caption_(design.caption), visible_(design.visible), top_(design.row * kRowHeight) {}
void Label::setCaption(std::string caption) { ZOLIN6_SETTER(caption_, std::move(caption)); }
void Label::setVisible(bool visible) { ZOLIN6_SETTER(visible_, visible); }
void Label::setTop(int top) { ZOLIN6_SETTER(top_, top); }

void ComboBox::clear() {
  items_.clear();
  changed();
}
void ComboBox::addItem(std::string item) {
  items_.push_back(std::move(item));
  changed();
}
void ComboBox::setText(std::string text) { ZOLIN6_SETTER(text_, std::move(text)); }
void ComboBox::setBackColor(OleColor color) { ZOLIN6_SETTER(backColor_, color); }

CommandButton::CommandButton(const forms::ControlDesign& design, const ChangeListener* listener)
    : Widget(design, listener), caption_(design.caption), enabled_(design.enabled) {}
void CommandButton::setEnabled(bool enabled) { ZOLIN6_SETTER(enabled_, enabled); }

void OptionButton::setValue(bool value) { ZOLIN6_SETTER(value_, value); }

Frame::Frame(const forms::ControlDesign& design, const ChangeListener* listener)
    : Widget(design, listener), visible_(design.visible) {}
void Frame::setVisible(bool visible) { ZOLIN6_SETTER(visible_, visible); }

// Lamps start dark blue; the "Alarm" lamp of a legend is lit at design time.
Shape::Shape(const forms::ControlDesign& design, const ChangeListener* listener)
    : Widget(design, listener), fill_(design.lit ? kLampOn : kLampOff), border_(fill_), back_(fill_) {}
void Shape::setFillColor(OleColor c) { ZOLIN6_SETTER(fill_, c); }
void Shape::setBorderColor(OleColor c) { ZOLIN6_SETTER(border_, c); }
void Shape::setBackColor(OleColor c) { ZOLIN6_SETTER(back_, c); }

TabControl::TabControl(const forms::ControlDesign& design, const ChangeListener* listener) : Widget(design, listener) {
  std::string_view rest = design.caption;
  while (!rest.empty()) {
    std::size_t bar = rest.find('|');
    captions_.emplace_back(rest.substr(0, bar));
    if (bar == std::string_view::npos) break;
    rest.remove_prefix(bar + 1);
  }
}
void TabControl::setTab(int tab) { ZOLIN6_SETTER(tab_, tab); }

void TreeView::addNode(TreeNode node) {
  nodes_.push_back(std::move(node));
  changed();
}

StatusBar::StatusBar(const forms::ControlDesign& design, const ChangeListener* listener) : Widget(design, listener) {
  panels_[0].text = std::string(design.caption);
}
void StatusBar::setText(int number, std::string text) {
  ZOLIN6_SETTER(panels_.at(static_cast<std::size_t>(number - 1)).text, std::move(text));
}
void StatusBar::setPicture(int number, std::string picture) {
  ZOLIN6_SETTER(panels_.at(static_cast<std::size_t>(number - 1)).picture, std::move(picture));
}

#undef ZOLIN6_SETTER

}  // namespace zolin6::toolkit
