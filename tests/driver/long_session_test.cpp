// Hours of simulated use in one session: every page visited, polling
// running, writes on the configuration pages, trims, the loop test and the
// resets, tens of thousands of notifications. Nothing written gets lost,
// nothing is refused that should not be, no transaction is left hanging and
// memory does not grow.

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasureMemory = false;  // the sanitizer's quarantine grows by design
#else
constexpr bool kMeasureMemory = true;
#endif

long ResidentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

const char* const kDisplayTexts[] = {"Sensor 1",   "Sensor 2",   "Sensor 3",   "Sensor 4",   "Sensor 5",
                                     "Sensor 6",   "Sensor 1 %", "Sensor 2 %", "Sensor 3 %", "Sensor 4 %",
                                     "Sensor 5 %", "Sensor 6 %", "Local Temp"};
const char* const kTempUnits[] = {"°C", "°F", "K", "°R"};
const int kTempUnitCodes[] = {32, 33, 35, 34};
const int kUpperBox[] = {40, 87, 92, 97, 130, 160};
const int kLowerBox[] = {39, 82, 91, 96, 129, 159};

std::string Box(int index) { return "txtParameter(" + std::to_string(index) + ")"; }

class LongSession {
 public:
  LongSession() { h.Start(); }

  // Every tree node and every tab that reads.
  void VisitEveryPage() {
    for (const char* node : {"OnLine Parameterize", "Information", "HART", " HART", "Local Temp", "LCD",
                             "Special Function", "TRIM", "Maintenance"}) {
      h.Tree(node);
      h.Run(400);
    }
    h.Tree("Sensor");
    for (int tab = 0; tab < 6; ++tab) Tab("SSTabInfoSensor", tab);
    h.Tree(" Sensor");
    for (int tab = 0; tab < 7; ++tab) Tab("SSTabConfSensor", tab);
    h.Tree("Configuration");
    for (int tab = 0; tab < 6; ++tab) Tab("SSTabSensorRange", tab);
  }

  // The live pages, with their polling timers running.
  void Watch() {
    h.Tree("Observe");
    h.Run(60000);
    h.Tab("SSTabObserve", 1);
    h.Run(30000);
    h.Tree("Diagnosis");
    h.Run(20000);
    for (int tab = 1; tab < 4; ++tab) Tab("SSTabDiagnosis", tab);
  }

  void WriteConfiguration(int cycle) {
    const int channel = cycle % 6;
    h.Tree("Configuration");
    Tab("SSTabSensorRange", channel);
    const std::string sensor = "Sns" + std::to_string(channel + 1);
    Write({{Box(kUpperBox[channel]), std::to_string(100 + cycle)},
           {Box(kLowerBox[channel]), std::to_string(cycle % 50 - 20)}},
          {{sensor + "UpperRangeValue", std::to_string(100 + cycle)},
           {sensor + "LowerRangeValue", std::to_string(cycle % 50 - 20)}});

    h.Tree("LCD");
    h.Run(400);
    const int line = cycle % 6 + 1;
    Write({{"cmbDisplay" + std::to_string(line), kDisplayTexts[cycle % 13]}},
          {{"Display" + std::to_string(line), std::to_string(cycle % 13)}});

    h.Tree(" HART");
    h.Run(400);
    Write({{"cmbResponsePreambles", std::to_string(5 + cycle % 5)}},
          {{"RespPreambles", std::to_string(5 + cycle % 5)}});

    h.Tree("Information");
    h.Run(400);
    message_ = "CYCLE " + std::to_string(cycle);
    Write({{"txtParameter(3)", message_}}, {});

    h.Tree("Local Temp");
    h.Run(400);
    Write({{"cmbUnitLocalTemp", kTempUnits[cycle % 4]}}, {{"TempUnit", std::to_string(kTempUnitCodes[cycle % 4])}});

    h.Tree("Special Function");
    h.Run(400);
    Write({{"cmbBackupSensor", "Sensor " + std::to_string(2 + cycle % 5)}},
          {{"BackupSensor", std::to_string(1 + cycle % 5)}});

    h.Tree(" Sensor");
    Tab("SSTabConfSensor", 6);
    const std::string damping = std::to_string(cycle % 8 / 2) + ".5";
    Write({{"txtParameter(143)", "0.5"},
           {"txtParameter(144)", "-0.25"},
           {"txtParameter(145)", "0"},
           {"txtParameter(138)", "100"},
           {"txtParameter(146)", damping}},
          {{"Damping", damping}, {"CoeffA", "0.5"}, {"CoeffB", "-0.25"}});
  }

