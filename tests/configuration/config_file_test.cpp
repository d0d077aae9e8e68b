// The configuration file: what it keeps, and every kind of fault a file can
// hold, each refused with a message naming the file and the place.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>

#include "codecs/float_ieee.h"
#include "configuration/compare.h"
#include "configuration/config_file.h"
#include "configuration/device_codec.h"
#include "configuration/transfer.h"
#include "configuration/validation.h"
#include "fakes/user_locale.h"
#include "platform/locale.h"
#include "sim_device.h"

namespace zolin6::configuration {
namespace {

using Json = nlohmann::ordered_json;

// The factory configuration of the simulated transmitter, as a file's text.
const std::string& FactoryFile() {
  static const std::string text = [] {
    testing::SimDevice device;
    Result<Configuration> uploaded = Upload(device.link, {{}, nullptr, "2026-12-06T10:00:00Z"});
    return uploaded ? FormatConfiguration(*uploaded) : std::string();
  }();
  return text;
}

TEST(ConfigFileTest, TextRoundTripsAndReadsTheSameInEveryLocale) {
  Result<Configuration> read = ParseConfiguration(FactoryFile(), "factory.json");
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(FormatConfiguration(*read), FactoryFile());

  platform::SetUserLocale({','});
  Result<Configuration> comma = ParseConfiguration(FactoryFile(), "factory.json");
  platform::SetUserLocale({'.'});
  ASSERT_TRUE(comma);
  EXPECT_EQ(FormatConfiguration(*comma), FactoryFile());
  EXPECT_NE(FactoryFile().find("\"upper range value\": "), std::string::npos);
}

struct FaultCase {
  const char* what;
  std::function<void(Json&)> change;
  const char* message;  // what the message must say after "plant.json: "
};

class ConfigFileFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ConfigFileFaultTest, IsRefusedWithItsMessage) {
  Json json = Json::parse(FactoryFile());
  GetParam().change(json);
  Result<Configuration> read = ParseConfiguration(json.dump(2), "plant.json");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().message.rfind("plant.json: ", 0), 0U) << read.error().message;
  EXPECT_NE(read.error().message.find(GetParam().message), std::string::npos) << read.error().message;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ConfigFileFaultTest,
    ::testing::Values(
        // The file itself
        FaultCase{"newer version", [](Json& j) { j["version"] = 2; },
                  "version: version 2 is not one this program reads"},
        FaultCase{"no version", [](Json& j) { j.erase("version"); }, "version: an integer version is expected"},
        FaultCase{"another format", [](Json& j) { j["format"] = "device list"; }, "format: not a"},
        FaultCase{"misspelt key", [](Json& j) { j["hart"]["poling address"] = 3; },
                  "hart.poling address: the device has no such value"},
        // Values
        FaultCase{"missing value", [](Json& j) { j["channel 3"].erase("unit"); },
                  "channel 3.unit: the value is missing"},
        FaultCase{"out of range", [](Json& j) { j["hart"]["polling address"] = 64; },
                  "hart.polling address: 64 is out of the device's range 0 to 63"},
        FaultCase{"wrong type", [](Json& j) { j["channel 1"]["sensor type"] = "Pt 100 IEC"; },
                  "channel 1.sensor type: an integer is expected"},
        FaultCase{"number as text", [](Json& j) { j["channel 2"]["upper range value"] = "100"; },
                  "channel 2.upper range value: a number is expected"},
        FaultCase{"no value at all", [](Json& j) { j["local display"]["line 2"] = nullptr; },
                  "local display.line 2: null is no value"},
        FaultCase{"text too long", [](Json& j) { j["identification"]["long tag"] = std::string(33, 'x'); },
                  "identification.long tag: the text has 33 characters, the device keeps at most 32"},
        FaultCase{"packed text too long", [](Json& j) { j["identification"]["tag"] = "TT-101-XX"; },
                  "identification.tag: the text has 9 characters"},
        FaultCase{"not packable", [](Json& j) { j["identification"]["tag"] = "TT{1}"; },
                  "identification.tag: \"TT{1}\" holds a character the device cannot keep"},
        FaultCase{"unknown code", [](Json& j) { j["channel 1"]["sensor type"] = 200; },
                  "channel 1.sensor type: the device knows no code 200"},
        FaultCase{"beyond the sensor", [](Json& j) { j["channel 2"]["upper range value"] = 5000.5; },
                  "channel 2.upper range value: 5000.5 is above the upper range limit"},
        FaultCase{"impossible date", [](Json& j) { j["identification"]["date"] = "2026-13-01"; },
                  "identification.date: \"2026-13-01\" is not a date"},
        FaultCase{"damping too long", [](Json& j) { j["sensor parameters"]["damping"] = 40; },
                  "sensor parameters.damping: 40 is out of the device's range 0 to 32"}),
    [](const auto& test) {
      std::string name = test.param.what;
      std::ranges::replace(name, ' ', '_');
      return name;
    });

