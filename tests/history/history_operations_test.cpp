// Each kind of change the product makes to a device leaves one record with
// the values before and after and the device's verdict, in SQLite and in
// PostgreSQL alike.

#include <functional>

#include "device_bench.h"

namespace zolin6::history::testing {
namespace {

using toolkit::Answer;

struct OperationCase {
  const char* name;
  // Brings the control to its page and makes the change; answers the value
  // the record must hold at `checked`, as the page showed it before and after.
  std::function<ValueChange(DeviceBench&, fakes::ControlHarness&)> act;
  const char* operation;
  const char* page;
  std::size_t values;   // how many values the record holds
  std::size_t checked;  // which one `act` describes
  Outcome outcome;
  const char* outcomeText;
};

std::string OpenRange(fakes::ControlHarness& h) {
  h.ClickTree("Configuration");
  h.clock.advance(1000);
  return h.text("txtParameter", 40);
}

const OperationCase kCases[] = {
    {"RangeWrite",
     [](DeviceBench&, fakes::ControlHarness& h) {
       ValueChange change{"Sensor 1 Upper Range Value", OpenRange(h), "150.000"};
       h.type("txtParameter", 40, "150");
       h.Click("cmdWriteParameter");
       return change;
     },
     "write", "Range Sensor", 3, 1, Outcome::Accepted, "accepted"},
    // The upper range value set to the lower one: no span left.
    {"RefusedRangeWrite",
     [](DeviceBench&, fakes::ControlHarness& h) {
       ValueChange change{"Sensor 1 Upper Range Value", OpenRange(h), h.text("txtParameter", 39)};
       h.type("txtParameter", 40, h.text("txtParameter", 39));
       h.Click("cmdWriteParameter");
       return change;
     },
     "write", "Range Sensor", 3, 1, Outcome::Refused, "Invalid Span!"},
    {"UnitChange",
     [](DeviceBench&, fakes::ControlHarness& h) {
       OpenRange(h);
       ValueChange change{"Sensor 1 Unit", h.text("cmbPVUnits", 0), "°F"};
       h.type("cmbPVUnits", 0, "°F");
       h.Click("cmdChangeSensorUnit", 0);
       return change;
     },
     "unit change", "Range Sensor", 1, 0, Outcome::Accepted, "accepted"},
    // Channel 1's range goes to every channel: one value per channel and part.
    {"CopyRangeToAll",
     [](DeviceBench&, fakes::ControlHarness& h) {
       OpenRange(h);
       h.boxes.answers.push_back(Answer::Yes);
       h.Click("cmdConfSRangeCopyAll");
       return ValueChange{"Sensor 1 Upper Range Value", h.text("txtParameter", 40), h.text("txtParameter", 40)};
     },
     "copy to all channels", "Range Sensor", 18, 6, Outcome::Accepted, "accepted"},
    {"DeviceCommand",
     [](DeviceBench&, fakes::ControlHarness& h) {
       h.ClickTree("Diagnosis");
       h.clock.advance(1000);
       h.boxes.answers.push_back(Answer::Yes);
       h.Click("cmdSensorMaxMinReset");
       return ValueChange{};
     },
     "device command", "Diagnosis", 0, 0, Outcome::Accepted, "accepted"},
    {"TrimStep",
     [](DeviceBench&, fakes::ControlHarness& h) {
       h.Click("cmdCurrentTrim");
       h.Click("cmdTrimCurrentChannel1");
       h.Click("cmd4mA");
       return ValueChange{"Channel 1 Loop Current", "", "4.000"};
     },
     "trim step", "Trim 4mA Channel 1", 1, 0, Outcome::Accepted, "accepted"},
    {"LoopTest",
     [](DeviceBench&, fakes::ControlHarness& h) {
       h.Click("cmdLoopTest");
       h.ClickTab("SSTabLoopTest", 0);
       h.get<toolkit::TextBox>("txtParameter", 76).setText("12");
       h.form().select(h.get<toolkit::OptionButton>("OpOther", 0));
       h.Click("cmdWriteParameter");
       return ValueChange{"Channel 1 Loop Current", "", "12.000"};
     },
     "loop test", "Loop Test", 1, 0, Outcome::Accepted, "accepted"},
    // The device takes longer than the history waits.
    {"NoAnswer",
     [](DeviceBench& b, fakes::ControlHarness& h) {
       OpenRange(h);
       b.sim->SetLatency(2 * kAnswerTimeout);
       h.boxes.answers.push_back(Answer::Yes);
       h.Click("cmdConfSRangeCopyAll");
       return ValueChange{};
     },
     "copy to all channels", "Range Sensor", 18, 0, Outcome::NoAnswer, "no answer"},
};

class HistoryOperation : public ::testing::TestWithParam<std::tuple<Backend, OperationCase>> {};

TEST_P(HistoryOperation, LeavesOneCompletedRecord) {
  const auto& [backend, c] = GetParam();
  StoreFolder folder;
  SqlHistoryStore store(folder.NewStore(backend));
  DeviceBench bench(store);
  const ValueChange expected = c.act(bench, bench.h);
  bench.Settle();
  bench.h.clock.advance(kAnswerTimeout);

  Result<std::vector<Record>> records = store.List({});
  ASSERT_TRUE(records) << records.error().message;
  ASSERT_EQ(records->size(), 1U);
  const Record& record = records->front();
  EXPECT_EQ(record.operation, c.operation);
  EXPECT_EQ(record.page, c.page);
  EXPECT_EQ(record.user, "technician");
  // The identity comes from the information page the control reads first.
  EXPECT_FALSE(record.device.deviceId.empty());
  EXPECT_FALSE(record.device.tag.empty());
  EXPECT_EQ(record.outcome, c.outcome);
  EXPECT_EQ(record.outcomeText, c.outcomeText);
  ASSERT_EQ(record.values.size(), c.values);
  if (!expected.name.empty()) {
    EXPECT_EQ(record.values.at(c.checked), expected);
  }
  EXPECT_TRUE(bench.told.empty());
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Backend, OperationCase>>& info) {
  return std::string(std::get<0>(info.param) == Backend::Sqlite ? "Sqlite_" : "PostgreSql_") +
         std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(All, HistoryOperation,
                         ::testing::Combine(::testing::Values(Backend::Sqlite, Backend::PostgreSql),
                                            ::testing::ValuesIn(kCases)),
                         CaseName);

}  // namespace
}  // namespace zolin6::history::testing
