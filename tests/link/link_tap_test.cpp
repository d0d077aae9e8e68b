// The tap is invisible to the control and the driver: the same requests and
// notifications pass, and listeners see each one once, in order.

#include <gtest/gtest.h>

#include "device/burst_rules.h"
#include "fakes/control_harness.h"
#include "link/link_tap.h"
#include "transport/simulated_device.h"

namespace zolin6::link {
namespace {

// Writes down what it sees, one line per event.
class Transcript : public LinkListener {
 public:
  void OnRequest(RequestKind kind, const std::string& code, const std::string&) override {
    lines.push_back((kind == RequestKind::Read ? "read " : "write ") + code);
  }
  void OnNotification(const Notification& notification) override {
    lines.push_back("notify " + std::to_string(notification.reason) + " " +
                    std::to_string(notification.parameters.size()));
  }
  void OnSessionEnd() override { lines.push_back("end"); }
  void OnPublished(const Published& frame) override { published.push_back(frame); }
  std::vector<std::string> lines;
  std::vector<Published> published;
};

TEST(LinkTap, PassesEverythingAndShowsItToListeners) {
  fakes::ControlHarness h;
  auto sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  auto tap = LinkTap::Wrap(sim);
  Transcript transcript;
  tap->AddListener(&transcript);
  h.control->Init("invoke-1", "", tap);
  h.clock.advance(2000);
  // The on-line state, the read it repeats, the first read, and their
  // answers with nine parameters each.
  EXPECT_EQ(transcript.lines,
            (std::vector<std::string>{"notify 0 0", "read 1", "notify 100 9", "read 1", "notify 100 9"}));
  EXPECT_EQ(h.state().sConnState, "Connected");
  EXPECT_FALSE(h.text("txtParameter", 0).empty());  // the control filled its page

  h.control->PrepareToRelease();
  EXPECT_EQ(transcript.lines.back(), "end");
  EXPECT_FALSE(sim->registered());
}

// A bursting device's frames reach the listeners, decoded, with the moment
// each was heard; none once the control is gone.
TEST(LinkTap, ShowsPublishedValuesWhileTheControlIsRegistered) {
  fakes::ControlHarness h;
  auto sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  auto tap = LinkTap::Wrap(sim);
  Transcript transcript;
  tap->AddListener(&transcript);
  constexpr std::uint32_t kHalfSecond = 500 * device::kBurstTicksPerMs;
  sim->transmitter().mutableState().bursts[0] = {1, 9, {2, 12, 250, 250, 250, 250, 250, 250}, kHalfSecond, kHalfSecond};
  h.control->Init("invoke-1", "", tap);
  sim->link().WakeBursts();
  h.clock.advance(5000);
  ASSERT_GE(transcript.published.size(), 8U);
  for (std::size_t i = 0; i < transcript.published.size(); ++i) {
    const Published& frame = transcript.published[i];
    EXPECT_EQ(frame.command, 9);
    ASSERT_EQ(frame.values.size(), 2U);
    EXPECT_EQ(frame.values[0].variable, 2);
    EXPECT_EQ(frame.values[1].variable, 12);
    EXPECT_EQ(frame.values[0].units, 32);  // °C
    if (i > 0) {
      EXPECT_GT(frame.at, transcript.published[i - 1].at);
    }
  }
  EXPECT_LE(transcript.published.back().at, h.clock.now());

  h.control->PrepareToRelease();
  const std::size_t heard = transcript.published.size();
  h.clock.advance(5000);
  EXPECT_EQ(transcript.published.size(), heard);
  tap->RemoveListener(&transcript);
}

// A driver object that offers no framework interfaces stays one behind the tap.
TEST(LinkTap, ADriverWithoutInterfacesStaysWithout) {
  class Bare : public framelink::DtmObject {
   public:
    std::shared_ptr<framelink::IFrameLinkSession> session() override { return nullptr; }
    std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return nullptr; }
  };
  auto tap = LinkTap::Wrap(std::make_shared<Bare>());
  EXPECT_EQ(tap->session(), nullptr);
  EXPECT_EQ(tap->channel(), nullptr);
}

TEST(RequestDocument, GivesTheAttributesWithNoneAsEmpty) {
  const std::string document =
      UserCntrl::DocXML({"01",   "20",   "43160000", "None", "None", "None", "None", "None", "None", "None", "None",
                         "None", "None", "None",     "None", "None", "None", "None", "None", "None", "None", "a&b"});
  const std::vector<std::string> attributes = RequestAttributes(document);
  ASSERT_EQ(attributes.size(), 22U);
  EXPECT_EQ(attributes[0], "01");
  EXPECT_EQ(attributes[2], "43160000");
  EXPECT_EQ(attributes[3], "");
  EXPECT_EQ(attributes[21], "a&b");
  EXPECT_EQ(RequestAttributes("not xml"), std::vector<std::string>(22));
}

}  // namespace
}  // namespace zolin6::link
