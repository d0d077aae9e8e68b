// Hours of simulated use in one session: every page visited, polling
// running, writes on the configuration pages, trims, the loop test and the
// resets, tens of thousands of notifications. Nothing written gets lost,
// nothing is refused that should not be, no transaction is left hanging and
// memory does not grow.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <tuple>

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

class LongSession {
 public:
  // Every page and tab that reads, then the live pages with their polling timers running.
  void Browse() {
    for (const char* node : {"OnLine Parameterize", "Information", "HART", " HART", "Local Temp", "LCD",
                             "Special Function", "TRIM", "Maintenance"}) {
      h.Open({node}, 400);
    }
    const std::tuple<const char*, const char*, int> tabbed[] = {
        {"Sensor", "SSTabInfoSensor", 6}, {" Sensor", "SSTabConfSensor", 7}, {"Configuration", "SSTabSensorRange", 6}};
    for (auto [node, tabs, count] : tabbed) {
      h.Tree(node);
      for (int tab = 0; tab < count; ++tab) Tab(tabs, tab);
    }
    h.Open({"Observe"}, 60000);
    h.Tab("SSTabObserve", 1);
    h.Run(30000);
    h.Open({"Diagnosis"}, 20000);
    for (int tab = 1; tab < 4; ++tab) Tab("SSTabDiagnosis", tab);
  }

  // Each configuration page written with values that change from cycle to cycle.
  void WriteConfiguration(int cycle) {
    static const char* const kTempUnits[] = {"°C", "32", "°F", "33", "K", "35", "°R", "34"};
    static const int kUpperBox[] = {40, 87, 92, 97, 130, 160}, kLowerBox[] = {39, 82, 91, 96, 129, 159};
    const int channel = cycle % 6;
    const std::string sensor = "Sns" + std::to_string(channel + 1);
    const std::string upper = std::to_string(100 + cycle), lower = std::to_string(cycle % 50 - 20);
    Write({"Configuration", "SSTabSensorRange", channel},
          std::to_string(kUpperBox[channel]) + "=" + upper + "|" + std::to_string(kLowerBox[channel]) + "=" + lower,
          sensor + "UpperRangeValue=" + upper + "|" + sensor + "LowerRangeValue=" + lower);
    const std::string line = std::to_string(cycle % 6 + 1);
    const int code = cycle % 13;  // "Sensor 1" to "Sensor 6", "Sensor 1 %" to "Sensor 6 %", "Local Temp"
    const std::string display =
        code == 12 ? "Local Temp" : "Sensor " + std::to_string(code % 6 + 1) + (code < 6 ? "" : " %");
    Write({"LCD"}, "cmbDisplay" + line + "=" + display, "Display" + line + "=" + std::to_string(code));
    const std::string preambles = std::to_string(5 + cycle % 5);
    Write({" HART"}, "cmbResponsePreambles=" + preambles, "RespPreambles=" + preambles);
    message_ = "CYCLE " + std::to_string(cycle);
    Write({"Information"}, "3=" + message_, "");
    Write({"Local Temp"}, std::string("cmbUnitLocalTemp=") + kTempUnits[cycle % 4 * 2],
          std::string("TempUnit=") + kTempUnits[cycle % 4 * 2 + 1]);
    Write({"Special Function"}, "cmbBackupSensor=Sensor " + std::to_string(2 + cycle % 5),
          "BackupSensor=" + std::to_string(1 + cycle % 5));
    const std::string damping = std::to_string(cycle % 8 / 2) + ".5";
    Write({" Sensor", "SSTabConfSensor", 6}, "143=0.5|144=-0.25|145=0|138=100|146=" + damping,
          "Damping=" + damping + "|CoeffA=0.5|CoeffB=-0.25");
  }

  void Procedures(int cycle) {
    const bool low = cycle % 20 == 0;
    h.Tree("TRIM");
    h.Click("cmdCurrentTrim");
    h.Click("cmdTrimCurrentChannel" + std::to_string(cycle / 10 % 6 + 1));
    h.Click(low ? "cmd4mA" : "cmd20mA");
    h.Run(1000);
    h.Type(low ? "59=4.002" : "59=19.998");
    Confirm("cmdWriteParameter", 3000);
    h.Tree("Maintenance");
    h.Click("cmdLoopTest");
    h.Select("Op12mA(0)");
    h.Click("cmdWriteParameter");
    h.Run(1000);
    h.Click("cmdBack");
    h.Run(1000);
    h.Tree("Diagnosis");
    Tab("SSTabDiagnosis", 2);
    Confirm("CmdResetChangeCounters", 2000);
    h.ExpectShown("120=0");
    Tab("SSTabDiagnosis", 3);
    Confirm("cmdSensorMaxMinReset", 2000);
    if (cycle % 30 == 0) {
      h.Tree("Maintenance");
      Confirm("cmdDeviceReset", 3000);  // the device restarts
    }
  }

  // Everything written last, read back from the device and from the pages.
  void CheckNothingLost() {
    for (const auto& [tag, value] : expected_) EXPECT_EQ(h.Device(tag), value) << tag;
    h.Open({"Information"});
    std::string shown = message_;
    shown.resize(32, ' ');
    EXPECT_EQ(h.Text("txtParameter(3)"), shown);
  }

  SimHarness h;

 private:
  void Tab(const char* tabs, int index) {
    h.Tab(tabs, index);
    h.Run(400);
  }
  void Confirm(const char* button, toolkit::Millis wait) {
    h.Answer(toolkit::Answer::Yes);
    h.Click(button);
    h.Run(wait);
  }
  // Types into a page, writes, waits for the re-read and checks that the device took it.
  void Write(const Page& page, const std::string& typed, const std::string& device) {
    h.Open(page, 400);
    h.Type(typed);
    h.Click("cmdWriteParameter");
    h.Settle();
    for (const auto& [tag, value] : Entries(device, false)) {
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
  long residentAtStart = 0;
  for (int cycle = 1; cycle <= 250; ++cycle) {
    session.Browse();
    session.WriteConfiguration(cycle);
    if (cycle % 10 == 0) session.Procedures(cycle);
    if (cycle == 20) residentAtStart = ResidentKilobytes();
    if (::testing::Test::HasFailure()) break;
  }
  session.CheckNothingLost();
  h.Settle();
  EXPECT_GE(h.notifications, 20000u);
  EXPECT_EQ(h.sim->pendingTransactions(), 0);
  EXPECT_TRUE(std::ranges::none_of(h.device().outputs, &LoopOutput::fixed));
  // The device refused nothing: every box was a procedure's own question.
  for (const auto& box : h.boxes.shown) EXPECT_NE(box.title, "Response Code") << box.text;
  if (kMeasureMemory) {
    EXPECT_LT(ResidentKilobytes() - residentAtStart, 1024);
  }
}

}  // namespace
}  // namespace zolin6::driver::testing
