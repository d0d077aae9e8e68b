#include "scenario_runner.h"

#include <pugixml.hpp>

#include <charconv>
#include <istream>
#include <map>

#include "codec_calls.h"
#include "line_parser.h"
#include "platform/locale.h"
#include "recording_driver.h"

namespace zolin6::scenario {

namespace {

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

Json AttributesOf(const std::string& document) {
  Json values = Json::array();
  pugi::xml_document doc;
  if (!doc.load_string(document.c_str())) return values;
  for (pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) values.push_back(a.value());
  return values;
}

std::string Mismatch(const char* command, const char* usage) {
  return std::string("bad argument: ") + command + " takes " + usage;
}

const char* ButtonsText(toolkit::Buttons b) { return b == toolkit::Buttons::YesNo ? "yesno" : "ok"; }
const char* IconText(toolkit::Icon i) {
  switch (i) {
    case toolkit::Icon::Critical: return "critical";
    case toolkit::Icon::Information: return "information";
    case toolkit::Icon::None: break;
  }
  return "none";
}
const char* AnswerText(toolkit::Answer a) {
  switch (a) {
    case toolkit::Answer::Yes: return "yes";
    case toolkit::Answer::No: return "no";
    case toolkit::Answer::Ok: break;
  }
  return "ok";
}

}  // namespace

ScenarioRunner::ScenarioRunner(Output output, std::string iconFolder)
    : output_(std::move(output)), iconFolder_(std::move(iconFolder)) {
  control_ = std::make_unique<UserCntrl>(HostServices{clock_, *this, iconFolder_});
}

ScenarioRunner::~ScenarioRunner() = default;

int ScenarioRunner::Run(std::istream& input) {
  int status = 0;
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    if (!RunLine(number, line)) status = 2;
  }
  return status;
}

bool ScenarioRunner::RunLine(int number, std::string_view line) {
  static const std::map<std::string, Command, std::less<>> commands = {
      {"locale", &ScenarioRunner::Locale},   {"driver", &ScenarioRunner::Driver},
      {"init", &ScenarioRunner::Init},       {"advance", &ScenarioRunner::Advance},
      {"notify", &ScenarioRunner::Notify},   {"tree", &ScenarioRunner::Tree},
      {"tab", &ScenarioRunner::Tab},         {"click", &ScenarioRunner::Click},
      {"set", &ScenarioRunner::Set},         {"select", &ScenarioRunner::Select},
      {"answer", &ScenarioRunner::Answer},   {"call", &ScenarioRunner::Call},
      {"show", &ScenarioRunner::Show},       {"state", &ScenarioRunner::State},
      {"release", &ScenarioRunner::Release}, {"destroy", &ScenarioRunner::Destroy},
      {"sim", &ScenarioRunner::Sim},
  };
  std::string error;
  auto parsed = ParseLine(line);
  if (!parsed) {
    error = "bad argument: unterminated quote";
  } else if (parsed->command.empty()) {
    return true;
  } else if (auto it = commands.find(parsed->command); it == commands.end()) {
    error = "unknown command: " + parsed->command;
  } else if (!control_ && parsed->command != "locale" && parsed->command != "driver" && parsed->command != "answer" &&
             parsed->command != "sim") {
    error = "the control has been destroyed";
  } else {
    error = (this->*(it->second))(parsed->args);
  }
  if (error.empty()) return true;
  Emit({{"event", "error"}, {"line", number}, {"message", error}});
  return false;
}

std::string ScenarioRunner::Locale(const Args& args) {
  if (args.size() != 1 || (args[0] != "." && args[0] != ",")) return Mismatch("locale", "\".\" or \",\"");
  platform::SetUserLocale({args[0][0]});
  return "";
}

std::string ScenarioRunner::Driver(const Args& args) {
  if (args.size() != 1) return Mismatch("driver", "recording|notready|bare|sim");
  if (args[0] != "recording" && args[0] != "notready" && args[0] != "bare" && args[0] != "sim") {
    return Mismatch("driver", "recording|notready|bare|sim");
  }
  driverKind_ = args[0];
  return "";
}

std::shared_ptr<framelink::DtmObject> ScenarioRunner::MakeDriver() {
  sim_.reset();
  if (driverKind_ == "bare") return std::make_shared<BareDriver>();
  if (driverKind_ == "sim") return MakeSimDriver();
  auto sink = [this](const DriverCall& call) {
    if (call.interface == "session") {
      Emit({{"event", "session"}, {"at", clock_.now()}, {"call", call.call}, {"args", call.args}});
    } else {
      Emit({{"event", "request"},
            {"at", clock_.now()},
            {"kind", call.call},
            {"code", call.args[0]},
            {"attributes", AttributesOf(call.args[1])},
            {"document", call.args[1]}});
    }
  };
  return std::make_shared<RecordingDriver>(driverKind_ != "notready", sink);
}

