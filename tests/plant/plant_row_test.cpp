// The health word of a plant row from the status byte and command 48's
// extended status: each bit set and clear, and the worst one winning.

#include "plant/plant_row.h"
#include "plant/plant_csv.h"

#include <gtest/gtest.h>

namespace zolin6::plant {
namespace {

TEST(PlantRow, HealthFromEachStatusBit) {
  struct Case {
    std::uint8_t status;
    std::optional<std::uint8_t> extended;
    Health health;
  };
  const Case cases[] = {
      {0x00, std::nullopt, Health::Ok},
      {0x3F, 0xF6, Health::Ok},  // every other bit: cold start, more status, fixed current, ...
      {0x80, std::nullopt, Health::Failure},
      {0x00, 0x08, Health::Failure},
      {0x00, 0x01, Health::MaintenanceRequired},
      {0x40, std::nullopt, Health::ConfigurationChanged},
      {0x40, 0x01, Health::MaintenanceRequired},  // the worst wins
      {0xC0, 0x01, Health::Failure},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HealthOf(c.status, c.extended), c.health) << int{c.status} << " " << int{c.extended.value_or(0)};
    EXPECT_EQ(ParseHealth(HealthText(c.health)), c.health);
  }
  EXPECT_EQ(ParseHealth("fine"), std::nullopt);
}

TEST(PlantRow, NamesTheMakerAndModelItKnows) {
  EXPECT_EQ(ManufacturerText(24593), "NORVEL S.A.");
  EXPECT_EQ(DeviceTypeText(24593, 58113), "ZOLIN-6");
  EXPECT_EQ(ManufacturerText(38), "38");
  EXPECT_EQ(DeviceTypeText(38, 58113), "58113");  // a type is named only with its maker
}

// A device never heard from has no time, not the first moment of 1970.
TEST(PlantRow, LastSeenIsBlankOnlyForNever) {
  EXPECT_EQ(UtcText(0), "");
  EXPECT_EQ(UtcText(1000), "1970-01-01T00:00:01Z");
}

}  // namespace
}  // namespace zolin6::plant
