#include "scenario_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <pugixml.hpp>

#include "frame_event.h"
#include "published_event.h"
#include "recording_driver.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::scenario {

namespace {

Json AttributesOf(const std::string& document) {
  Json values = Json::array();
  pugi::xml_document doc;
  if (!doc.load_string(document.c_str())) return values;
  for (pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) values.push_back(a.value());
  return values;
}

}  // namespace

ScenarioRunner::ScenarioRunner(Output output, std::string iconFolder)
    : output_(std::move(output)), iconFolder_(std::move(iconFolder)), lines_(*this, output_) {
  control_ = std::make_unique<UserCntrl>(HostServices{clock_, *this, iconFolder_});
}

ScenarioRunner::~ScenarioRunner() = default;

void ScenarioRunner::EmitRequest(const std::string& kind, const std::string& code, const std::string& document) {
  output_({{"event", "request"},
           {"at", clock_.now()},
           {"kind", kind},
           {"code", code},
           {"attributes", AttributesOf(document)},
           {"document", document}});
}

Result<std::shared_ptr<framelink::DtmObject>> ScenarioRunner::MakeDriver(const std::string& kind) {
  sim_.reset();
  wireDriver_.reset();
  wireLink_.reset();
  traceFrames_ = false;
  if (kind == "bare") return std::shared_ptr<framelink::DtmObject>(std::make_shared<BareDriver>());
  if (kind == "sim") return std::shared_ptr<framelink::DtmObject>(MakeSimulatedDevice(transport::LineKind::Instant));
  if (kind == "hart") return std::shared_ptr<framelink::DtmObject>(MakeSimulatedDevice(transport::LineKind::Fsk));
  if (kind.starts_with("hart-ip ") || kind.starts_with("serial ")) return MakeWireDriver(kind);
  auto sink = [this](const DriverCall& call) {
    if (call.interface == "session") {
      output_({{"event", "session"}, {"at", clock_.now()}, {"call", call.call}, {"args", call.args}});
    } else {
      EmitRequest(call.call, call.args[0], call.args[1]);
    }
  };
  return std::shared_ptr<framelink::DtmObject>(std::make_shared<RecordingDriver>(kind != "notready", sink));
}

// The HART drivers report the same events as the recording driver, and
// each notification they deliver.
driver::DriverObserver ScenarioRunner::MakeObserver() {
  driver::DriverObserver observer;
  observer.session = [this](const std::string& call, const std::vector<std::string>& args) {
    output_({{"event", "session"}, {"at", clock_.now()}, {"call", call}, {"args", args}});
  };
  observer.request = [this](const std::string& kind, const std::string& code, const std::string& document) {
    EmitRequest(kind, code, document);
  };
  observer.notify = [this](std::int32_t reason, const std::string& /*details*/) {
    output_({{"event", "notify"}, {"at", clock_.now()}, {"reason", reason}});
  };
  return observer;
}

std::shared_ptr<transport::SimulatedDevice> ScenarioRunner::MakeSimulatedDevice(transport::LineKind line) {
  sim_ = std::make_shared<transport::SimulatedDevice>(clock_, transport::SimOptions{.line = line}, MakeObserver());
  // The simulated line reports each frame when its last byte arrives.
  sim_->link().Trace([this](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView bytes) {
    if (direction == transport::FrameDirection::Burst) output_(PublishedEvent(at, bytes));
    if (!traceFrames_) return;
    const auto way =
        direction == transport::FrameDirection::Request ? hart::TraceDirection::Sent : hart::TraceDirection::Received;
    output_(FrameEvent(hart::TraceFrame(way, hart::Millis{at}, bytes)));
  });
  return sim_;
}

// "hart-ip HOST:PORT[/DEVICE] [udp] [v2 FILE]" or "serial PATH": the driver on a
// real line, with time passing as on the wall clock from now on.
Result<std::shared_ptr<framelink::DtmObject>> ScenarioRunner::MakeWireDriver(const std::string& kind) {
  const QStringList words = QString::fromStdString(kind).split(' ');
  const bool hartIp = words.first() == QStringLiteral("hart-ip");
  const bool udp = hartIp && words.contains(QStringLiteral("udp"));
  const qsizetype v2 = words.indexOf(QStringLiteral("v2"));
  const std::string url = hartIp ? "hart-ip://" + words[1].toStdString() + (udp ? "?udp" : "") +
                                       (v2 < 0 ? ""
                                        : udp  ? "&v2"
                                               : "?v2")
                                 : "serial:" + kind.substr(kind.find(' ') + 1);
  Result<transport::ConnectionTarget> target = transport::ParseConnection(url);
  if (!target) return target.error();
  transport::ConnectionTarget line = std::move(target).value();
  if (v2 >= 0) line.keyFile = words[v2 + 1].toStdString();
  if (QCoreApplication::instance() == nullptr) return Error{"a real line needs the program's event loop"};
  if (!realTime_) realTime_ = std::make_unique<transport::EventLoopClock>(clock_);
  Result<transport::OpenedLink> opened = transport::OpenLink(line, *realTime_);
  if (!opened) return opened.error();
  wireLink_ = std::make_shared<driver::TracedLink>(opened->link);
  wireLink_->Trace([this](const hart::TracedFrame& frame) {
    if (traceFrames_) output_(FrameEvent(frame));
  });
  wireDriver_ = std::make_shared<driver::HartDriver>(clock_, wireLink_, driver::HartDriverOptions{opened->settings, {}},
                                                     MakeObserver());
  wireDriver_->Start();
  return std::shared_ptr<framelink::DtmObject>(wireDriver_);
}

void ScenarioRunner::Advance(toolkit::Millis ms) {
  if (!realTime_) return clock_.advance(ms);
  // On a real line the device answers in its own time: the event loop runs
  // for `ms` and the clock follows the wall.
  QEventLoop loop;
  QTimer end;
  end.setSingleShot(true);
  end.setTimerType(Qt::PreciseTimer);
  QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
  end.start(std::chrono::milliseconds(ms));
  loop.exec();
  realTime_->catchUp();
}

bool ScenarioRunner::TraceFrames(bool on) {
  if (!sim_ && !wireLink_) return false;
  traceFrames_ = on;
  return true;
}

void ScenarioRunner::OpenNode(int node) { control_->form().get<toolkit::TreeView>("TreeView").clickNode(node); }

void ScenarioRunner::ChooseTab(toolkit::TabControl& tabs, int tab) {
  tabs.setTab(tab);
  tabs.click();
}

bool ScenarioRunner::Click(toolkit::CommandButton& button) {
  button.click();
  return true;
}

bool ScenarioRunner::Type(toolkit::Widget& box, const std::string& text) {
  if (auto* textBox = dynamic_cast<toolkit::TextBox*>(&box)) {
    textBox->setText(text);
  } else {
    static_cast<toolkit::ComboBox&>(box).setText(text);
  }
  return true;
}

bool ScenarioRunner::Choose(toolkit::OptionButton& option) {
  control_->form().select(option);
  return true;
}

}  // namespace zolin6::scenario
