#include "scenario_lines.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <istream>
#include <map>
#include <set>

#include "codec_calls.h"
#include "line_parser.h"
#include "platform/locale.h"

namespace zolin6::scenario {

namespace {

// At most a day per `advance` line and per `sim latency`: the clock's time
// must not overflow, and every tick of a running polling timer is a request
// to report, so a far larger step would run for hours.
constexpr long long kMaxStepMs = 24LL * 60 * 60 * 1000;

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

// "hart-ip HOST:PORT[/DEVICE] [udp] [v2 FILE]".
bool IsHartIpDriver(const std::vector<std::string>& args) {
  if (args.size() < 2 || args[0] != "hart-ip") return false;
  std::size_t next = 2;
  if (next < args.size() && args[next] == "udp") ++next;
  if (next + 1 < args.size() && args[next] == "v2") next += 2;
  return next == args.size();
}

}  // namespace

ScenarioLines::ScenarioLines(ScenarioHost& host, Output output) : host_(host), output_(std::move(output)) {}

int ScenarioLines::Run(std::istream& input) {
  int status = 0;
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    if (!RunLine(number, line)) status = 2;
  }
  return status;
}

bool ScenarioLines::RunLine(int number, std::string_view line) {
  static const std::map<std::string, Command, std::less<>> commands = {
      {"locale", &ScenarioLines::Locale},   {"driver", &ScenarioLines::Driver}, {"init", &ScenarioLines::Init},
      {"advance", &ScenarioLines::Advance}, {"notify", &ScenarioLines::Notify}, {"tree", &ScenarioLines::Tree},
      {"tab", &ScenarioLines::Tab},         {"click", &ScenarioLines::Click},   {"set", &ScenarioLines::Set},
      {"select", &ScenarioLines::Select},   {"answer", &ScenarioLines::Answer}, {"call", &ScenarioLines::Call},
      {"show", &ScenarioLines::Show},       {"state", &ScenarioLines::State},   {"release", &ScenarioLines::Release},
      {"destroy", &ScenarioLines::Destroy}, {"sim", &ScenarioLines::Sim},       {"trace", &ScenarioLines::Trace},
      {"burst", &ScenarioLines::Burst},
  };
  // The lines that need no control.
  static const std::set<std::string, std::less<>> withoutControl = {"locale", "driver", "answer",
                                                                    "sim",    "trace",  "burst"};
  std::string error;
  auto parsed = ParseLine(line);
  if (!parsed) {
    error = "bad argument: unterminated quote";
  } else if (parsed->command.empty()) {
    return true;
  } else if (auto it = commands.find(parsed->command); it == commands.end()) {
    error = "unknown command: " + parsed->command;
  } else if (auto declined = host_.Declines(parsed->command)) {
    error = *declined;
  } else if (host_.control() == nullptr && !withoutControl.contains(parsed->command)) {
    error = "the control has been destroyed";
  } else {
    error = (this->*(it->second))(parsed->args);
  }
  host_.LineDone();
  if (error.empty()) return true;
  Emit({{"event", "error"}, {"line", number}, {"message", error}});
  return false;
}

std::string ScenarioLines::Locale(const Args& args) {
  if (args.size() != 1 || (args[0] != "." && args[0] != ",")) return Mismatch("locale", "\".\" or \",\"");
  platform::SetUserLocale({args[0][0]});
  return "";
}

std::string ScenarioLines::Driver(const Args& args) {
  static const std::set<std::string, std::less<>> kinds = {"recording", "notready", "bare", "sim", "hart"};
  // The HART drivers on a real line: a HART-IP device or a serial modem.
  const bool hartIp = IsHartIpDriver(args);
  const bool serial = args.size() == 2 && args[0] == "serial";
  if (!hartIp && !serial && (args.size() != 1 || !kinds.contains(args[0]))) {
    return Mismatch("driver",
                    "recording|notready|bare|sim|hart, hart-ip HOST:PORT[/DEVICE] [udp] [v2 FILE] or serial PATH");
  }
  driverKind_.clear();
  for (const std::string& arg : args) driverKind_ += (driverKind_.empty() ? "" : " ") + arg;
  return "";
}

std::string ScenarioLines::Init(const Args& args) {
  if (!args.empty()) return Mismatch("init", "no arguments");
  Result<std::shared_ptr<framelink::DtmObject>> driver = host_.MakeDriver(driverKind_);
  if (!driver) return driver.error().message;
  bool result = host_.control()->Init("invoke-1", "", *driver);
  Emit({{"event", "init"}, {"result", result}});
  return "";
}