// The simulated transmitter reports the same events as the recording
// driver, and each notification it delivers.
std::shared_ptr<driver::SimDriver> ScenarioRunner::MakeSimDriver() {
  driver::SimObserver observer;
  observer.session = [this](const std::string& call, const std::vector<std::string>& args) {
    Emit({{"event", "session"}, {"at", clock_.now()}, {"call", call}, {"args", args}});
  };
  observer.request = [this](const std::string& kind, const std::string& code, const std::string& document) {
    Emit({{"event", "request"},
          {"at", clock_.now()},
          {"kind", kind},
          {"code", code},
          {"attributes", AttributesOf(document)},
          {"document", document}});
  };
  observer.notify = [this](std::int32_t reason, const std::string& /*details*/) {
    Emit({{"event", "notify"}, {"at", clock_.now()}, {"reason", reason}});
  };
  sim_ = std::make_shared<driver::SimDriver>(clock_, driver::SimOptions{}, std::move(observer));
  return sim_;
}

std::string ScenarioRunner::Init(const Args& args) {
  if (!args.empty()) return Mismatch("init", "no arguments");
  bool result = control_->Init("invoke-1", "", MakeDriver());
  Emit({{"event", "init"}, {"result", result}});
  return "";
}

std::string ScenarioRunner::Advance(const Args& args) {
  auto ms = args.size() == 1 ? ParseInteger(args[0]) : std::nullopt;
  if (!ms || *ms < 0) return Mismatch("advance", "a number of milliseconds");
  clock_.advance(*ms);
  return "";
}

std::string ScenarioRunner::Notify(const Args& args) {
  auto reason = args.empty() ? std::nullopt : ParseInteger(args[0]);
  if (!reason || *reason < INT32_MIN || *reason > INT32_MAX) return Mismatch("notify", "a code and a text");
  Emit({{"event", "notify"}, {"at", clock_.now()}, {"reason", *reason}});
  control_->UpdateUI(static_cast<std::int32_t>(*reason), args.size() > 1 ? args[1] : std::string());
  return "";
}

std::string ScenarioRunner::Tree(const Args& args) {
  if (args.size() != 1) return Mismatch("tree", "a node text");
  const auto& tree = control_->form().get<toolkit::TreeView>("TreeView");
  for (int i = 1; i <= static_cast<int>(tree.nodes().size()); ++i) {
    if (tree.node(i).text == args[0]) {
      tree.clickNode(i);
      return "";
    }
  }
  return "unknown tree node: " + args[0];
}

std::string ScenarioRunner::Tab(const Args& args) {
  auto index = args.size() == 2 ? ParseInteger(args[1]) : std::nullopt;
  if (!index) return Mismatch("tab", "a tab control and a tab index");
  auto* tabs = control_->form().find<toolkit::TabControl>(args[0]);
  if (tabs == nullptr) return "unknown tab control: " + args[0];
  if (*index < 0 || *index >= static_cast<long long>(tabs->captions().size())) return "bad argument: no tab " + args[1];
  tabs->setTab(static_cast<int>(*index));
  tabs->click();
  return "";
}

std::string ScenarioRunner::Click(const Args& args) {
  if (args.size() != 1) return Mismatch("click", "a button name");
  auto* button = dynamic_cast<toolkit::CommandButton*>(control_->form().find(args[0]));
  if (button == nullptr) return "unknown button: " + args[0];
  button->click();
  return "";
}

std::string ScenarioRunner::Set(const Args& args) {
  if (args.size() != 2) return Mismatch("set", "a control name and a text");
  toolkit::Widget* widget = control_->form().find(args[0]);
  if (auto* box = dynamic_cast<toolkit::TextBox*>(widget)) {
    box->setText(args[1]);
  } else if (auto* combo = dynamic_cast<toolkit::ComboBox*>(widget)) {
    combo->setText(args[1]);
  } else {
    return "unknown text box or combo box: " + args[0];
  }
  return "";
}

std::string ScenarioRunner::Select(const Args& args) {
  if (args.size() != 1) return Mismatch("select", "an option button name");
  auto* option = dynamic_cast<toolkit::OptionButton*>(control_->form().find(args[0]));
  if (option == nullptr) return "unknown option button: " + args[0];
  control_->form().select(*option);
  return "";
}

std::string ScenarioRunner::Answer(const Args& args) {
  std::vector<toolkit::Answer> parsed;
  for (const std::string& a : args) {
    if (a == "yes") parsed.push_back(toolkit::Answer::Yes);
    else if (a == "no") parsed.push_back(toolkit::Answer::No);
    else if (a == "ok") parsed.push_back(toolkit::Answer::Ok);
    else return Mismatch("answer", "yes, no or ok");
  }
  if (parsed.empty()) return Mismatch("answer", "yes, no or ok");
  answers_.insert(answers_.end(), parsed.begin(), parsed.end());
  return "";
}

