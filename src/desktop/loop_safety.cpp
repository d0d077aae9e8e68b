#include "desktop/loop_safety.h"

#include <array>

#include "desktop/prompter.h"
#include "desktop/window_feedback.h"
#include "navigation/page_names.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

using navigation::ProcedureKind;

// The loop test's currents, in the order its option buttons stand.
constexpr std::array<std::pair<const char*, const char*>, 5> kFixedCurrents{
    {{"Op4mA", "4"}, {"Op8mA", "8"}, {"Op12mA", "12"}, {"Op16mA", "16"}, {"Op20mA", "20"}}};
// The loop test's "Other" text box of each channel.
constexpr std::array<int, 6> kOtherCurrentBoxes{76, 151, 153, 154, 155, 156};

QString Channels(const std::vector<int>& channels) {
  QStringList names;
  for (int channel : channels) names << QString::number(channel);
  return (channels.size() == 1 ? "Channel " : "Channels ") + names.join(", ");
}

}  // namespace

LoopSafety::LoopSafety(view::MainWindow& window, UserCntrl& control, WindowFeedback& feedback, Prompter& prompter)
    : QObject(&window), window_(window), control_(control), feedback_(feedback), prompter_(prompter) {
  window.binding().addGate([this](const toolkit::Widget& target) { return allows(target); });
  feedback.onActivityChange([this] { heldChanged(); });
  feedback.setProgress([this](const UserCntrl::State& state) { return progress(state); });
}

std::pair<int, QString> LoopSafety::holdOf(const toolkit::Widget& target) const {
  const UserCntrl::State& state = control_.state();
  if (state.sConnState != "Connected") return {0, {}};
  const auto page = navigation::ParseProcedurePage(state.sPage);
  if (!page) return {0, {}};
  if (page->kind == ProcedureKind::kPointChoice && (target.id() == "cmd4mA" || target.id() == "cmd20mA")) {
    return {page->channel, target.id() == "cmd4mA" ? "4 mA" : "20 mA"};
  }
  if (page->kind != ProcedureKind::kLoopTest || target.id() != "cmdWriteParameter") return {0, {}};
  const toolkit::Form& form = control_.form();
  const int tab = page->channel - 1;
  for (const auto& [option, milliamps] : kFixedCurrents) {
    if (form.get<toolkit::OptionButton>(option, tab).value()) return {page->channel, QString(milliamps) + " mA"};
  }
  const std::string other =
      form.get<toolkit::TextBox>("txtParameter", kOtherCurrentBoxes[static_cast<std::size_t>(tab)]).text();
  return {page->channel, other.empty() ? QString("the current chosen") : QString::fromStdString(other) + " mA"};
}

bool LoopSafety::allows(const toolkit::Widget& target) {
  const auto [channel, current] = holdOf(target);
  // An output already held is out of automatic control: changing its
  // current needs no second warning.
  if (channel == 0 || feedback_.activity().heldCurrent(channel)) return true;
  return prompter_.ask({"HoldOutputQuestion",
                        "Remove the Loop from Automatic Control",
                        QString("Remove the loop from automatic control.\n\nThe output of channel %1 will be held at "
                                "%2: the controller, recorder and alarms on that loop see this current, not the "
                                "temperature, until the output is released. Put the loop in manual, or bypass "
                                "its trips, before you go on.")
                            .arg(channel)
                            .arg(current),
                        {"The Loop Is Safe: Hold the Output", "Cancel"},
                        1});
}

QString LoopSafety::boxNote(const std::string& text, toolkit::Buttons buttons) {
  const std::string& sPage = control_.state().sPage;
  askedPoint_ = {0, 0};
  askedSensorPoint_.clear();
  const bool question = buttons == toolkit::Buttons::YesNo;
  if (auto page = navigation::ParseProcedurePage(sPage); page && page->kind == ProcedureKind::kTrimStep && question) {
    askedPoint_ = {page->channel, page->milliamps};
    const int next = page->milliamps == 4 ? 20 : 4;
    return QString(
               "The meter in the loop of channel %1 should read %2.000 mA now.\nYes: this point is trimmed "
               "and the output released; next, the %3 mA point (if it is not done yet). No: type the "
               "meter's new reading and press Write again.")
        .arg(page->channel)
        .arg(page->milliamps)
        .arg(next);
  }
  if (sPage == "Sensor Lower Trim" || sPage == "Sensor Upper Trim") {
    if (!question) return "Next the device is asked to take the value; then you check the reading.";
    askedSensorPoint_ = sPage;
    return sPage == "Sensor Lower Trim"
               ? "The reading should now show the value you typed.\nYes: the lower point is set; next, Sensor "
                 "Upper Trim. No: type the value again and press Write."
               : "The reading should now show the value you typed.\nYes: the upper point is set; the trim is "
                 "done once both points are. No: type the value again and press Write.";
  }
  if (sPage == "Cal Temp" && question) {
    return "The temperature should now show the value you typed.\nYes: the temperature trim is done and the "
           "trim menu opens. No: type the value again and press Write.";
  }
  (void)text;
  return {};
}

void LoopSafety::boxAnswered(toolkit::Answer answer) {
  if (answer != toolkit::Answer::Yes) return;
  if (askedPoint_.first != 0) trimmed_.insert(askedPoint_);
  if (!askedSensorPoint_.empty()) sensorPointsDone_.insert(askedSensorPoint_);
}

QString LoopSafety::progress(const UserCntrl::State& state) const {
  if (auto page = navigation::ParseProcedurePage(state.sPage); page && page->kind == ProcedureKind::kPointChoice) {
    const bool low = trimmed_.contains({page->channel, 4});
    const bool high = trimmed_.contains({page->channel, 20});
    if (low && high)
      return QString("Channel %1: both points are trimmed. Back chooses another channel.").arg(page->channel);
    if (low || high) {
      return QString("Channel %1: the %2 mA point is trimmed; next, the %3 mA point.")
          .arg(page->channel)
          .arg(low ? 4 : 20)
          .arg(low ? 20 : 4);
    }
    return {};
  }
  if (state.sPage != "Sensor Trim Menu" || sensorPointsDone_.empty()) return {};
  if (sensorPointsDone_.size() == 2) return "Both sensor trim points are set.";
  return sensorPointsDone_.contains("Sensor Lower Trim") ? "The lower point is set; next, Sensor Upper Trim."
                                                         : "The upper point is set; next, Sensor Lower Trim.";
}

void LoopSafety::heldChanged() {
  const std::map<int, double>& now = feedback_.activity().heldOutputs();
  std::vector<int> released;
  for (const auto& [channel, current] : held_) {
    if (!now.contains(channel)) released.push_back(channel);
  }
  held_ = now;
  if (released.empty()) return;
  const QString who = Channels(released);
  feedback_.showReleased(who + (released.size() == 1 ? " output released" : " outputs released") +
                         " \u2014 the loop may be returned to automatic control.");
  prompter_.tell("OutputReleased", "Output Released",
                 who +
                     ": the device confirmed the release of the output.\n\nThe loop may be returned to automatic "
                     "control.");
}

}  // namespace zolin6::desktop
