// The built-in simulated device behind the framework link, as `driver sim`
// hands it over: on line shortly after the control registers, one request
// answered at a time after its latency, in order, the off-line state while
// its line is unplugged, nothing for a control that let go, and its state
// kept in a file.

#include <gtest/gtest.h>

#include "device/device_state_file.h"
#include "host/user_cntrl.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"
#include "transport/simulated_device.h"

namespace zolin6::transport {
namespace {

// Notification codes, each with the clock time it came at.
using Timeline = std::vector<std::pair<toolkit::Millis, std::int32_t>>;

// A control that only registers and records the notifications it gets.
class RecordingControl : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  explicit RecordingControl(toolkit::Clock& clock) : clock_(clock) {}
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    got.emplace_back(clock_.now(), reason);
    texts.push_back(details.text().value_or(""));
  }
  Timeline got;
  std::vector<std::string> texts;

 private:
  toolkit::Clock& clock_;
};

class SimulatedDeviceTest : public ::testing::Test {
 protected:
  void Register() {
    bool result = false;
    ASSERT_TRUE(sim->session()->RegisterControl("PrjZOLIN6DTM.UserCntrl", "invoke-1", &control, 0, result) && result);
  }
  void Read(const std::string& code) {
    std::string result = "x";
    ASSERT_TRUE(sim->channel()->ReadRequest(code, UserCntrl::DocXML(NoneAttributes()), result));
    EXPECT_EQ(result, "");
  }
  void Write(const std::string& code, Attributes attributes = NoneAttributes()) {
    std::string result;
    ASSERT_TRUE(sim->channel()->WriteRequest(code, UserCntrl::DocXML(attributes), result));
  }
  bool Answered(std::size_t i, const std::string& response) const {
    return control.texts.at(i).find(R"(Code 1" value=")" + response + '"') != std::string::npos;
  }

  toolkit::Clock clock;
  RecordingControl control{clock};
  std::shared_ptr<SimulatedDevice> sim = std::make_shared<SimulatedDevice>(clock);
};

TEST_F(SimulatedDeviceTest, ComesOnLineThenAnswersOneTransactionAtATimeInOrder) {
  bool ready = false;
  EXPECT_TRUE(sim->session()->IsReady(ready) && ready);
  Register();
  clock.advance(99);
  EXPECT_TRUE(control.got.empty());
  clock.advance(901);
  Read("9");
  Write("5");  // a write with nothing in it
  Read("16");
  Read("34");  // codes the device does not know: no answer
  Read("abc");
  Write("25");  // not implemented
  EXPECT_EQ(sim->pendingTransactions(), 6);
  clock.advance(3000);
  EXPECT_EQ(control.got, (Timeline{{100, 0}, {1300, 900}, {1600, 4000}, {1900, 1600}, {2800, 4000}}));
  EXPECT_EQ(control.texts[0], "<DTMInfo state='Online' />");
  EXPECT_TRUE(Answered(2, "5") && Answered(4, "64"));
  EXPECT_EQ(sim->pendingTransactions(), 0);
  // A request on an idle line waits only for its own transaction.
  sim->SetLatency(50);
  Read("30");
  clock.advance(50);
  EXPECT_EQ(control.got.back(), (Timeline::value_type{4050, 3000}));
}

TEST_F(SimulatedDeviceTest, OffLineDeviceAnswersWithItsState) {
  Register();
  clock.advance(1000);
  sim->SetOnline(false);
  Read("1");
  clock.advance(300);
  sim->SetOnline(true);
  Read("1");
  clock.advance(300);
  EXPECT_EQ(control.got, (Timeline{{100, 0}, {1000, 0}, {1300, 0}, {1300, 0}, {1600, 100}}));
  EXPECT_EQ(std::vector(control.texts.begin() + 1, control.texts.begin() + 4),
            (std::vector<std::string>{std::string(framelink::kOfflineState), std::string(framelink::kOfflineState),
                                      std::string(framelink::kOnlineState)}));
}

TEST_F(SimulatedDeviceTest, NothingReachesAControlThatLetGo) {
  bool result = false;
  Register();
  Read("1");
  EXPECT_TRUE(sim->session()->UnregisterControl("invoke-1", true, result));
  clock.advance(1000);
  Register();
  Read("2");
  EXPECT_TRUE(sim->session()->CloseSession("invoke-1"));
  clock.advance(1000);
  Register();
  Read("1");
  sim.reset();  // the answers of a released driver go nowhere
  clock.advance(1000);
  EXPECT_TRUE(control.got.empty());
}

TEST_F(SimulatedDeviceTest, DeviceStateSurvivesARestartThroughItsFile) {
  const std::string path = ::testing::TempDir() + "zolin6_sim_state.json";
  for (const auto& [tag, value] : {std::pair{"Long Tag", "Line 4, Ölkühler"}, std::pair{"Sns4Type", "130"},
                                   std::pair{"Sns2Unit", "35"}, std::pair{"SnsMaxTemp", "99.5"}}) {
    ASSERT_EQ(sim->transmitter().SetValue(tag, value, 0), "") << tag;
  }
  Write("11", {"41400000"});  // output 1 held at 12 mA
  Read("25");                 // the cold start reported
  clock.advance(1000);
  ASSERT_TRUE(sim->SaveState(path).ok());

  auto restarted = std::make_shared<SimulatedDevice>(clock);
  ASSERT_TRUE(restarted->LoadState(path).ok());
  // The device starts cold, with no current held; all else is as saved.
  device::DeviceState loaded = restarted->transmitter().state();
  EXPECT_TRUE(loaded.coldStart && !loaded.outputs[0].fixed);
  EXPECT_EQ(loaded.identification.longTag, "Line 4, Ölkühler");
  EXPECT_EQ(loaded.channels[3].type, 130);
  loaded.coldStart = false;
  loaded.outputs[0].fixed = true;
  EXPECT_EQ(device::SaveDeviceState(loaded), device::SaveDeviceState(sim->transmitter().state()));

  EXPECT_FALSE(restarted->LoadState(path + ".missing").ok());
  EXPECT_FALSE(restarted->SaveState("/nonexistent-folder/state.json").ok());
}

}  // namespace
}  // namespace zolin6::transport
