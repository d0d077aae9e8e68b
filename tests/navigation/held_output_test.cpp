// Every way a procedure page holds a channel's output, for every channel,
// and both ways out of it (Back, a node of the tree): the output the page
// holds is released, and no other. A page name built one way and parsed
// another would leave an output forced here.

#include "fakes/control_harness.h"
#include "platform/channels.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;

enum class Hold { kTrim4mA, kTrim20mA, kLoopTest };
enum class Exit { kBack, kTree };

void HoldOutput(ControlHarness& h, int channel, Hold hold) {
  if (hold == Hold::kLoopTest) {
    h.Click("cmdLoopTest");
    h.ClickTab("SSTabLoopTest", channel - 1);
    h.form().select(h.get<toolkit::OptionButton>("Op12mA", channel - 1));
    h.Click("cmdWriteParameter");
    return;
  }
  h.Click("cmdCurrentTrim");
  h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
  h.Click(hold == Hold::kTrim4mA ? "cmd4mA" : "cmd20mA");
}

// Channel 1 has a write code of its own; the others go by channel code.
std::string Release(int channel) {
  if (channel == 1) return "write 12 00000000,00";
  return "write 22 0" + std::to_string(channel - 1) + ",00000000";
}

class HeldOutput : public ConnectedControl, public ::testing::WithParamInterface<std::tuple<int, Hold, Exit>> {};

TEST_P(HeldOutput, LeavingThePageReleasesTheChannelItHolds) {
  const auto [channel, hold, exit] = GetParam();
  HoldOutput(h, channel, hold);
  ASSERT_TRUE(h.state().bFixedCurrent);
  h.driver->requests.clear();

  if (exit == Exit::kBack) {
    h.Click("cmdBack");
  } else {
    h.ClickTree("Observe");
  }
  // A node of the tree sends its own read first.
  const Lines sent = h.sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), Release(channel));
  EXPECT_FALSE(h.state().bFixedCurrent);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, HeldOutput,
                         ::testing::Combine(::testing::Range(1, kChannels + 1),
                                            ::testing::Values(Hold::kTrim4mA, Hold::kTrim20mA, Hold::kLoopTest),
                                            ::testing::Values(Exit::kBack, Exit::kTree)));

}  // namespace
}  // namespace zolin6::fakes
