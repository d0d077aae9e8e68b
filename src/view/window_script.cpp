#include "view/window_script.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <charconv>
#include <istream>

#include "describe.h"
#include "line_parser.h"
#include "platform/locale.h"

namespace zolin6::view {

namespace {

using scenario::Json;

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Usage(const char* command, const char* usage) {
  return std::string("bad argument: ") + command + " takes " + usage;
}

const char* AnswerText(toolkit::Answer a) {
  switch (a) {
    case toolkit::Answer::Yes: return "yes";
    case toolkit::Answer::No: return "no";
    case toolkit::Answer::Ok: break;
  }
  return "ok";
}

const char* IconText(toolkit::Icon i) {
  switch (i) {
    case toolkit::Icon::Critical: return "critical";
    case toolkit::Icon::Information: return "information";
    case toolkit::Icon::None: break;
  }
  return "none";
}

}  // namespace

WindowScript::WindowScript(MainWindow& window, UserCntrl& control, toolkit::Clock& clock, QtMessageBoxes& boxes,
                           Output output)
    : window_(window), control_(control), clock_(clock), boxes_(boxes), output_(std::move(output)) {
  boxes_.setResponder([this](const std::string& text, const std::string& title, toolkit::Buttons buttons,
                             toolkit::Icon icon) { return Answer(text, title, buttons, icon); });
}

WindowScript::~WindowScript() { boxes_.setResponder({}); }

int WindowScript::Run(std::istream& input) {
  int status = 0;
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    if (!RunLine(number, line)) status = 2;
  }
  return status;
}

bool WindowScript::RunLine(int number, std::string_view line) {
  auto parsed = scenario::ParseLine(line);
  std::string error;
  if (!parsed) {
    error = "bad argument: unterminated quote";
  } else if (parsed->command.empty()) {
    return true;
  } else {
    error = Dispatch(parsed->command, parsed->args);
  }
  // Let the window catch up with what the line changed.
  QApplication::processEvents();
  if (error.empty()) return true;
  output_(Json{{"event", "error"}, {"line", number}, {"message", error}}.dump());
  return false;
}

std::string WindowScript::Dispatch(const std::string& command, const Args& args) {
  // The application has already created, bound and started the control.
  if (command == "driver" || command == "init") return "";
  if (command == "locale") {
    if (args.size() != 1 || (args[0] != "." && args[0] != ",")) return Usage("locale", "\".\" or \",\"");
    platform::SetUserLocale({args[0][0]});
    return "";
  }
  if (command == "advance") return Advance(args);
  if (command == "notify") {
    auto reason = args.empty() ? std::nullopt : ParseInteger(args[0]);
    if (!reason || *reason < INT32_MIN || *reason > INT32_MAX) return Usage("notify", "a code and a text");
    // A notification of the script arrives now, as a user's event does.
    window_.binding().beginUserEvent();
    output_(Json{{"event", "notify"}, {"at", clock_.now()}, {"reason", *reason}}.dump());
    control_.UpdateUI(static_cast<std::int32_t>(*reason), args.size() > 1 ? args[1] : std::string());
    return "";
  }
  if (command == "tree") return Tree(args);
  if (command == "tab") return Tab(args);
  if (command == "click") return Click(args);
  if (command == "set") return Set(args);
  if (command == "select") return Select(args);
  if (command == "answer") {
    std::vector<toolkit::Answer> parsed;
    for (const std::string& a : args) {
      if (a == "yes")
        parsed.push_back(toolkit::Answer::Yes);
      else if (a == "no")
        parsed.push_back(toolkit::Answer::No);
      else if (a == "ok")
        parsed.push_back(toolkit::Answer::Ok);
      else
        return Usage("answer", "yes, no or ok");
    }
    if (parsed.empty()) return Usage("answer", "yes, no or ok");
    answers_.insert(answers_.end(), parsed.begin(), parsed.end());
    return "";
  }
  if (command == "show") {
    if (args.empty()) return Usage("show", "one or more names");
    std::string unknown;
    for (const std::string& name : args) {
      if (auto described = scenario::Describe(control_, name)) {
        output_(described->dump());
      } else {
        unknown += (unknown.empty() ? "" : ", ") + name;
      }
    }
    return unknown.empty() ? "" : "unknown control or field: " + unknown;
  }
  if (command == "state") {
    if (!args.empty()) return Usage("state", "no arguments");
    output_(scenario::DescribeState(control_).dump());
    return "";
  }
  if (command == "release") {
    if (!args.empty()) return Usage("release", "no arguments");
    output_(Json{{"event", "release"}, {"result", control_.PrepareToRelease()}}.dump());
    return "";
  }
  if (command == "sim") return sim_ ? sim_(args) : "the simulated transmitter is not in use";
  if (command == "call" || command == "destroy") return command + " is not available in the window; use zolin6-script";
  return "unknown command: " + command;
}

