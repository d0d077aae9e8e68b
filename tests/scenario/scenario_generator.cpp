#include "scenario_generator.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "event_output.h"
#include "fakes/fake_message_boxes.h"
#include "forms/form_design.h"
#include "platform/locale.h"
#include "scenario_runner.h"

namespace zolin6::scenario {

namespace {

// What the technician may type into a field: plain numbers, numbers the
// pages refuse, texts, nothing.
constexpr std::array kTypedTexts = {"0",     "4",    "20",   "12.5",   "-10",  "100",   "150.25", "600",
                                    "850",   "1200", "-250", "0.0001", "1e3",  "12,5",  "abc",    "",
                                    "99999", "3.6",  "23",   "TT-602", "-0.5", "21.75", "0.004",  "  7  "};
// What the bench may do to the simulated device, as `sim` lines.
constexpr std::array kBenchLines = {"sim fault 1",
                                    "sim fault 2",
                                    "sim fault local",
                                    "sim repair 1",
                                    "sim repair 2",
                                    "sim repair local",
                                    "sim set WriteProtect 1",
                                    "sim set WriteProtect 0",
                                    "sim set \"Device Status\" 16",
                                    "sim set DiagStatus 4",
                                    "sim set DiagStatusByte1 4",
                                    "sim set Sns1Value 35.5",
                                    "sim set Sns2Value 310",
                                    "sim set Sns3Value -5",
                                    "sim set LocalTemp 41",
                                    "sim set Tag \"TT-7A\"",
                                    "sim set Message \"BENCH TEST\"",
                                    "sim set Date 2/11/2026",
                                    "sim set BackupMode 1",
                                    "sim set BackupMode 0",
                                    "sim set Sns1UpperRangeValue 400",
                                    "sim set Sns2Unit 33",
                                    "sim set Display1 12",
                                    "sim latency 150",
                                    "sim latency 300"};
constexpr std::array kWaits = {0, 100, 250, 300, 400, 700, 1000, 1500, 2100, 2600, 3100, 6000, 12000};

// The page frame each control sits in, found through its containers.
std::map<std::string, std::string> PageOfControls() {
  std::map<std::string, std::string> parentOf;
  for (const forms::ControlDesign& c : forms::AllControls()) {
    parentOf[toolkit::ControlId(c.name, c.index)] = std::string(c.parent);
  }
  const std::set<std::string_view> pages(forms::PageFrames().begin(), forms::PageFrames().end());
  std::map<std::string, std::string> pageOf;
  for (const auto& [id, parent] : parentOf) {
    std::string at = parent;
    while (!at.empty() && !pages.contains(at)) at = parentOf[at];
    if (!at.empty()) pageOf[id] = at;
  }
  return pageOf;
}

class Technician {
 public:
  explicit Technician(std::uint32_t seed)
      : random_(seed),
        runner_(std::make_unique<ScenarioRunner>([this](const Json& event) { Take(event); }, ZOLIN6_ASSETS_DIR)),
        pageOf_(PageOfControls()) {
    fakes::FakeMessageBoxes boxes;
    toolkit::Clock clock;
    const UserCntrl control(HostServices{clock, boxes, ZOLIN6_ASSETS_DIR});
    for (const toolkit::TreeNode& node : control.form().get<toolkit::TreeView>("TreeView").nodes()) {
      nodes_.push_back(node.text);
    }
  }

  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random_) < percent; }
  template <class Range>
  auto Pick(const Range& range) {
    return range[std::uniform_int_distribution<std::size_t>(0, std::size(range) - 1)(random_)];
  }

  GeneratedScenario Play(int steps) {
    Run("driver sim");
    if (Chance(8)) Run("locale ,");
    Run("init");
    Run("advance " + std::to_string(Pick(std::array{300, 1300, 1600, 2500})));
    Look();
    for (int step = 0; step < steps; ++step) Act();
    Run("state");
    // The control closing its session at the end is part of the output.
    runner_.reset();
    platform::SetUserLocale({'.'});
    return std::move(scenario_);
  }

 private:
  void Take(const Json& event) {
    if (event["event"] == "frame") return;
    if (event["event"] == "state") {
      visible_.clear();
      for (const auto& frame : event["visibleFrames"]) visible_.insert(frame.get<std::string>());
    }
    if (event["event"] == "show" && event.contains("items")) lastItems_ = event["items"];
    if (event["event"] == "error") ++scenario_.refusedLines;
    scenario_.output.push_back(EventLine(event));
  }

  void Run(const std::string& line) {
    scenario_.text += line + "\n";
    runner_->RunLine(++lineNumber_, line);
  }

