// The bad line on purpose: what the option text may say, that a seed gives
// the same faults again, and that the shares come out near what was asked.

#include "device/line_faults.h"

#include <gtest/gtest.h>

#include <vector>

namespace zolin6::device {
namespace {

TEST(LineFaults, ReadsEveryFormOfTheOption) {
  struct Row {
    const char* text;
    double drop;
    double corrupt;
    Millis delay;
    std::uint64_t seed;
  };
  const std::vector<Row> rows = {
      {"drop=0.1,corrupt=0.05", 0.1, 0.05, 0, kDefaultFaultSeed},
      {"corrupt=1,drop=0", 0, 1, 0, kDefaultFaultSeed},
      {"drop=1", 1, 0, 0, kDefaultFaultSeed},
      {"drop=0.5,corrupt=0.5,delay=60000,seed=18446744073709551615", 0.5, 0.5, 60000, 18446744073709551615ULL},
      {"delay=0,seed=0", 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    const Result<FaultRates> rates = ParseFaultRates(row.text);
    ASSERT_TRUE(rates) << row.text << ": " << rates.error().message;
    EXPECT_DOUBLE_EQ(rates->drop, row.drop) << row.text;
    EXPECT_DOUBLE_EQ(rates->corrupt, row.corrupt) << row.text;
    EXPECT_EQ(rates->delay, row.delay) << row.text;
    EXPECT_EQ(rates->seed, row.seed) << row.text;
  }
}

TEST(LineFaults, MalformedOptionsSayWhatIsWrong) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"", "--faults: nothing given; write drop=P,corrupt=P[,delay=MS][,seed=N]"},
      {"drop", "--faults drop: write NAME=VALUE, as in drop=P,corrupt=P[,delay=MS][,seed=N]"},
      {"drop=0.1,", "--faults drop=0.1,: an empty part; write drop=P,corrupt=P[,delay=MS][,seed=N]"},
      {"loss=0.1", "--faults loss=0.1: unknown fault loss; the faults are drop, corrupt, delay and seed"},
      {"drop=1.01", "--faults drop=1.01: a share is a number from 0 to 1"},
      {"corrupt=-0.1", "--faults corrupt=-0.1: a share is a number from 0 to 1"},
      {"drop=nan", "--faults drop=nan: a share is a number from 0 to 1"},
      {"drop=0.1x", "--faults drop=0.1x: a share is a number from 0 to 1"},
      {"drop=", "--faults drop=: a share is a number from 0 to 1"},
      {"drop=0.1,drop=0.2", "--faults drop=0.2: drop is given twice"},
      {"corrupt=0,corrupt=0", "--faults corrupt=0: corrupt is given twice"},
      {"delay=-1", "--faults delay=-1: the delay is a whole number of milliseconds from 0 to 60000"},
      {"delay=60001", "--faults delay=60001: the delay is a whole number of milliseconds from 0 to 60000"},
      {"delay=1.5", "--faults delay=1.5: the delay is a whole number of milliseconds from 0 to 60000"},
      {"delay=1,delay=1", "--faults delay=1: delay is given twice"},
      {"seed=-1", "--faults seed=-1: the seed is a whole number from 0 to 2^64 - 1"},
      {"seed=18446744073709551616",
       "--faults seed=18446744073709551616: the seed is a whole number from 0 to 2^64 - 1"},
      {"seed=1,seed=1", "--faults seed=1: seed is given twice"},
      {"drop=0.6,corrupt=0.5", "--faults drop=0.6,corrupt=0.5: drop and corrupt together are more than every reply"},
  };
  for (const auto& [text, message] : rows) {
    const Result<FaultRates> rates = ParseFaultRates(text);
    ASSERT_FALSE(rates) << text;
    EXPECT_EQ(rates.error().message, message);
  }
}

std::vector<FaultDecision> Decisions(const FaultRates& rates, int frames) {
  LineFaults faults(rates);
  std::vector<FaultDecision> out;
  for (int i = 0; i < frames; ++i) out.push_back(faults.next(10 + static_cast<std::size_t>(i % 20)));
  return out;
}

bool Same(const std::vector<FaultDecision>& a, const std::vector<FaultDecision>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].drop != b[i].drop || a[i].corruptAt != b[i].corruptAt || a[i].mask != b[i].mask) return false;
  }
  return true;
}

TEST(LineFaults, TheSameSeedMeetsTheSameFaults) {
  const FaultRates rates{0.3, 0.3, 0, 42};
  EXPECT_TRUE(Same(Decisions(rates, 200), Decisions(rates, 200)));
  FaultRates other = rates;
  other.seed = 43;
  EXPECT_FALSE(Same(Decisions(rates, 200), Decisions(other, 200)));
}

TEST(LineFaults, SharesComeOutNearWhatWasAsked) {
  constexpr int kFrames = 20000;
  for (const FaultRates& rates :
       {FaultRates{0.1, 0.2, 7, 5}, FaultRates{0, 1, 0, 6}, FaultRates{1, 0, 0, 7}, FaultRates{0, 0, 0, 8}}) {
    int dropped = 0;
    int corrupted = 0;
    for (const FaultDecision& decision : Decisions(rates, kFrames)) {
      EXPECT_EQ(decision.delay, rates.delay);
      dropped += decision.drop ? 1 : 0;
      if (decision.mask == 0) continue;
      ++corrupted;
      EXPECT_FALSE(decision.drop);
      EXPECT_LT(decision.corruptAt, 10U + 19U);
    }
    // Binomial spread at 20 000 frames is under 0.01; a wrong share is far off.
    EXPECT_NEAR(dropped / double{kFrames}, rates.drop, 0.02) << rates.seed;
    EXPECT_NEAR(corrupted / double{kFrames}, rates.corrupt, 0.02) << rates.seed;
  }
}

TEST(LineFaults, ApplyingADecisionDropsOrFlipsOneByte) {
  const hart::Bytes whole{0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x84};
  hart::Bytes frame = whole;
  EXPECT_FALSE(ApplyFault({true, 0, 0, 0}, frame));
  EXPECT_TRUE(ApplyFault({false, 0, 0, 0}, frame));
  EXPECT_EQ(frame, whole);
  ASSERT_TRUE(ApplyFault({false, 6, 0x81, 0}, frame));
  hart::Bytes flipped = whole;
  flipped[6] = 0x05;
  EXPECT_EQ(frame, flipped);
  frame = whole;
  EXPECT_TRUE(ApplyFault({false, 7, 0xFF, 0}, frame));  // past the end: nothing to flip
  EXPECT_EQ(frame, whole);
}

}  // namespace
}  // namespace zolin6::device