std::string WindowScript::Tree(const Args& args) {
  if (args.size() != 1) return Usage("tree", "a node text");
  const auto& nodes = control_.form().get<toolkit::TreeView>("TreeView").nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].text != args[0]) continue;
    QTreeWidgetItem* item = window_.treeItem(static_cast<int>(i + 1));
    window_.tree()->setCurrentItem(item);
    window_.openNode(item);
    return "";
  }
  return "unknown tree node: " + args[0];
}

std::string WindowScript::Tab(const Args& args) {
  auto index = args.size() == 2 ? ParseInteger(args[1]) : std::nullopt;
  if (!index) return Usage("tab", "a tab control and a tab index");
  auto* tabs = control_.form().find<toolkit::TabControl>(args[0]);
  if (tabs == nullptr) return "unknown tab control: " + args[0];
  if (*index < 0 || *index >= static_cast<long long>(tabs->captions().size())) return "bad argument: no tab " + args[1];
  window_.binding().userChoseTab(*tabs, static_cast<int>(*index));
  return "";
}

std::string WindowScript::Click(const Args& args) {
  if (args.size() != 1) return Usage("click", "a button name");
  auto* model = dynamic_cast<toolkit::CommandButton*>(control_.form().find(args[0]));
  auto* button = qobject_cast<QPushButton*>(window_.binding().widgetFor(args[0]));
  if (model == nullptr || button == nullptr) return "unknown button: " + args[0];
  // As in the runner, a line clicks a disabled button too; a person could not.
  if (button->isEnabled()) {
    button->click();
  } else {
    window_.binding().userClicked(*model);
  }
  return "";
}

std::string WindowScript::Set(const Args& args) {
  if (args.size() != 2) return Usage("set", "a control name and a text");
  toolkit::Widget* model = control_.form().find(args[0]);
  QWidget* widget = window_.binding().widgetFor(args[0]);
  const QString text = QString::fromStdString(args[1]);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setEditText(text);
  } else {
    return "unknown text box or combo box: " + args[0];
  }
  window_.binding().userTyped(*model, text);
  return "";
}

std::string WindowScript::Select(const Args& args) {
  if (args.size() != 1) return Usage("select", "an option button name");
  auto* option = qobject_cast<QRadioButton*>(window_.binding().widgetFor(args[0]));
  if (option == nullptr) return "unknown option button: " + args[0];
  option->click();
  return "";
}

std::string WindowScript::Advance(const Args& args) {
  auto ms = args.size() == 1 ? ParseInteger(args[0]) : std::nullopt;
  if (!ms || *ms < 0 || *ms > INT32_MAX) return Usage("advance", "a number of milliseconds");
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(*ms), &loop, &QEventLoop::quit);
  loop.exec();
  return "";
}

toolkit::Answer WindowScript::Answer(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                                     toolkit::Icon icon) {
  const bool queued = !answers_.empty();
  toolkit::Answer answer = buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
  if (queued) {
    answer = answers_.front();
    answers_.pop_front();
  }
  output_(Json{{"event", "msgbox"},
               {"at", clock_.now()},
               {"title", title},
               {"text", text},
               {"buttons", buttons == toolkit::Buttons::YesNo ? "yesno" : "ok"},
               {"icon", IconText(icon)},
               {"answer", AnswerText(answer)},
               {"queued", queued}}
              .dump());
  return answer;
}

}  // namespace zolin6::view
