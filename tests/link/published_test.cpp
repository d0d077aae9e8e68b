// Published frames decoded into the values they carry: the dynamic
// variables by their standard codes, device variables by their own.

#include <gtest/gtest.h>

#include "hart/hex.h"
#include "link/published.h"

namespace zolin6::link {
namespace {

hart::HeardBurst Burst(std::uint16_t command, const std::string& hex, std::uint8_t first = 0) {
  hart::HeardBurst burst{hart::Millis{1234}, {}, hart::testing::Hex(hex)};
  burst.frame.type = hart::FrameType::Burst;
  burst.frame.command = command;
  burst.frame.status.first = first;
  return burst;
}

struct Case {
  const char* what;
  std::uint16_t command;
  const char* data;  // after the status bytes
  std::vector<PublishedValue> expected;
};

TEST(DecodePublished, GivesEachCommandsValuesWithTheirUnits) {
  const std::vector<Case> cases{
      {"1: PV in °C, the float as it reads", 1, "20 41 AC 3D 71", {{246, 32, 21.53}}},
      {"2: loop current and percent", 2, "41 80 00 00 42 48 00 00", {{245, 39, 16.0}, {244, 57, 50.0}}},
      {"3: loop current, PV and SV",
       3,
       "41 80 00 00 20 42 C8 00 00 21 43 54 00 00",
       {{245, 39, 16.0}, {246, 32, 100.0}, {247, 33, 212.0}}},
      {"9: two slots and the time stamp",
       9,
       "00 02 40 20 42 C8 00 00 C0 0C 40 20 41 C8 00 00 C0 00 00 7D 00",
       {{2, 32, 100.0}, {12, 32, 25.0}}},
  };
  for (const Case& c : cases) {
    const Result<Published> published = DecodePublished(Burst(c.command, c.data));
    ASSERT_TRUE(published) << c.what << ": " << published.error().message;
    EXPECT_EQ(published->at, 1234) << c.what;
    EXPECT_EQ(published->command, c.command) << c.what;
    EXPECT_EQ(published->values, c.expected) << c.what;
  }
}

TEST(DecodePublished, RefusesWhatCarriesNoValues) {
  const std::vector<std::pair<hart::HeardBurst, std::string>> cases{
      {Burst(48, "00 00 00 00 00 00 00 00 00"), "48"},     // status, not values
      {Burst(1, "20 42 C8"), "command 1"},                 // short
      {Burst(9, "00 02 40 20 42 C8 00 00"), "command 9"},  // slot without its status
      {Burst(1, "", 0x88), "command 1"},                   // communication error, no data
  };
  for (const auto& [burst, named] : cases) {
    const Result<Published> published = DecodePublished(burst);
    ASSERT_FALSE(published) << named;
    EXPECT_NE(published.error().message.find(named), std::string::npos) << published.error().message;
  }
}

}  // namespace
}  // namespace zolin6::link