std::string ScenarioLines::Advance(const Args& args) {
  auto ms = args.size() == 1 ? ParseInteger(args[0]) : std::nullopt;
  if (!ms || *ms < 0 || *ms > kMaxStepMs) return Mismatch("advance", "a number of milliseconds up to a day");
  host_.Advance(*ms);
  return "";
}

std::string ScenarioLines::Notify(const Args& args) {
  auto reason = args.empty() ? std::nullopt : ParseInteger(args[0]);
  if (!reason || *reason < INT32_MIN || *reason > INT32_MAX) return Mismatch("notify", "a code and a text");
  host_.BeginNotify();
  Emit({{"event", "notify"}, {"at", host_.now()}, {"reason", *reason}});
  host_.control()->UpdateUI(static_cast<std::int32_t>(*reason), args.size() > 1 ? args[1] : std::string());
  return "";
}

std::string ScenarioLines::Tree(const Args& args) {
  if (args.size() != 1) return Mismatch("tree", "a node text");
  const auto& nodes = host_.control()->form().get<toolkit::TreeView>("TreeView").nodes();
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].text == args[0]) {
      host_.OpenNode(static_cast<int>(i + 1));
      return "";
    }
  }
  return "unknown tree node: " + args[0];
}

std::string ScenarioLines::Tab(const Args& args) {
  auto index = args.size() == 2 ? ParseInteger(args[1]) : std::nullopt;
  if (!index) return Mismatch("tab", "a tab control and a tab index");
  auto* tabs = host_.control()->form().find<toolkit::TabControl>(args[0]);
  if (tabs == nullptr) return "unknown tab control: " + args[0];
  if (*index < 0 || *index >= static_cast<long long>(tabs->captions().size())) return "bad argument: no tab " + args[1];
  host_.ChooseTab(*tabs, static_cast<int>(*index));
  return "";
}

std::string ScenarioLines::Click(const Args& args) {
  if (args.size() != 1) return Mismatch("click", "a button name");
  auto* button = dynamic_cast<toolkit::CommandButton*>(host_.control()->form().find(args[0]));
  if (button == nullptr || !host_.Click(*button)) return "unknown button: " + args[0];
  return "";
}

std::string ScenarioLines::Set(const Args& args) {
  if (args.size() != 2) return Mismatch("set", "a control name and a text");
  toolkit::Widget* widget = host_.control()->form().find(args[0]);
  const bool box =
      dynamic_cast<toolkit::TextBox*>(widget) != nullptr || dynamic_cast<toolkit::ComboBox*>(widget) != nullptr;
  if (!box || !host_.Type(*widget, args[1])) return "unknown text box or combo box: " + args[0];
  return "";
}

std::string ScenarioLines::Select(const Args& args) {
  if (args.size() != 1) return Mismatch("select", "an option button name");
  auto* option = dynamic_cast<toolkit::OptionButton*>(host_.control()->form().find(args[0]));
  if (option == nullptr || !host_.Choose(*option)) return "unknown option button: " + args[0];
  return "";
}

std::string ScenarioLines::Answer(const Args& args) {
  std::vector<toolkit::Answer> parsed;
  for (const std::string& a : args) {
    if (a == "yes")
      parsed.push_back(toolkit::Answer::Yes);
    else if (a == "no")
      parsed.push_back(toolkit::Answer::No);
    else if (a == "ok")
      parsed.push_back(toolkit::Answer::Ok);
    else
      return Mismatch("answer", "yes, no or ok");
  }
  if (parsed.empty()) return Mismatch("answer", "yes, no or ok");
  answers_.insert(answers_.end(), parsed.begin(), parsed.end());
  return "";
}

toolkit::Answer ScenarioLines::AnswerBox(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                                         toolkit::Icon icon) {
  bool queued = !answers_.empty();
  toolkit::Answer answer = buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
  if (queued) {
    answer = answers_.front();
    answers_.pop_front();
  }
  Emit({{"event", "msgbox"},
        {"at", host_.now()},
        {"title", title},
        {"text", text},
        {"buttons", ButtonsText(buttons)},
        {"icon", IconText(icon)},
        {"answer", AnswerText(answer)},
        {"queued", queued}});
  return answer;
}

std::string ScenarioLines::Call(const Args& args) {
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
    if (!fnArgs.empty()) return Mismatch(name, "no arguments");
    const UserCntrl& control = *host_.control();
    result = name == "GetConverteDate" ? control.GetConverteDate() : control.GetConverteDateOffLine();
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
  Emit(event);
  return "";
}

