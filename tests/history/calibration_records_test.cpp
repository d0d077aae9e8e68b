// A calibration kept in the device history: stored as any record is, and
// found again by its id, in SQLite and PostgreSQL alike.

#include "history/calibration_records.h"
#include "device_bench.h"

namespace zolin6::history::testing {
namespace {

class CalibrationHistory : public ::testing::TestWithParam<Backend> {
 protected:
  StoreFolder folder;
  StoreLocation location = folder.NewStore(GetParam());
};

CalibrationEntry Entry(const std::string& json) {
  return {"CAL-TT-204-2-20260829T000000Z", json, "channel 2: passed", {"TT-204", "", "", "123456"}, kEpoch, "ana"};
}

TEST_P(CalibrationHistory, StoredAndFoundAgainByItsId) {
  std::int64_t id = 0;
  {
    SqlHistoryStore store(location);
    Record write;
    write.operation = "write";
    write.timeUtc = kEpoch - 1000;
    ASSERT_TRUE(store.Insert(write));
    Result<std::int64_t> stored = store.Insert(MakeCalibrationRecord(Entry(R"({"channel": 2, "text": "\"é\""})")));
    ASSERT_TRUE(stored) << stored.error().message;
    id = *stored;
  }
  SqlHistoryStore reopened(location);
  Result<std::string> json = ReadCalibration(reopened, std::to_string(id));
  ASSERT_TRUE(json) << json.error().message;
  EXPECT_EQ(*json, R"({"channel": 2, "text": "\"é\""})");
  Result<std::string> byNumber = ReadCalibration(reopened, "CAL-TT-204-2-20260829T000000Z");
  ASSERT_TRUE(byNumber) << byNumber.error().message;
  EXPECT_EQ(*byNumber, *json);
  Result<std::vector<Record>> listed = reopened.List({});
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->front().operation, "calibration");
  EXPECT_EQ(listed->front().outcomeText, "channel 2: passed");
  EXPECT_EQ(listed->front().device.tag, "TT-204");

  Result<std::string> unknown = ReadCalibration(reopened, std::to_string(id + 1));
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error().message, "the history has no record " + std::to_string(id + 1));
  Result<std::string> write = ReadCalibration(reopened, std::to_string(listed->back().id));
  ASSERT_FALSE(write);
  EXPECT_NE(write.error().message.find("is no calibration"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, CalibrationHistory, ::testing::Values(Backend::Sqlite, Backend::PostgreSql),
                         [](const auto& backend) {
                           return backend.param == Backend::Sqlite ? "Sqlite" : "PostgreSql";
                         });

}  // namespace
}  // namespace zolin6::history::testing
