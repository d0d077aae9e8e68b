// The device file's text: what is read, and that anything else is refused
// with the place and kind of what is wrong.

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "device/device_state_file.h"

namespace zolin6::device {
namespace {

using nlohmann::json;

// A saved factory state, changed by `edit`.
std::string Saved(const std::function<void(json&)>& edit) {
  json file = json::parse(SaveDeviceState(FactoryState()));
  edit(file);
  return file.dump();
}

TEST(DeviceStateFile, RefusesWhatIsNotAWholeStateOfAKnownVersion) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases{
      {"", "the file is empty"},
      {"{\"writeProtect\": ", "the text is not JSON (it breaks off at the end)"},
      {"not json", "the text is not JSON (it goes wrong at byte 2)"},
      {"[1, 2]", "the text is JSON, but a list rather than an object"},
      {R"({"foo": 1})", "the key averageMode is missing"},
      {Saved([](json& f) { f["version"] = 2; }), "version 2 is not known (this program reads version 1)"},
      {Saved([](json& f) { f["version"] = "1"; }), "version holds a text where a whole number belongs"},
      {Saved([](json& f) { f["writeProtect"] = "yes"; }), "writeProtect holds a text where a whole number belongs"},
      {Saved([](json& f) { f["requestPreambles"] = 5.5; }),
       "requestPreambles holds a number where a whole number belongs"},
      {Saved([](json& f) { f["channels"].erase(5); }), "channels holds 5 entries where 6 belong"},
      {Saved([](json& f) { f["channels"][3].erase("unit"); }), "the key channels[3].unit is missing"},
      {Saved([](json& f) { f["identification"]["tag"] = 7; }),
       "identification.tag holds a whole number where a text belongs"},
      {Saved([](json& f) {
         f["channels"][0].update({{"type", 12}, {"unit", 36}});
       }),  // a Pt 100 in mV
       "a channel's unit does not fit its sensor type"},
      {Saved([](json& f) { f["bursts"][2]["command"] = 4; }), "a burst message's command is not 1, 2, 3, 9 or 48"},
      {Saved([](json& f) {
         f["bursts"][0].update({{"command", 48}, {"triggerMode", 1}});
       }),
       "a burst message's trigger does not fit"},
      {Saved([](json& f) { f["bursts"][1]["updatePeriod"] = 7999; }), "a burst message's periods are out of bounds"},
      {Saved([](json& f) { f["bursts"][1]["control"] = 2; }), "a burst message's control is neither 0 nor 1"},
      {Saved([](json& f) { f["bursts"][1]["variables"][0] = 250; }), "a burst message's first variable is not used"},
  };
  for (const Case& c : cases) {
    Result<DeviceState> loaded = LoadDeviceState(c.text);
    ASSERT_FALSE(loaded) << c.text;
    EXPECT_EQ(loaded.error().message, "not a device state: " + c.message);
  }
}

TEST(DeviceStateFile, ReadsItsOwnFilesAndThoseWrittenBeforeTheyNamedAVersion) {
  DeviceState state = FactoryState();
  state.identification.longTag = "Line 4, Ölkühler";
  const std::string saved = SaveDeviceState(state);
  EXPECT_EQ(json::parse(saved)["version"], kDeviceFileVersion);
  for (const std::string& text : {saved, Saved([](json& f) { f.erase("version"); }),
                                  Saved([](json& f) { f["sensorParameters"]["damping"] = 2; })}) {
    Result<DeviceState> loaded = LoadDeviceState(text);
    ASSERT_TRUE(loaded) << loaded.error().message;
  }
  EXPECT_EQ(SaveDeviceState(*LoadDeviceState(saved)), saved);
}

// The burst messages are kept; a file saved before the device could burst
// loads with every message off.
TEST(DeviceStateFile, KeepsTheBurstMessages) {
  DeviceState state = FactoryState();
  state.bursts[2] = {1, 3, {7, 250, 250, 250, 250, 250, 250, 250}, 16000, 32000, kTriggerRising, 64, 33, 98.5F};
  const Result<DeviceState> loaded = LoadDeviceState(SaveDeviceState(state));
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(SaveDeviceState(*loaded), SaveDeviceState(state));
  const Result<DeviceState> older = LoadDeviceState(Saved([](json& f) { f.erase("bursts"); }));
  ASSERT_TRUE(older) << older.error().message;
  for (const BurstMessage& m : older->bursts) EXPECT_EQ(m.control, 0);
}

}  // namespace
}  // namespace zolin6::device
