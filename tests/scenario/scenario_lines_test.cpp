// The lines against a place of their own: what the lines leave to the host
// (skipped and refused lines, the user's events, time, the end of a line)
// and what they keep (argument checks, events, error texts).

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "scenario_lines.h"

namespace zolin6::scenario {
namespace {

// A host that writes each call into the same log as the events, so the
// order of both can be checked. Its widgets reach nothing unless `reaches`.
class LoggingHost : public ScenarioHost, public toolkit::MessageBoxes {
 public:
  explicit LoggingHost(std::vector<std::string>& log) : log_(log) {}

  UserCntrl* control() override { return &control_; }
  toolkit::Millis now() const override { return clock_.now(); }
  std::optional<std::string> Declines(const std::string& command) const override {
    if (command == "init") return "";
    if (command == "call") return "no calls here";
    return std::nullopt;
  }
  transport::SimulatedDevice* sim() override { return nullptr; }
  void Advance(toolkit::Millis ms) override {
    log_.push_back("advance " + std::to_string(ms));
    clock_.advance(ms);
  }
  void BeginNotify() override { log_.push_back("begin notify"); }
  void LineDone() override { log_.push_back("done"); }
  void OpenNode(int node) override { log_.push_back("node " + std::to_string(node)); }
  void ChooseTab(toolkit::TabControl& tabs, int tab) override {
    log_.push_back("tab " + tabs.id() + " " + std::to_string(tab));
  }
  bool Click(toolkit::CommandButton& button) override { return Reach("click " + button.id()); }
  bool Type(toolkit::Widget& box, const std::string& text) override { return Reach("type " + box.id() + " " + text); }
  bool Choose(toolkit::OptionButton& option) override { return Reach("choose " + option.id()); }

  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override {
    return lines->AnswerBox(text, title, buttons, icon);
  }

  bool reaches = true;
  ScenarioLines* lines = nullptr;

 private:
  bool Reach(const std::string& entry) {
    log_.push_back(entry);
    return reaches;
  }

  std::vector<std::string>& log_;
  toolkit::Clock clock_;
  UserCntrl control_{HostServices{clock_, *this, ZOLIN6_ASSETS_DIR}};
};

class LinesTest : public ::testing::Test {
 protected:
  LinesTest() { host_.lines = &lines_; }

  int Run(const std::string& script) {
    std::istringstream input(script);
    return lines_.Run(input);
  }

  // What reached the host, without the ends of lines and the events.
  std::vector<std::string> HostCalls() const {
    std::vector<std::string> calls;
    for (const std::string& entry : log_) {
      if (entry != "done" && !entry.starts_with("{")) calls.push_back(entry);
    }
    return calls;
  }
  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const std::string& entry : log_) {
      if (entry.starts_with(R"({"event":"error")")) errors.push_back(Json::parse(entry)["message"]);
    }
    return errors;
  }

  std::vector<std::string> log_;
  LoggingHost host_{log_};
  ScenarioLines lines_{host_, [this](const Json& e) { log_.push_back(e.dump()); }};
};

TEST_F(LinesTest, TheHostSkipsOrRefusesLinesAndEachLineEndsBeforeItsError) {
  EXPECT_EQ(Run("init\n\n# a comment\ncall GetChannelCode x\nbogus\nadvance 250\n"), 2);
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "done",
                      "done",
                      R"({"event":"error","line":4,"message":"no calls here"})",
                      "done",
                      R"({"event":"error","line":5,"message":"unknown command: bogus"})",
                      "advance 250",
                      "done",
                  }));
}

TEST_F(LinesTest, UserEventsReachTheHostWithTheControlsFoundInTheModel) {
  EXPECT_EQ(Run("tree Configuration\ntab SSTabSensorRange 1\nclick cmdWriteParameter\nset txtParameter(87) \"1 2\"\n"
                "select Op20mA(0)\nnotify 7 x\n"),
            0);
  EXPECT_EQ(HostCalls(), (std::vector<std::string>{"node 7", "tab SSTabSensorRange 1", "click cmdWriteParameter",
                                                   "type txtParameter(87) 1 2", "choose Op20mA(0)", "begin notify"}));
  // The host hears of the script's notification before it is reported.
  EXPECT_EQ(log_.at(log_.size() - 2), R"({"event":"notify","at":0,"reason":7})");
}

TEST_F(LinesTest, AControlTheHostCannotReachIsUnknownAndTheModelIsCheckedFirst) {
  host_.reaches = false;
  Run("click cmdWriteParameter\nset txtParameter(87) 1\nselect Op20mA(0)\nset cmdBack 1\nclick TreeView\n");
  EXPECT_EQ(Errors(), (std::vector<std::string>{
                          "unknown button: cmdWriteParameter",
                          "unknown text box or combo box: txtParameter(87)",
                          "unknown option button: Op20mA(0)",
                          "unknown text box or combo box: cmdBack",
                          "unknown button: TreeView",
                      }));
  // Only the controls of the right kind were handed to the host.
  EXPECT_EQ(HostCalls(),
            (std::vector<std::string>{"click cmdWriteParameter", "type txtParameter(87) 1", "choose Op20mA(0)"}));
}

TEST_F(LinesTest, ArgumentsAreCheckedBeforeTheHostIsAsked) {
  EXPECT_EQ(Run("advance 86400001\nadvance -1\ntab SSTabSensorRange 9\ntree Nowhere\nsim offline\nsim\n"), 2);
  EXPECT_TRUE(HostCalls().empty());
  EXPECT_EQ(Errors(), (std::vector<std::string>{
                          "bad argument: advance takes a number of milliseconds up to a day",
                          "bad argument: advance takes a number of milliseconds up to a day",
                          "bad argument: no tab 9",
                          "unknown tree node: Nowhere",
                          "no simulated transmitter: use `driver sim` and `init` first",
                          "bad argument: sim takes offline, online, set TAG VALUE, fault CHANNEL, repair CHANNEL, "
                          "latency MS, save FILE or load FILE",
                      }));
}

}  // namespace
}  // namespace zolin6::scenario
