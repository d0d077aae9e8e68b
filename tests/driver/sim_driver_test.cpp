// The driver's side of the framework link: registration, the HART-like
// timing of the answers, going off line and back, and what happens when the
// control lets go.

#include "driver/sim_driver.h"

#include <gtest/gtest.h>

#include "host/user_cntrl.h"
#include "platform/fdt/dtm_activex_control.h"

namespace zolin6::driver {
namespace {

struct Delivery {
  toolkit::Millis at;
  std::int32_t reason;
  std::string details;
};

// A control that only registers and records the notifications it gets, with
// the clock time of each.
class RecordingControl : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  explicit RecordingControl(toolkit::Clock& clock) : clock_(clock) {}
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    got.push_back({clock_.now(), reason, details.text().value_or("")});
  }
  std::vector<Delivery> got;

 private:
  toolkit::Clock& clock_;
};

const std::string kNoAttributes = UserCntrl::DocXML(NoneAttributes());

class SimDriverTest : public ::testing::Test {
 protected:
  void Register() {
    bool result = false;
    ASSERT_TRUE(sim->RegisterControl("PrjKOVAR4DTM.UserCntrl", "invoke-1", &control, 0, result));
    ASSERT_TRUE(result);
  }
  void Read(const std::string& code, const std::string& document = kNoAttributes) {
    std::string result = "x";
    ASSERT_TRUE(sim->ReadRequest(code, document, result));
    EXPECT_EQ(result, "");
  }
  void Write(const std::string& code, const Attributes& attributes) {
    std::string result;
    ASSERT_TRUE(sim->WriteRequest(code, UserCntrl::DocXML(attributes), result));
  }
  std::vector<std::int32_t> Reasons() const {
    std::vector<std::int32_t> reasons;
    for (const Delivery& d : control.got) reasons.push_back(d.reason);
    return reasons;
  }

  toolkit::Clock clock;
  RecordingControl control{clock};
  std::shared_ptr<SimDriver> sim = std::make_shared<SimDriver>(clock);
};

TEST_F(SimDriverTest, IsReadyAndComesOnLineShortlyAfterRegistration) {
  bool ready = false;
  EXPECT_TRUE(sim->IsReady(ready));
  EXPECT_TRUE(ready);
  Register();
  EXPECT_TRUE(control.got.empty());
  clock.advance(99);
  EXPECT_TRUE(control.got.empty());
  clock.advance(1);
  ASSERT_EQ(control.got.size(), 1u);
  EXPECT_EQ(control.got[0].reason, 0);
  EXPECT_EQ(control.got[0].details, "<DTMInfo state='Online' />");
}

TEST_F(SimDriverTest, AnswersOneTransactionAtATimeInTheOrderSent) {
  Register();
  clock.advance(1000);
  control.got.clear();
  Read("9");
  Write("5", NoneAttributes());  // a write with nothing in it
  Read("16");
  EXPECT_EQ(sim->pendingTransactions(), 3);
  EXPECT_EQ(clock.nextDue(), 1300);
  clock.advance(2000);
  ASSERT_EQ(control.got.size(), 3u);
  EXPECT_EQ(control.got[0].at, 1300);
  EXPECT_EQ(control.got[0].reason, 900);
  EXPECT_EQ(control.got[1].at, 1600);
  EXPECT_EQ(control.got[1].reason, 4000);
  EXPECT_NE(control.got[1].details.find(R"(tag="Response Code 1" value="5")"), std::string::npos);
  EXPECT_EQ(control.got[2].at, 1900);
  EXPECT_EQ(control.got[2].reason, 1600);
  EXPECT_EQ(sim->pendingTransactions(), 0);

  // A request on an idle line waits only for its own transaction.
  sim->SetLatency(50);
  Read("30");
  clock.advance(50);
  EXPECT_EQ(control.got.back().at, 3050);
  EXPECT_EQ(control.got.back().reason, 3000);
}

