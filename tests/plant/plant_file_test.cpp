// The plant file: the three kinds of endpoint read, and every error naming
// the file, what is wrong and which entry.

#include "plant/plant_file.h"

#include <gtest/gtest.h>

namespace zolin6::plant {
namespace {

TEST(PlantFile, ReadsEachKindOfEndpoint) {
  const auto endpoints = ParsePlantFile(
      R"({"endpoints": ["hart-ip://10.0.0.5:5094", "hart-ip://gw.plant?udp", "serial:/dev/ttyUSB0"]})", "p.json");
  ASSERT_TRUE(endpoints) << endpoints.error().message;
  ASSERT_EQ(endpoints->size(), 3U);
  EXPECT_EQ((*endpoints)[0].name, "hart-ip://10.0.0.5:5094");
  EXPECT_EQ((*endpoints)[0].target.port, 5094);
  EXPECT_TRUE((*endpoints)[1].target.udp);
  EXPECT_EQ((*endpoints)[2].target.kind, transport::ConnectionTarget::Kind::Serial);
  EXPECT_EQ((*endpoints)[2].target.path, "/dev/ttyUSB0");
}

TEST(PlantFile, NamesWhatIsWrongAndWhere) {
  struct Case {
    const char* json;
    const char* message;
  };
  const Case cases[] = {
      {R"({"endpoints": [)", "p.json: not JSON"},
      {R"(["hart-ip://a"])", "p.json: no \"endpoints\" list"},
      {R"({"endpoint": ["hart-ip://a"]})", "p.json: no \"endpoints\" list"},
      {R"({"endpoints": "hart-ip://a"})", "p.json: \"endpoints\" is not a list"},
      {R"({"endpoints": []})", "p.json: the \"endpoints\" list is empty"},
      {R"({"endpoints": ["hart-ip://a", 5094]})", "p.json: entry 2 of \"endpoints\" is not a text"},
      {R"({"endpoints": ["sim"]})", "p.json: entry 1 (\"sim\"): the built-in simulated device is not a plant endpoint"},
      {R"({"endpoints": ["hart-ip://a?v2"]})", "p.json: entry 1 (\"hart-ip://a?v2\"): secure HART-IP needs a key file"},
      {R"({"endpoints": ["hart-ip://a:5094/TT-001?udp"]})",
       "p.json: entry 1 (\"hart-ip://a:5094/TT-001?udp\"): names a device behind an I/O system"},
      {R"({"endpoints": ["hart-ip://a", "hart-ip://a:5094"]})",
       "p.json: entry 2 (\"hart-ip://a:5094\") names the same endpoint as entry 1"},
  };
  for (const Case& c : cases) {
    const auto endpoints = ParsePlantFile(c.json, "p.json");
    ASSERT_FALSE(endpoints) << c.json;
    EXPECT_TRUE(endpoints.error().message.starts_with(c.message)) << endpoints.error().message;
  }
  // The address's own error follows the entry.
  const auto bad = ParsePlantFile(R"({"endpoints": ["telnet://a"]})", "p.json");
  ASSERT_FALSE(bad);
  EXPECT_TRUE(bad.error().message.starts_with("p.json: entry 1 (\"telnet://a\"): ")) << bad.error().message;
  const auto missing = ReadPlantFile("/nonexistent/plant.json");
  ASSERT_FALSE(missing);
  EXPECT_TRUE(missing.error().message.starts_with("/nonexistent/plant.json: cannot open")) << missing.error().message;
}

}  // namespace
}  // namespace zolin6::plant