std::string ScenarioLines::Show(const Args& args) {
  if (args.empty()) return Mismatch("show", "one or more names");
  std::string unknown;
  for (const std::string& name : args) {
    if (auto described = Describe(*host_.control(), name)) {
      Emit(*described);
    } else {
      unknown += (unknown.empty() ? "" : ", ") + name;
    }
  }
  return unknown.empty() ? "" : "unknown control or field: " + unknown;
}

std::string ScenarioLines::State(const Args& args) {
  if (!args.empty()) return Mismatch("state", "no arguments");
  Emit(DescribeState(*host_.control()));
  return "";
}

std::string ScenarioLines::Release(const Args& args) {
  if (!args.empty()) return Mismatch("release", "no arguments");
  Emit({{"event", "release"}, {"result", host_.control()->PrepareToRelease()}});
  return "";
}

std::string ScenarioLines::Destroy(const Args& args) {
  if (!args.empty()) return Mismatch("destroy", "no arguments");
  host_.DestroyControl();
  return "";
}

std::string ScenarioLines::Trace(const Args& args) {
  if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) return Mismatch("trace", "on or off");
  if (!host_.TraceFrames(args[0] == "on")) return "no HART line: use a HART driver and `init` first";
  return "";
}

std::string ScenarioLines::Sim(const Args& args) {
  static constexpr const char* kUsage =
      "offline, online, set TAG VALUE, fault CHANNEL, repair CHANNEL, latency MS, save FILE or load FILE";
  if (args.empty()) return Mismatch("sim", kUsage);
  // The simulated device's values and line.
  transport::SimulatedDevice* sim = host_.sim();
  if (sim == nullptr) return "no simulated transmitter: use `driver sim` and `init` first";
  device::SimulatedTransmitter& transmitter = sim->transmitter();
  const std::string& what = args[0];
  if ((what == "offline" || what == "online") && args.size() == 1) {
    sim->SetOnline(what == "online");
    return "";
  }
  if (what == "set" && args.size() == 3) {
    std::string refused = transmitter.SetValue(args[1], args[2], host_.now());
    return refused.empty() ? "" : "bad argument: " + refused;
  }
  if ((what == "fault" || what == "repair") && args.size() == 2) {
    // Sensors 1 to 6, or "local" for the device's own temperature sensor.
    auto channel = args[1] == "local" ? std::optional<long long>(0) : ParseInteger(args[1]);
    if (!channel || *channel < 0 || *channel > 6 || (*channel == 0 && args[1] != "local")) {
      return Mismatch("sim " + what, "a channel 1 to 6 or local");
    }
    transmitter.SetBroken(static_cast<int>(*channel), what == "fault");
    return "";
  }
  if (what == "latency" && args.size() == 2) {
    // Answers are due at now + latency; a day keeps that sum far from the
    // end of the clock's range.
    auto ms = ParseInteger(args[1]);
    if (!ms || *ms < 0 || *ms > kMaxStepMs) return Mismatch("sim latency", "a number of milliseconds up to a day");
    if (!sim->SetLatency(*ms)) return "sim latency: a HART line's time is its wire time";
    return "";
  }
  if (what == "line") return SimLine(*sim, args);
  if ((what == "save" || what == "load") && args.size() == 2) {
    Result<bool> done = what == "save" ? transport::SaveTransmitterState(transmitter, args[1])
                                       : transport::LoadTransmitterState(transmitter, args[1]);
    return done ? "" : done.error().message;
  }
  return Mismatch("sim", kUsage);
}

// `sim line drop P corrupt P [seed N]`: the shares of the device's replies
// the line loses and damages from now on; both 0 mend it.
std::string ScenarioLines::SimLine(transport::SimulatedDevice& sim, const Args& args) {
  const bool seeded = args.size() == 7 && args[5] == "seed";
  if ((args.size() != 5 && !seeded) || args[1] != "drop" || args[3] != "corrupt") {
    return Mismatch("sim line", "drop P corrupt P [seed N]");
  }
  std::string rates = "drop=" + args[2] + ",corrupt=" + args[4];
  if (seeded) rates += ",seed=" + args[6];
  Result<device::FaultRates> parsed = device::ParseFaultRates(rates);
  if (!parsed) return Mismatch("sim line", "shares from 0 to 1 that together are at most 1, and a whole seed");
  const bool mended = parsed->drop == 0 && parsed->corrupt == 0;
  sim.link().SetFaults(mended ? std::nullopt : std::optional<device::FaultRates>(*parsed));
  return "";
}

}  // namespace zolin6::scenario
