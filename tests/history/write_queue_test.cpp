// A store that cannot be written holds up nothing: the control's request
// goes out, the user is told once, and the record is written, whole and in
// order, when the store takes writes again. The queue between the two
// threads keeps that order whatever the store does meanwhile.

#include <functional>

#include "device_bench.h"

namespace zolin6::history::testing {
namespace {

// Stores in memory, or refuses every write while `down` (as a full disk, a
// locked file or an unreachable server would). `during` runs inside the
// next write, as the window's thread would while the store works.
class FlakyStore : public RecordStore {
 public:
  Result<std::int64_t> Insert(const Record& record) override {
    Interject();
    if (down) return Error{"disk full"};
    records.push_back(record);
    return static_cast<std::int64_t>(records.size());
  }
  Result<bool> Complete(const Record& record) override {
    Interject();
    if (down) return Error{"disk full"};
    for (Record& stored : records) {
      if (stored.key != record.key) continue;
      stored.outcome = record.outcome;
      stored.outcomeText = record.outcomeText;
    }
    ++completions;
    return true;
  }
  void Interject() {
    ++calls;
    if (during) std::exchange(during, {})();
  }
  bool down = false;
  std::vector<Record> records;
  int calls = 0;
  int completions = 0;
  std::function<void()> during;
};

Record Keyed(const std::string& key, Outcome outcome = Outcome::Pending) {
  Record record;
  record.key = key;
  record.outcome = outcome;
  record.outcomeText = OutcomeName(outcome);
  return record;
}

std::vector<std::string> Keys(const std::vector<Record>& records) {
  std::vector<std::string> keys;
  for (const Record& record : records) keys.push_back(record.key);
  return keys;
}

TEST(HistoryQueue, KeepsRecordsWhileTheStoreIsDownAndWritesThemLater) {
  FlakyStore store;
  DeviceBench bench(store);
  bench.h.ClickTree("Configuration");
  bench.h.clock.advance(1000);

  store.down = true;
  bench.h.type("txtParameter", 40, "130");
  bench.h.Click("cmdWriteParameter");
  bench.Settle();
  EXPECT_EQ(bench.h.text("txtParameter", 40), "130.000");  // written, and read back
  bench.h.type("cmbPVUnits", 0, "°F");
  bench.h.Click("cmdChangeSensorUnit", 0);
  bench.Settle();
  EXPECT_EQ(bench.told, std::vector<std::string>{"down disk full"});
  EXPECT_EQ(bench.sink.waiting(), 2U);  // each insert with its outcome

  store.down = false;
  bench.sink.Retry();
  EXPECT_EQ(bench.told, (std::vector<std::string>{"down disk full", "ok "}));
  EXPECT_EQ(bench.sink.waiting(), 0U);
  ASSERT_EQ(store.records.size(), 2U);
  EXPECT_EQ(store.records[0].writeCode, "6");
  EXPECT_EQ(store.records[0].outcome, Outcome::Accepted);
  EXPECT_EQ(store.records[1].operation, "unit change");
  EXPECT_EQ(store.records[1].outcome, Outcome::Accepted);
  EXPECT_NE(store.records[0].key, store.records[1].key);
}

// A refused record still takes its own answer: the next record's answer is
// not given to it.
TEST(HistoryQueue, ARefusedRecordTakesItsOwnAnswer) {
  toolkit::Clock clock;
  WriteQueue queue(1);
  FlakyStore store;
  int notKept = 0;
  HistoryRecorder recorder(queue, {clock, link::WallTime(clock, kEpoch), "ana", [] { return "Range Sensor"; },
                                   [&notKept](const Record&) { ++notKept; }});
  const std::string request = "<ViewData><ControlData Attribute1=\"01\" Attribute2=\"20\"/></ViewData>";
  auto answer = [](const char* code) {
    return link::ParseNotification(
        4000, std::string("<DeviceData><Parameter tag=\"Response Code 1\" value=\"") + code + "\"/></DeviceData>");
  };
  ASSERT_TRUE(queue.Add(Keyed("earlier")));
  recorder.OnRequest(link::RequestKind::Write, "6", request);  // refused: the queue is full
  EXPECT_EQ(notKept, 1);
  ASSERT_TRUE(queue.Flush(store));
  recorder.OnRequest(link::RequestKind::Write, "6", request);
  recorder.OnNotification(answer("0"));
  recorder.OnNotification(answer("7"));
  ASSERT_TRUE(queue.Flush(store));
  ASSERT_EQ(store.records.size(), 2U);
  EXPECT_EQ(store.records[1].outcome, Outcome::Refused);
  EXPECT_EQ(store.records[1].outcomeText, "In Write Protect Mode!");
}

// The limit refuses new records only; the oldest stay, and outcomes and the
// writes of an earlier run are always taken.
TEST(HistoryQueue, TheLimitKeepsTheOldestAndNeverRefusesAnOutcome) {
  WriteQueue queue(2);
  EXPECT_TRUE(queue.Add(Keyed("a")));
  EXPECT_TRUE(queue.Add(Keyed("b")));
  EXPECT_FALSE(queue.Add(Keyed("c")));
  EXPECT_EQ(queue.size(), 2U);

  FlakyStore store;
  store.during = [&queue] { queue.Complete(Keyed("a", Outcome::Accepted)); };  // while "a" is being written
  store.down = true;
  ASSERT_FALSE(queue.Flush(store));
  EXPECT_EQ(queue.size(), 3U);  // an outcome of its own: "a" was with the store
  queue.Restore({{Keyed("old"), true}});
  EXPECT_EQ(queue.size(), 4U);

  store.down = false;
  ASSERT_TRUE(queue.Flush(store));
  EXPECT_EQ(Keys(store.records), (std::vector<std::string>{"old", "a", "b"}));
  EXPECT_EQ(store.records[1].outcome, Outcome::Accepted);
  EXPECT_EQ(store.completions, 1);
  EXPECT_TRUE(queue.Add(Keyed("c")));
}

// An outcome goes into its record's insert while that waits, and only
// into its own record's.
TEST(HistoryQueue, AnOutcomeJoinsItsWaitingInsert) {
  WriteQueue queue;
  ASSERT_TRUE(queue.Add(Keyed("a")));
  ASSERT_TRUE(queue.Add(Keyed("b")));
  queue.Complete(Keyed("a", Outcome::Refused));
  const std::vector<WaitingWrite> waiting = queue.Waiting();
  ASSERT_EQ(waiting.size(), 2U);
  EXPECT_EQ(waiting[0].record.outcome, Outcome::Refused);
  EXPECT_EQ(waiting[1].record.outcome, Outcome::Pending);

  FlakyStore store;
  ASSERT_TRUE(queue.Flush(store));
  EXPECT_EQ(store.completions, 0);  // nothing but the two inserts
  queue.Complete(Keyed("b", Outcome::Accepted));
  ASSERT_EQ(queue.size(), 1U);
  EXPECT_FALSE(queue.Waiting()[0].insert);
}

// The end asks the queue to stop between two writes; what is left waits.
TEST(HistoryQueue, StopsBetweenWritesWhenAsked) {
  WriteQueue queue;
  for (const char* key : {"a", "b", "c"}) ASSERT_TRUE(queue.Add(Keyed(key)));
  FlakyStore store;
  ASSERT_TRUE(queue.Flush(store, [&store] { return store.calls == 1; }));
  EXPECT_EQ(Keys(store.records), std::vector<std::string>{"a"});
  EXPECT_EQ(queue.size(), 2U);
  EXPECT_EQ(queue.Waiting()[0].record.key, "b");
}

}  // namespace
}  // namespace zolin6::history::testing