  // What the technician sees after moving: the page, and some of its values.
  void Look() {
    Run("state");
    Show();
  }
  static std::string Id(const forms::ControlDesign* control) {
    return toolkit::ControlId(control->name, control->index);
  }

  // The controls of one kind on the pages on show.
  std::vector<const forms::ControlDesign*> OnShow(forms::Kind kind) const {
    std::vector<const forms::ControlDesign*> found;
    for (const forms::ControlDesign& c : forms::AllControls()) {
      const auto page = pageOf_.find(toolkit::ControlId(c.name, c.index));
      if (c.kind == kind && page != pageOf_.end() && visible_.contains(page->second)) found.push_back(&c);
    }
    return found;
  }

  void Act() {
    const int dice = std::uniform_int_distribution<int>(0, 99)(random_);
    if (dice < 14) {
      Run("tree \"" + Pick(nodes_) + "\"");
      Run("advance " + std::to_string(Pick(kWaits)));
      Look();
    } else if (dice < 24) {
      Tab();
    } else if (dice < 40) {
      Type();
    } else if (dice < 52) {
      ChooseFromList();
    } else if (dice < 56) {
      if (auto options = OnShow(forms::Kind::OptionButton); !options.empty()) Run("select " + Id(Pick(options)));
    } else if (dice < 70) {
      Click();
    } else if (dice < 76) {
      Bench();
    } else if (dice < 90) {
      Run("advance " + std::to_string(Pick(kWaits)));
    } else {
      Show();
    }
  }

  void Tab() {
    auto tabs = OnShow(forms::Kind::TabControl);
    if (tabs.empty()) return;
    const forms::ControlDesign* tab = Pick(tabs);
    const auto count = std::count(tab->caption.begin(), tab->caption.end(), '|') + 1;
    Run("tab " + Id(tab) + " " + std::to_string(std::uniform_int_distribution<long>(0, count - 1)(random_)));
    Run("advance " + std::to_string(Pick(kWaits)));
    Look();
  }

  void Type() {
    std::vector<const forms::ControlDesign*> fields;
    for (const forms::ControlDesign* c : OnShow(forms::Kind::TextBox)) {
      if (!c->readOnly) fields.push_back(c);
    }
    if (fields.empty()) return;
    Run("set " + Id(Pick(fields)) + " \"" + Pick(kTypedTexts) + "\"");
  }

  void ChooseFromList() {
    auto lists = OnShow(forms::Kind::ComboBox);
    if (lists.empty()) return;
    const std::string id = Id(Pick(lists));
    lastItems_ = Json::array();
    Run("show " + id);
    if (lastItems_.empty()) return;
    Run("set " + id + " \"" + Pick(lastItems_).get<std::string>() + "\"");
  }

  void Click() {
    auto buttons = OnShow(forms::Kind::CommandButton);
    for (const char* below : {"cmdWriteParameter", "cmdBack", "cmdSave"}) {
      buttons.push_back(
          &*std::ranges::find(forms::AllControls(), std::string_view(below), &forms::ControlDesign::name));
    }
    if (Chance(50)) Run(std::string("answer ") + Pick(std::array{"yes", "no", "ok", "yes yes", "yes no"}));
    const forms::ControlDesign* button = Pick(buttons);
    Run("click " + Id(button));
    Run("advance " + std::to_string(Pick(kWaits)));
    Look();
  }

  void Bench() {
    if (Chance(15)) {
      Run("sim offline");
      Run("advance " + std::to_string(Pick(kWaits)));
      Run("sim online");
      return;
    }
    Run(Pick(kBenchLines));
  }

  void Show() {
    std::vector<const forms::ControlDesign*> shown;
    for (forms::Kind kind : {forms::Kind::TextBox, forms::Kind::ComboBox, forms::Kind::Label, forms::Kind::Shape}) {
      auto found = OnShow(kind);
      shown.insert(shown.end(), found.begin(), found.end());
    }
    std::string line = "show StatusBar(1) StatusBar(4)";
    for (int i = 0; i < 4 && !shown.empty(); ++i) line += " " + Id(Pick(shown));
    Run(line);
  }

  std::mt19937 random_;
  GeneratedScenario scenario_;
  std::unique_ptr<ScenarioRunner> runner_;
  std::map<std::string, std::string> pageOf_;
  std::vector<std::string> nodes_;
  std::set<std::string> visible_;
  Json lastItems_ = Json::array();
  int lineNumber_ = 0;
};

}  // namespace

GeneratedScenario GenerateScenario(std::uint32_t seed, int steps) { return Technician(seed).Play(steps); }

}  // namespace zolin6::scenario
