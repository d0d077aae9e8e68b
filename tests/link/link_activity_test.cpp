// What the desktop learns from the traffic: the requests still waiting and
// the current each output was told to hold.

#include <gtest/gtest.h>

#include "host/user_cntrl.h"
#include "link/link_activity.h"

namespace zolin6::link {
namespace {

struct HeldCase {
  std::string code;
  std::vector<std::string> attributes;
  int channel;
  double milliamps;
};

class HeldCurrentTest : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldCurrentTest, TheWriteNamesChannelAndCurrent) {
  toolkit::Clock clock;
  LinkActivity activity(clock);
  Attributes attributes = NoneAttributes();
  for (std::size_t i = 0; i < GetParam().attributes.size(); ++i) attributes[i] = GetParam().attributes[i];
  activity.OnRequest(RequestKind::Write, GetParam().code, UserCntrl::DocXML(attributes));
  ASSERT_TRUE(activity.heldCurrent(GetParam().channel));
  EXPECT_DOUBLE_EQ(*activity.heldCurrent(GetParam().channel), GetParam().milliamps);
}

INSTANTIATE_TEST_SUITE_P(Writes, HeldCurrentTest,
                         ::testing::Values(HeldCase{"11", {"41400000"}, 1, 12.0},        // loop test, channel 1
                                           HeldCase{"12", {"40800000", "01"}, 1, 4.0},   // trim, channel 1
                                           HeldCase{"22", {"02", "41A00000"}, 3, 20.0},  // channel 3
                                           HeldCase{"22", {"05", "41000000"}, 6, 8.0}));

TEST(LinkActivityTest, CountsWhatWaitsAndForgetsItWhenTheDeviceGoesOffLine) {
  toolkit::Clock clock;
  LinkActivity activity(clock);
  clock.advance(500);
  activity.OnRequest(RequestKind::Read, "24", "");
  clock.advance(100);
  activity.OnRequest(RequestKind::Read, "25", "");
  EXPECT_EQ(activity.pending(), 2);
  EXPECT_EQ(activity.pendingSince(), 500);
  activity.OnNotification(ParseNotification(2400, "<Parameters/>"));
  EXPECT_EQ(activity.pending(), 1);
  EXPECT_EQ(activity.lastAnswer(2400), 600);
  clock.advance(100);
  activity.OnNotification(ParseNotification(0, "<DTMInfo state='Online' />"));
  EXPECT_EQ(activity.lastReadAnswer(), 600);  // a state answers no read
  EXPECT_EQ(activity.pending(), 1);
  activity.OnNotification(ParseNotification(0, "<DTMInfo state='Offline' />"));
  EXPECT_EQ(activity.pending(), 0);
  EXPECT_FALSE(activity.heldCurrent(2));
}

}  // namespace
}  // namespace zolin6::link