TEST_F(SimDriverTest, UnknownReadCodesGetNoAnswerAndUnknownWritesAreNotImplemented) {
  Register();
  clock.advance(1000);
  control.got.clear();
  Read("34");
  Read("abc");
  Write("25", NoneAttributes());
  clock.advance(1000);
  EXPECT_EQ(Reasons(), std::vector<std::int32_t>{4000});
  EXPECT_NE(control.got[0].details.find(R"(value="64")"), std::string::npos);
}

TEST_F(SimDriverTest, OffLineDeviceAnswersWithItsState) {
  Register();
  clock.advance(1000);
  control.got.clear();
  sim->SetOnline(false);
  Read("1");
  clock.advance(0);
  ASSERT_EQ(control.got.size(), 1u);
  EXPECT_EQ(control.got[0].details, "<DTMInfo state='Offline' />");
  clock.advance(300);
  ASSERT_EQ(control.got.size(), 2u);
  EXPECT_EQ(control.got[1].reason, 0);
  EXPECT_EQ(control.got[1].details, "<DTMInfo state='Offline' />");
  sim->SetOnline(true);
  Read("1");
  clock.advance(300);
  EXPECT_EQ(Reasons(), (std::vector<std::int32_t>{0, 0, 0, 100}));
  EXPECT_EQ(control.got[2].details, "<DTMInfo state='Online' />");
}

TEST_F(SimDriverTest, NothingReachesAControlThatUnregistered) {
  Register();
  Read("1");
  bool result = false;
  EXPECT_TRUE(sim->UnregisterControl("invoke-1", true, result));
  clock.advance(1000);
  EXPECT_TRUE(control.got.empty());
  Register();
  Read("2");
  EXPECT_TRUE(sim->CloseSession("invoke-1"));
  clock.advance(1000);
  EXPECT_TRUE(control.got.empty());
}

TEST_F(SimDriverTest, AnswersOfAReleasedDriverGoNowhere) {
  Register();
  Read("1");
  sim.reset();
  clock.advance(1000);
  EXPECT_TRUE(control.got.empty());
}

TEST_F(SimDriverTest, WritesAreRefusedAsBusyWhileTheDeviceRestarts) {
  Register();
  clock.advance(1000);
  control.got.clear();
  Attributes display = NoneAttributes();
  for (int i = 0; i < 6; ++i) display[i] = "05";
  Write("9", NoneAttributes());  // reset, answered at 1300
  Write("5", display);           // 1600: restarting
  clock.advance(3000);
  Write("5", display);  // 4300: back
  clock.advance(1000);
  ASSERT_EQ(control.got.size(), 3u);
  EXPECT_NE(control.got[0].details.find(R"(tag="Response Code 1" value="0")"), std::string::npos);
  EXPECT_NE(control.got[1].details.find(R"(tag="Response Code 1" value="32")"), std::string::npos);
  EXPECT_NE(control.got[2].details.find(R"(tag="Response Code 1" value="0")"), std::string::npos);
  EXPECT_EQ(sim->transmitter().state().displays[0], 5);
}

TEST_F(SimDriverTest, DeviceStateSurvivesARestartThroughItsFile) {
  const std::string path = ::testing::TempDir() + "zolin6_sim_state.json";
  Attributes range = NoneAttributes();
  range[0] = "02";
  range[1] = "21";        // °F
  range[2] = "44FA0000";  // 2000
  range[3] = "42000000";  // 32
  Register();
  Write("6", range);
  clock.advance(1000);
  ASSERT_TRUE(sim->SaveState(path).ok());

  toolkit::Clock otherClock;
  auto restarted = std::make_shared<SimDriver>(otherClock);
  ASSERT_TRUE(restarted->LoadState(path).ok());
  const SensorChannel& channel = restarted->transmitter().state().channels[2];
  EXPECT_EQ(channel.unit, 33);
  EXPECT_EQ(channel.upperRangeValue, 2000.0F);
  EXPECT_EQ(channel.lowerRangeValue, 32.0F);
  EXPECT_TRUE(restarted->transmitter().state().coldStart);

  EXPECT_FALSE(restarted->LoadState(path + ".missing").ok());
  EXPECT_FALSE(restarted->SaveState("/nonexistent-folder/state.json").ok());
}

}  // namespace
}  // namespace zolin6::driver
