// The HART driver over the simulated FSK line (`driver hart`): the control
// cannot tell it from the built-in device behind `driver sim`, whose line is
// instant and whose answers are paced, and a full page tour fits the line's
// budget with command 0 once.

#include <gtest/gtest.h>

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

const std::string kOnline(framelink::kOnlineState);
const std::string kOffline(framelink::kOfflineState);

std::vector<Json> ShownAfter(const std::string& driver) {
  std::vector<Json> shown;
  ScenarioRunner runner(
      [&](const Json& e) {
        if (e["event"] == "show") shown.push_back(e);
      },
      ZOLIN6_ASSETS_DIR);
  std::istringstream script("driver " + driver +
                            "\ninit\nadvance 6000\n"
                            "show StatusBar(4) txtParameter(0) txtParameter(1) txtParameter(2) txtParameter(3) "
                            "txtParameter(51) txtParameter(10)\n");
  runner.Run(script);
  return shown;
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
  toolkit::Clock clock;
  AnswerLog log;
  auto hart = OverFsk(clock);
  int identifications = 0;
  hart->link().Trace([&](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
    const hart::TracedFrame frame = hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{at}, line);
    if (direction == transport::FrameDirection::Request && frame.command == 0) ++identifications;
  });
  Register(*hart, log);
  std::string result;
  for (int code = 1; code <= kLastReadCode; ++code) {
    hart->channel()->ReadRequest(std::to_string(code), "<ViewData><ControlData/></ViewData>", result);
  }
  clock.advance(120000);
  ASSERT_EQ(log.answers.size(), static_cast<std::size_t>(kLastReadCode) + 1);  // and the on-line state
  for (int code = 1; code <= kLastReadCode; ++code) EXPECT_EQ(log.answers[code].first, 100 * code);
  EXPECT_EQ(identifications, 1);
  EXPECT_LE(hart->link().requests(), 48);
  EXPECT_LE(hart->link().wireTime(), 24000);
  std::cout << "every page once: " << hart->link().requests() << " transactions, " << hart->link().wireTime()
            << " ms on the wire\n";
}

// A silent device is reported off line; the next request finds it again.
TEST(HartDriver, SilenceAnswersOffLineUntilTheDeviceAnswersAgain) {
  toolkit::Clock clock;
  AnswerLog log;
  auto hart = OverFsk(clock);
  Register(*hart, log);
  clock.advance(1000);
  std::string result;
  const std::string document = "<ViewData><ControlData/></ViewData>";
  hart->SetOnline(false);
  hart->channel()->ReadRequest("5", document, result);
  clock.advance(5000);
  hart->SetOnline(true);
  hart->channel()->ReadRequest("5", document, result);
  clock.advance(5000);
  const std::vector<std::pair<std::int32_t, std::string>> expected = {{0, kOnline}, {0, kOffline}, {0, kOnline}};
  ASSERT_EQ(log.answers.size(), 4U);
  EXPECT_EQ(std::vector(log.answers.begin(), log.answers.begin() + 3), expected);
  EXPECT_EQ(log.answers[3].first, 500);
  EXPECT_TRUE(hart->driver().online());
}

TEST(HartDriver, TraceShowsEachFrameWhileOn) {
  std::vector<Json> events;
  ScenarioRunner runner([&](const Json& e) { events.push_back(e); }, ZOLIN6_ASSETS_DIR);
  std::istringstream script(
      "driver recording\ninit\ntrace on\ndriver hart\ninit\ntrace on\nadvance 1000\ntrace off\n"
      "advance 3000\n");
  runner.Run(script);
  std::vector<Json> frames;
  std::vector<Json> errors;
  for (const Json& e : events) {
    if (e["event"] == "frame") frames.push_back(e);
    if (e["event"] == "error") errors.push_back(e);
  }
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
  std::vector<Json> shown;
  std::vector<Json> errors;
  std::vector<Json> states;
  ScenarioRunner runner(
      [&](const Json& e) {
        if (e["event"] == "show") shown.push_back(e);
        if (e["event"] == "error") errors.push_back(e);
        if (e["event"] == "notify" && e["reason"] == 0) states.push_back(e);
      },
      ZOLIN6_ASSETS_DIR);
  std::istringstream script(
      "driver hart\ninit\nsim set Tag HART-7\nadvance 6000\nshow txtParameter(0)\nsim latency 5\n"
      "sim offline\nadvance 6000\n");
  runner.Run(script);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0]["text"], "HART-7  ");
  ASSERT_EQ(errors.size(), 1U);
  EXPECT_EQ(errors[0]["line"], 6);
  ASSERT_EQ(states.size(), 2U);  // on line, then off line once the line is unplugged
}

// Another maker's device: the universal pages are answered, the rest are
// not, device-specific writes are refused unsent, and no command of this
// transmitter's own numbers reaches the device.
TEST(HartDriver, AnotherMakersDeviceGetsOnlyUniversalCommands) {
  toolkit::Clock clock;
  AnswerLog log;
  auto hart = OverFsk(clock);
  hart->transmitter().mutableState().identification.manufacturerId = 0x26;
  hart->transmitter().mutableState().identification.deviceType = 0x2602;
  std::vector<std::uint16_t> commands;
  hart->link().Trace([&](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
    const hart::TracedFrame frame = hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{at}, line);
    if (direction == transport::FrameDirection::Request && frame.command) commands.push_back(*frame.command);
  });
  Register(*hart, log);
  clock.advance(1000);
  std::string result;
  const std::string document = "<ViewData><ControlData/></ViewData>";
  for (const char* code : {"1", "2", "3", "9", "17", "18", "24", "25"})
    hart->channel()->ReadRequest(code, document, result);
  hart->channel()->WriteRequest("3", document, result);
  clock.advance(30000);
  std::vector<std::int32_t> reasons;
  for (const auto& [reason, details] : log.answers) reasons.push_back(reason);
  EXPECT_EQ(reasons, (std::vector<std::int32_t>{0, 100, 200, 900, 1800, 2400, 2500, 4000}));
  EXPECT_EQ(log.answers.back().second, driver::ResponseDocument(64));
  EXPECT_EQ(hart->driver().commandSet(), driver::CommandSet::Universal);
  EXPECT_TRUE(std::ranges::none_of(commands, [](std::uint16_t c) { return c >= 128; }));
}

}  // namespace
}  // namespace zolin6::scenario