toolkit::Answer ScenarioRunner::show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                                     toolkit::Icon icon) {
  bool queued = !answers_.empty();
  toolkit::Answer answer = buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
  if (queued) {
    answer = answers_.front();
    answers_.pop_front();
  }
  Emit({{"event", "msgbox"},
        {"at", clock_.now()},
        {"title", title},
        {"text", text},
        {"buttons", ButtonsText(buttons)},
        {"icon", IconText(icon)},
        {"answer", AnswerText(answer)},
        {"queued", queued}});
  return answer;
}

std::string ScenarioRunner::Call(const Args& args) {
  if (args.empty()) return Mismatch("call", "a function name and its arguments");
  const std::string& name = args[0];
  const Args fnArgs(args.begin() + 1, args.end());
  std::optional<Result<std::string>> result;
  if (name == "DocXML") {
    if (fnArgs.size() != 22) return Mismatch("DocXML", "22 arguments");
    Attributes attributes;
    std::copy(fnArgs.begin(), fnArgs.end(), attributes.begin());
    result = UserCntrl::DocXML(attributes);
  } else if (name == "GetChannelCode") {
    if (fnArgs.size() != 1) return Mismatch("GetChannelCode", "one argument");
    result = UserCntrl::GetChannelCode(fnArgs[0]);
  } else if (name == "GetConverteDate" || name == "GetConverteDateOffLine") {
    if (!fnArgs.empty()) return Mismatch(name.c_str(), "no arguments");
    result = name == "GetConverteDate" ? control_->GetConverteDate() : control_->GetConverteDateOffLine();
  } else {
    result = CallCodec(name, fnArgs);
    if (!result) return "unknown function: " + name;
    if (!*result && result->error().message.starts_with("bad argument")) return result->error().message;
  }
  Json event = {{"event", "call"}, {"function", name}, {"args", fnArgs}};
  if (*result) {
    event["result"] = result->value();
  } else {
    event["error"] = result->error().message;
  }
  Emit(std::move(event));
  return "";
}

std::string ScenarioRunner::Show(const Args& args) {
  if (args.empty()) return Mismatch("show", "one or more names");
  std::string unknown;
  for (const std::string& name : args) {
    auto described = Describe(*control_, name);
    if (described) {
      Emit(*described);
    } else {
      unknown += (unknown.empty() ? "" : ", ") + name;
    }
  }
  return unknown.empty() ? "" : "unknown control or field: " + unknown;
}

std::string ScenarioRunner::State(const Args& args) {
  if (!args.empty()) return Mismatch("state", "no arguments");
  Emit(DescribeState(*control_));
  return "";
}

std::string ScenarioRunner::Release(const Args& args) {
  if (!args.empty()) return Mismatch("release", "no arguments");
  Emit({{"event", "release"}, {"result", control_->PrepareToRelease()}});
  return "";
}

std::string ScenarioRunner::Destroy(const Args& args) {
  if (!args.empty()) return Mismatch("destroy", "no arguments");
  control_.reset();
  return "";
}

std::string ScenarioRunner::Sim(const Args& args) {
  static constexpr const char* kUsage =
      "offline, online, set TAG VALUE, fault CHANNEL, repair CHANNEL, latency MS, save FILE or load FILE";
  if (args.empty()) return Mismatch("sim", kUsage);
  if (!sim_) return "no simulated transmitter: use `driver sim` and `init` first";
  const std::string& what = args[0];
  if ((what == "offline" || what == "online") && args.size() == 1) {
    sim_->SetOnline(what == "online");
    return "";
  }
  if (what == "set" && args.size() == 3) {
    std::string refused = sim_->transmitter().SetValue(args[1], args[2], clock_.now());
    return refused.empty() ? "" : "bad argument: " + refused;
  }
  if ((what == "fault" || what == "repair") && args.size() == 2) {
    // Sensors 1 to 6, or "local" for the device's own temperature sensor.
    auto channel = args[1] == "local" ? std::optional<long long>(0) : ParseInteger(args[1]);
    if (!channel || *channel < 0 || *channel > 6 || (*channel == 0 && args[1] != "local")) {
      return Mismatch(("sim " + what).c_str(), "a channel 1 to 6 or local");
    }
    sim_->transmitter().SetBroken(static_cast<int>(*channel), what == "fault");
    return "";
  }
  if (what == "latency" && args.size() == 2) {
    auto ms = ParseInteger(args[1]);
    if (!ms || *ms < 0) return Mismatch("sim latency", "a number of milliseconds");
    sim_->SetLatency(*ms);
    return "";
  }
  if ((what == "save" || what == "load") && args.size() == 2) {
    Result<bool> done = what == "save" ? sim_->SaveState(args[1]) : sim_->LoadState(args[1]);
    return done ? "" : done.error().message;
  }
  return Mismatch("sim", kUsage);
}

}  // namespace zolin6::scenario
