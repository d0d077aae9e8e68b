// The HART driver over the simulated FSK line (`driver hart`): the control
// cannot tell it from the built-in device behind `driver sim`, whose line is
// instant and whose answers are paced, and a full page tour fits the line's
// budget with command 0 once.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "fakes/answer_log.h"
#include "hart/frame_trace.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"
#include "scenario_runner.h"
#include "transport/simulated_device.h"

namespace zolin6::scenario {
namespace {

using fakes::AnswerLog;

void Register(framelink::DtmObject& driver, AnswerLog& log) {
  bool result = false;
  driver.session()->RegisterControl("control", "invoke-1", &log, 0, result);
}

std::shared_ptr<transport::SimulatedDevice> OverFsk(toolkit::Clock& clock) {
  return std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{.line = transport::LineKind::Fsk});
}

// The command of every request `device`'s line carries.
void TraceRequests(transport::SimulatedDevice& device, std::vector<std::uint16_t>& commands) {
  device.link().Trace([&commands](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
    const hart::TracedFrame frame = hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{at}, line);
    if (direction == transport::FrameDirection::Request && frame.command) commands.push_back(*frame.command);
  });
}

// The HART driver over the FSK line, and what it answers a control.
struct FskBench {
  void Start() { Register(*hart, log); }
  void Read(const char* code) {
    std::string result;
    hart->channel()->ReadRequest(code, "<ViewData><ControlData/></ViewData>", result);
  }

  toolkit::Clock clock;
  AnswerLog log;
  std::shared_ptr<transport::SimulatedDevice> hart = OverFsk(clock);
};

const std::string kOnline(framelink::kOnlineState);
const std::string kOffline(framelink::kOfflineState);

// The events of a scenario, by kind.
std::map<std::string, std::vector<Json>> EventsOf(const std::string& script) {
  std::map<std::string, std::vector<Json>> events;
  ScenarioRunner runner([&](const Json& e) { events[e["event"]].push_back(e); }, ZOLIN6_ASSETS_DIR);
  std::istringstream input(script);
  runner.Run(input);
  return events;
}

std::vector<Json> ShownAfter(const std::string& driver) {
  return EventsOf("driver " + driver +
                  "\ninit\nadvance 6000\n"
                  "show StatusBar(4) txtParameter(0) txtParameter(1) txtParameter(2) txtParameter(3) "
                  "txtParameter(51) txtParameter(10)\n")["show"];
}

TEST(HartDriver, FirstReadFillsTheInformationPageAsTheSimulatorDoes) {
  const std::vector<Json> overHart = ShownAfter("hart");
  ASSERT_EQ(overHart.size(), 7U);
  EXPECT_NE(overHart[1]["text"], "");
  EXPECT_EQ(overHart, ShownAfter("sim"));
}

// The same operations on both lines get the same answers.
TEST(HartDriver, WritesAndReadsAnswerAsOnTheInstantLine) {
  const std::vector<std::tuple<bool, const char*, const char*>> operations = {
      {true, "3",
       R"(Attribute1="00" Attribute2="0C" Attribute3="3" Attribute4="FA" Attribute5="44548000")"
       R"( Attribute6="C3480000" Attribute7="20")"},
      {false, "3", ""},
      // The range page: channel 1 to 100 .. 0 degrees, read back.
      {true, "6", R"(Attribute1="00" Attribute2="20" Attribute3="42C80000" Attribute4="00000000")"},
      {false, "18", ""},
      {true, "2", R"(Attribute1="2" Attribute2="0" Attribute3="5" Attribute4="0" Attribute5="0")"},  // refused
      {true, "25", ""},                                                                              // unknown
  };
  toolkit::Clock clock;
  AnswerLog overHart;
  AnswerLog overSim;
  auto hart = OverFsk(clock);
  auto sim = std::make_shared<transport::SimulatedDevice>(clock);
  Register(*hart, overHart);
  Register(*sim, overSim);
  clock.advance(1000);
  for (const auto& [write, code, attributes] : operations) {
    const std::string document = std::string("<ViewData><ControlData ") + attributes + "/></ViewData>";
    std::string result;
    for (const auto& channel : {hart->channel(), sim->channel()}) {
      if (write)
        channel->WriteRequest(code, document, result);
      else
        channel->ReadRequest(code, document, result);
    }
    clock.advance(3000);
  }
  ASSERT_EQ(overHart.answers.size(), operations.size() + 1);
  EXPECT_EQ(overHart.answers[1].first, 4000);
  EXPECT_EQ(overHart.answers[3], std::make_pair(4000, driver::ResponseDocument(0)));
  EXPECT_EQ(overHart.answers, overSim.answers);
}

