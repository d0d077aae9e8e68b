#include "describe.h"

#include <charconv>

namespace zolin6::scenario {

namespace {

using namespace zolin6::toolkit;

std::optional<Json> StateField(const UserCntrl::State& s, std::string_view name) {
  auto text = [](const std::string& value) { return Json(value); };
  if (name == "sPage") return text(s.sPage);
  if (name == "sSubPage") return text(s.sSubPage);
  if (name == "sReadCode") return text(s.sReadCode);
  if (name == "sWriteCode") return text(s.sWriteCode);
  if (name == "sConnState") return text(s.sConnState);
  if (name == "sRequestDoc") return text(s.sRequestDoc);
  if (name == "sInvokeId") return text(s.sInvokeId);
  if (name == "bFirstRead") return Json(s.bFirstRead);
  if (name == "bFixedCurrent") return Json(s.bFixedCurrent);
  if (name == "bUnitChanged") return Json(s.bUnitChanged);
  return std::nullopt;
}

// "StatusBar(2)" names panel 2 of the status bar.
std::optional<Json> StatusPanel(const UserCntrl& control, std::string_view name) {
  constexpr std::string_view prefix = "StatusBar(";
  if (!name.starts_with(prefix) || !name.ends_with(")")) return std::nullopt;
  std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
  int number = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (ec != std::errc() || end != digits.data() + digits.size() || number < 1 || number > 4) return std::nullopt;
  const auto& panel = control.form().get<StatusBar>("StatusBar").panel(number);
  return Json{{"text", panel.text}, {"picture", panel.picture}};
}

Json Properties(const Widget& w) {
  if (auto* t = dynamic_cast<const TextBox*>(&w)) {
    return {{"text", t->text()},
            {"visible", t->visible()},
            {"enabled", t->enabled()},
            {"backColor", t->backColor()},
            {"top", t->top()}};
  }
  if (auto* l = dynamic_cast<const Label*>(&w))
    return {{"caption", l->caption()}, {"visible", l->visible()}, {"top", l->top()}};
  if (auto* c = dynamic_cast<const ComboBox*>(&w)) {
    return {{"text", c->text()}, {"items", c->items()}, {"backColor", c->backColor()}};
  }
  if (auto* b = dynamic_cast<const CommandButton*>(&w)) return {{"caption", b->caption()}, {"enabled", b->enabled()}};
  if (auto* o = dynamic_cast<const OptionButton*>(&w)) return {{"value", o->value()}};
  if (auto* f = dynamic_cast<const Frame*>(&w)) return {{"visible", f->visible()}};
  if (auto* s = dynamic_cast<const Shape*>(&w)) {
    return {{"fillColor", s->fillColor()}, {"borderColor", s->borderColor()}, {"backColor", s->backColor()}};
  }
  if (auto* tc = dynamic_cast<const TabControl*>(&w)) return {{"tab", tc->tab()}, {"captions", tc->captions()}};
  if (auto* tm = dynamic_cast<const Timer*>(&w)) return {{"enabled", tm->enabled()}, {"interval", tm->interval()}};
  if (auto* tree = dynamic_cast<const TreeView*>(&w)) {
    Json nodes = Json::array();
    for (const TreeNode& n : tree->nodes()) {
      nodes.push_back({{"text", n.text}, {"tag", n.tag}, {"imageKey", n.imageKey}, {"parent", n.parent}});
    }
    return {{"nodes", nodes}};
  }
  if (auto* bar = dynamic_cast<const StatusBar*>(&w)) {
    Json panels = Json::array();
    for (int i = 1; i <= 4; ++i) panels.push_back(bar->panel(i).text);
    return {{"panels", panels}};
  }
  return Json::object();
}

}  // namespace

std::optional<Json> Describe(const UserCntrl& control, std::string_view name) {
  Json out = {{"event", "show"}, {"name", name}};
  std::optional<Json> props = StateField(control.state(), name);
  if (props) {
    props = Json{{"value", *props}};
  } else if (!(props = StatusPanel(control, name))) {
    const Widget* widget = control.form().find(name);
    if (widget == nullptr) return std::nullopt;
    props = Properties(*widget);
  }
  out.update(*props);
  return out;
}

Json DescribeState(const UserCntrl& control) {
  const UserCntrl::State& s = control.state();
  Json timers = Json::object();
  for (std::string_view name : forms::TimerNames()) {
    const auto& t = control.form().get<Timer>(name);
    timers[std::string(name)] = {{"enabled", t.enabled()}, {"interval", t.interval()}};
  }
  Json statusBar = Json::array();
  for (int i = 1; i <= 4; ++i) statusBar.push_back(control.form().get<StatusBar>("StatusBar").panel(i).text);
  Json visible = Json::array();
  for (std::string_view frame : forms::PageFrames()) {
    if (control.form().get<Frame>(frame).visible()) visible.push_back(frame);
  }
  return {{"event", "state"},
          {"sPage", s.sPage},
          {"sSubPage", s.sSubPage},
          {"sReadCode", s.sReadCode},
          {"sWriteCode", s.sWriteCode},
          {"sConnState", s.sConnState},
          {"bFirstRead", s.bFirstRead},
          {"bFixedCurrent", s.bFixedCurrent},
          {"bUnitChanged", s.bUnitChanged},
          {"timers", timers},
          {"statusBar", statusBar},
          {"visibleFrames", visible}};
}

}  // namespace zolin6::scenario
