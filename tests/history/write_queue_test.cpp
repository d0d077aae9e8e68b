// A store that cannot be written holds up nothing: the control's request
// goes out, the user is told once, and the record is written, whole and in
// order, when the store takes writes again.

#include "device_bench.h"

namespace zolin6::history::testing {
namespace {

// Stores in memory, or refuses every write while `down` (as a full disk, a
// locked file or an unreachable server would).
class FlakyStore : public RecordStore {
 public:
  Result<std::int64_t> Insert(const Record& record) override {
    if (down) return Error{"disk full"};
    records.push_back(record);
    return static_cast<std::int64_t>(records.size());
  }
  Result<bool> Complete(const Record& record) override {
    if (down) return Error{"disk full"};
    records.at(static_cast<std::size_t>(record.id - 1)).outcome = record.outcome;
    records.at(static_cast<std::size_t>(record.id - 1)).outcomeText = record.outcomeText;
    return true;
  }
  bool down = false;
  std::vector<Record> records;
};

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
  EXPECT_EQ(bench.recorder.waitingForStore(), 2U);  // each insert with its outcome

  store.down = false;
  bench.recorder.Retry();
  EXPECT_EQ(bench.told, (std::vector<std::string>{"down disk full", "ok "}));
  EXPECT_EQ(bench.recorder.waitingForStore(), 0U);
  ASSERT_EQ(store.records.size(), 2U);
  EXPECT_EQ(store.records[0].writeCode, "6");
  EXPECT_EQ(store.records[0].outcome, Outcome::Accepted);
  EXPECT_EQ(store.records[1].operation, "unit change");
  EXPECT_EQ(store.records[1].outcome, Outcome::Accepted);
}

}  // namespace
}  // namespace zolin6::history::testing