TEST(HartDriver, EveryPageOnceFitsTheLineBudgetWithCommandZeroOnce) {
  constexpr int kLastReadCode = 33;
  std::vector<std::uint16_t> commands;
  FskBench b;
  TraceRequests(*b.hart, commands);
  b.Start();
  for (int code = 1; code <= kLastReadCode; ++code) b.Read(std::to_string(code).c_str());
  b.clock.advance(120000);
  ASSERT_EQ(b.log.answers.size(), static_cast<std::size_t>(kLastReadCode) + 1);  // and the on-line state
  for (int code = 1; code <= kLastReadCode; ++code) EXPECT_EQ(b.log.answers[code].first, 100 * code);
  EXPECT_EQ(std::ranges::count(commands, 0), 1);
  EXPECT_LE(b.hart->link().requests(), 48);
  EXPECT_LE(b.hart->link().wireTime(), 24000);
  std::cout << "every page once: " << b.hart->link().requests() << " transactions, " << b.hart->link().wireTime()
            << " ms on the wire\n";
}

// A silent device is reported off line; the next request finds it again.
TEST(HartDriver, SilenceAnswersOffLineUntilTheDeviceAnswersAgain) {
  FskBench b;
  b.Start();
  b.clock.advance(1000);
  b.hart->SetOnline(false);
  b.Read("5");
  b.clock.advance(5000);
  b.hart->SetOnline(true);
  b.Read("5");
  b.clock.advance(5000);
  const std::vector<std::pair<std::int32_t, std::string>> expected = {{0, kOnline}, {0, kOffline}, {0, kOnline}};
  ASSERT_EQ(b.log.answers.size(), 4U);
  EXPECT_EQ(std::vector(b.log.answers.begin(), b.log.answers.begin() + 3), expected);
  EXPECT_EQ(b.log.answers[3].first, 500);
  EXPECT_TRUE(b.hart->driver().online());
}

TEST(HartDriver, TraceShowsEachFrameWhileOn) {
  auto events = EventsOf(
      "driver recording\ninit\ntrace on\ndriver hart\ninit\ntrace on\nadvance 1000\ntrace off\nadvance 3000\n");
  const std::vector<Json>& frames = events["frame"];
  const std::vector<Json>& errors = events["error"];
  // Command 0 and its answer before the first read; nothing once off.
  ASSERT_EQ(frames.size(), 2U);
  EXPECT_EQ(frames[0]["dir"], "tx");
  EXPECT_EQ(frames[0]["command"], 0);
  EXPECT_EQ(frames[0]["bytes"].get<std::string>().substr(0, 4), "FFFF");
  EXPECT_EQ(frames[1]["dir"], "rx");
  EXPECT_EQ(frames[1]["responseCode"], 0);
  ASSERT_EQ(errors.size(), 1U);  // no HART line behind `driver recording`
  EXPECT_EQ(errors[0]["line"], 3);
}

// `sim` lines change the HART device's values and unplug its line.
TEST(HartDriver, SimLinesReachTheHartDevice) {
  auto events = EventsOf(
      "driver hart\ninit\nsim set Tag HART-7\nadvance 6000\nshow txtParameter(0)\nsim latency 5\n"
      "sim offline\nadvance 6000\n");
  ASSERT_EQ(events["show"].size(), 1U);
  EXPECT_EQ(events["show"][0]["text"], "HART-7  ");
  ASSERT_EQ(events["error"].size(), 1U);
  EXPECT_EQ(events["error"][0]["line"], 6);
  // On line, then off line once the line is unplugged.
  EXPECT_EQ(std::ranges::count_if(events["notify"], [](const Json& e) { return e["reason"] == 0; }), 2);
}

// Another maker's device: the universal pages are answered, the rest are
// not, device-specific writes are refused unsent, and no command of this
// transmitter's own numbers reaches the device.
TEST(HartDriver, AnotherMakersDeviceGetsOnlyUniversalCommands) {
  std::vector<std::uint16_t> commands;
  FskBench b;
  b.hart->transmitter().mutableState().identification.manufacturerId = 0x26;
  b.hart->transmitter().mutableState().identification.deviceType = 0x2602;
  TraceRequests(*b.hart, commands);
  b.Start();
  b.clock.advance(1000);
  for (const char* code : {"1", "2", "3", "9", "17", "18", "24", "25"}) b.Read(code);
  std::string result;
  b.hart->channel()->WriteRequest("3", "<ViewData><ControlData/></ViewData>", result);
  b.clock.advance(30000);
  std::vector<std::int32_t> reasons;
  for (const auto& [reason, details] : b.log.answers) reasons.push_back(reason);
  EXPECT_EQ(reasons, (std::vector<std::int32_t>{0, 100, 200, 900, 1800, 2400, 2500, 4000}));
  EXPECT_EQ(b.log.answers.back().second, driver::ResponseDocument(64));
  EXPECT_EQ(b.hart->driver().commandSet(), driver::CommandSet::Universal);
  EXPECT_TRUE(std::ranges::none_of(commands, [](std::uint16_t c) { return c >= 128; }));
}

}  // namespace
}  // namespace zolin6::scenario