  void Procedures(int cycle) {
    const int channel = cycle / 10 % 6 + 1;
    h.Tree("TRIM");
    h.Click("cmdCurrentTrim");
    h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
    h.Click(cycle % 20 == 0 ? "cmd4mA" : "cmd20mA");
    h.Run(1000);
    h.Set("txtParameter(59)", cycle % 20 == 0 ? "4.002" : "19.998");
    h.Answer(toolkit::Answer::Yes);
    h.Click("cmdWriteParameter");
    h.Settle();
    EXPECT_FALSE(h.sim->transmitter().state().outputs[channel - 1].fixed);

    h.Tree("Maintenance");
    h.Click("cmdLoopTest");
    h.Select("Op12mA(0)");
    h.Click("cmdWriteParameter");
    h.Run(1000);
    EXPECT_EQ(h.sim->transmitter().Measure(h.clock.now()).loopCurrent[0], 12.0F);
    h.Click("cmdBack");
    h.Run(1000);
    EXPECT_FALSE(h.sim->transmitter().state().outputs[0].fixed);

    h.Tree("Diagnosis");
    Tab("SSTabDiagnosis", 2);
    h.Answer(toolkit::Answer::Yes);
    h.Click("CmdResetChangeCounters");
    h.Run(2000);
    EXPECT_EQ(h.Text("txtParameter(120)"), "0");
    Tab("SSTabDiagnosis", 3);
    h.Answer(toolkit::Answer::Yes);
    h.Click("cmdSensorMaxMinReset");
    h.Run(2000);

    if (cycle % 30 == 0) {
      h.Tree("Maintenance");
      h.Answer(toolkit::Answer::Yes);
      h.Click("cmdDeviceReset");
      h.Run(3000);  // the device restarts
    }
  }

  // Everything written last, read back from the device and from the pages.
  void CheckNothingLost() {
    for (const auto& [tag, value] : expected_) EXPECT_EQ(h.Device(tag), value) << tag;
    h.Tree("Information");
    h.Run(1000);
    std::string shown = message_;
    shown.resize(32, ' ');
    EXPECT_EQ(h.Text("txtParameter(3)"), shown);
  }

  SimHarness h;

 private:
  void Tab(const std::string& tabs, int index) {
    h.Tab(tabs, index);
    h.Run(400);
  }

  // Types into the page on show, writes, waits for the re-read and checks
  // that the device took it.
  void Write(const std::vector<Shown>& typed, const std::map<std::string, std::string>& device) {
    for (const Shown& field : typed) h.Set(field.id, field.text);
    h.Click("cmdWriteParameter");
    h.Settle();
    for (const auto& [tag, value] : device) {
      EXPECT_EQ(h.Device(tag), value) << tag;
      expected_[tag] = value;
    }
  }

  std::map<std::string, std::string> expected_;
  std::string message_;
};

TEST(LongSession, HoursOfUseLoseNothing) {
  LongSession session;
  SimHarness& h = session.h;
  constexpr int kCycles = 250;
  long residentAtStart = 0;
  std::size_t notifications = 0;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    session.VisitEveryPage();
    session.Watch();
    session.WriteConfiguration(cycle);
    if (cycle % 10 == 0) session.Procedures(cycle);
    // Only the count is kept, so the test's own records do not grow.
    notifications += h.notifications.size();
    h.notifications.clear();
    h.requests.clear();
    if (cycle == 20) residentAtStart = ResidentKilobytes();
    if (::testing::Test::HasFailure()) break;
  }
  session.CheckNothingLost();
  h.Settle();

  EXPECT_GE(notifications + h.notifications.size(), 20000u);
  EXPECT_EQ(h.sim->pendingTransactions(), 0);
  // The device refused nothing: every box was a procedure's own question.
  for (const auto& box : h.boxes.shown) EXPECT_NE(box.title, "Response Code") << box.text;
  if (kMeasureMemory) {
    EXPECT_LT(ResidentKilobytes() - residentAtStart, 1024);
  }
}

}  // namespace
}  // namespace zolin6::driver::testing
