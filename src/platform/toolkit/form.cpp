#include "platform/toolkit/form.h"

namespace zolin6::toolkit {

namespace {
std::unique_ptr<Widget> Make(const forms::ControlDesign& s, const ChangeListener* l, Clock& clock) {
  using forms::Kind;
  switch (s.kind) {
    case Kind::Frame:
    case Kind::PictureBox: return std::make_unique<Frame>(s, l);
    case Kind::TabControl: return std::make_unique<TabControl>(s, l);
    case Kind::TextBox: return std::make_unique<TextBox>(s, l);
    case Kind::Label: return std::make_unique<Label>(s, l);
    case Kind::ComboBox: return std::make_unique<ComboBox>(s, l);
    case Kind::CommandButton: return std::make_unique<CommandButton>(s, l);
    case Kind::OptionButton: return std::make_unique<OptionButton>(s, l);
    case Kind::Shape: return std::make_unique<Shape>(s, l);
    case Kind::TreeView: return std::make_unique<TreeView>(s, l);
    case Kind::StatusBar: return std::make_unique<StatusBar>(s, l);
    case Kind::Timer: return std::make_unique<Timer>(s, l, clock);
  }
  return nullptr;
}
}  // namespace

Form::Form(const std::vector<forms::ControlDesign>& designs, Clock& clock) {
  widgets_.reserve(designs.size());
  for (const forms::ControlDesign& design : designs) {
    auto widget = Make(design, &listener_, clock);
    byId_.emplace(widget->id(), widget.get());
    widgets_.push_back(std::move(widget));
  }
}

Widget* Form::find(std::string_view id) const {
  auto it = byId_.find(std::string(id));
  return it == byId_.end() ? nullptr : it->second;
}

void Form::select(OptionButton& option) {
  for (const auto& w : widgets_) {
    auto* other = dynamic_cast<OptionButton*>(w.get());
    if (other != nullptr && other != &option && other->design().parent == option.design().parent &&
        other->design().tab == option.design().tab) {
      other->setValue(false);
    }
  }
  option.setValue(true);
}

}  // namespace zolin6::toolkit