// Texts the JSON library reads only partly; each once ended the program.
TEST(ConfigFileTest, TextsTheParserRefusesAreFaults) {
  std::string huge = FactoryFile();
  huge.replace(huge.find("24593"), 5, "1e999");
  std::string format = FactoryFile();
  format.replace(format.find("\"ZOLIN-6 configuration\""), 23, "6");
  for (const auto& [text, message] :
       {std::pair{huge, "plant.json: the file cannot be read (number overflow parsing '1e999')"},
        std::pair{format, "plant.json: format: "}}) {
    Result<Configuration> read = ParseConfiguration(text, "plant.json");
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().message.rfind(message, 0), 0U) << read.error().message;
  }
}

TEST(ConfigFileTest, MalformedTextNamesTheLine) {
  std::string text = FactoryFile();
  text.insert(text.find("\"hart\""), "oops ");
  const std::size_t line = 1 + static_cast<std::size_t>(std::ranges::count(text.substr(0, text.find("oops")), '\n'));
  Result<Configuration> read = ParseConfiguration(text, "plant.json");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().message.rfind("plant.json: line " + std::to_string(line) + ": the file is not well-formed", 0),
            0U)
      << read.error().message;
}

// What the device takes, at both sides of each edge: the first and last day
// it can keep, the ends of a range, a range value at its sensor's limit.
TEST(ConfigFileTest, ValuesAtTheEdgesOfWhatTheDeviceTakes) {
  Result<Configuration> factory = ParseConfiguration(FactoryFile(), "factory.json");
  ASSERT_TRUE(factory) << factory.error().message;
  const double upperLimit = std::get<double>(factory->values.at("channel 2.upper range limit"));
  const double lowerLimit = std::get<double>(factory->values.at("channel 2.lower range limit"));
  struct EdgeCase {
    const char* key;
    Value value;
    bool taken;
  };
  const EdgeCase cases[] = {
      // dates: the year is kept as year - 1900 in one byte
      {"identification.date", std::string("1900-01-01"), true},
      {"identification.date", std::string("2155-12-31"), true},
      {"identification.date", std::string("2026-12-31"), true},
      {"identification.date", std::string("1899-12-31"), false},
      {"identification.date", std::string("2156-01-01"), false},
      {"identification.date", std::string("2026-00-10"), false},
      {"identification.date", std::string("2026-12-00"), false},
      {"identification.date", std::string("2026-12-32"), false},
      {"identification.date", std::string("2026-12-31x"), false},
      {"identification.date", std::string("26-12-31"), false},
      // integer and number ranges
      {"hart.polling address", std::int64_t{0}, true},
      {"hart.polling address", std::int64_t{63}, true},
      {"hart.polling address", std::int64_t{-1}, false},
      {"sensor parameters.damping", 0.0, true},
      {"sensor parameters.damping", 32.0, true},
      {"sensor parameters.damping", -0.5, false},
      {"sensor parameters.damping", 32.5, false},
      // a range value within its sensor's limits, the limits included
      {"channel 2.upper range value", upperLimit, true},
      {"channel 2.lower range value", lowerLimit, true},
      {"channel 2.lower range value", lowerLimit - 0.5, false},
  };
  for (const EdgeCase& c : cases) {
    Configuration changed = *factory;
    changed.values[c.key] = c.value;
    EXPECT_EQ(Validate(changed).ok(), c.taken) << c.key << " = " << ValueText(c.value);
  }
}

// The device keeps numbers as single floats and the page cuts them: two
// numbers the page writes alike are the same, whatever their doubles, and a
// download sends the bits the page's Write button sends for the same text.
using PageNumbers = fakes::UserLocaleTest;

TEST_F(PageNumbers, ADownloadSendsWhatThePageSendsForTheSameText) {
  const std::vector<std::pair<double, const char*>> cases = {
      {21.62, "21.62"}, {0.1, "0.1"},   {150.25, "150.25"}, {-0.0000005775, "-0.0000005775"},
      {850, "850"},     {-200, "-200"}, {0, "0"},           {0.004183, "0.004183"}};
  for (const char separator : {'.', ','}) {
    platform::SetUserLocale({separator});
    for (const auto& [value, typed] : cases) {
      EXPECT_EQ(PageNumberHex(value).value(), codecs::ConvertTypedNumberToHex(typed).value()) << typed;
    }
  }
  EXPECT_EQ(PageNumberHex(21.62).value(), "41ACF5C2");  // cut: not the nearest single
}

TEST(ConfigFileTest, TheSameIsWhatThePageWritesAlike) {
  const std::string key = "channel 1.upper range value";
  EXPECT_TRUE(SameValue(key, Value{21.62}, Value{21.619999}));  // one written, one read back
  EXPECT_TRUE(SameValue(key, Value{100.1}, Value{static_cast<double>(100.1F)}));
  EXPECT_FALSE(SameValue(key, Value{21.62}, Value{21.63}));
  EXPECT_FALSE(SameValue(key, Value{0.0}, Value{-0.001}));
  EXPECT_FALSE(SameValue("hart.polling address", Value{std::int64_t{3}}, Value{std::int64_t{4}}));
  EXPECT_TRUE(SameValue("identification.tag", Value{std::string("tt-7")}, Value{std::string("TT-7")}));
  EXPECT_FALSE(SameValue("identification.long tag", Value{std::string("Inlet")}, Value{std::string("INLET")}));
}

}  // namespace
}  // namespace zolin6::configuration
