// What the desktop learns from the traffic: the requests still waiting and
// the outputs the device holds, free only once it confirmed their release.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

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

// A line of traffic: "w CODE A1 A2" a write, "a RC" a write's answer, "off"
// the device lost.
void Play(LinkActivity& activity, const std::vector<std::string>& traffic) {
  for (const std::string& line : traffic) {
    std::istringstream words(line);
    std::string kind, first, second, third;
    words >> kind >> first >> second >> third;
    if (kind == "w") {
      Attributes attributes = NoneAttributes();
      if (!second.empty()) attributes[0] = second;
      if (!third.empty()) attributes[1] = third;
      activity.OnRequest(RequestKind::Write, first, UserCntrl::DocXML(attributes));
    } else if (kind == "a") {
      activity.OnNotification(ParseNotification(
          4000, "<ParameterList><Parameter tag=\"Response Code 1\" value=\"" + first + "\"/></ParameterList>"));
    } else {
      activity.OnNotification(ParseNotification(0, "<DTMInfo state='Offline' />"));
    }
  }
}

TEST(HeldOutputs, FreeOnlyOnceTheDeviceConfirmsTheRelease) {
  struct Case {
    const char* what;
    std::vector<std::string> traffic;
    std::map<int, double> held;
  };
  const std::vector<Case> cases = {
      {"held from the asking", {"w 11 41400000"}, {{1, 12.0}}},
      {"released and confirmed", {"w 11 41400000", "a 0", "w 12 00000000 00", "a 0"}, {}},
      {"release refused", {"w 11 41400000", "a 0", "w 12 00000000 00", "a 32"}, {{1, 12.0}}},
      {"release unanswered", {"w 22 02 41A00000", "a 0", "w 22 02 00000000", "off"}, {{3, 20.0}}},
      {"another write's answer first",
       {"w 11 41400000", "w 22 02 41A00000", "w 12 00000000 00", "a 0", "a 0"},
       {{1, 12.0}, {3, 20.0}}},
      {"a reset lets every output go", {"w 11 41400000", "w 22 05 41000000", "w 9", "a 0", "a 0", "a 0"}, {}},
      {"a refused reset does not", {"w 22 05 41000000", "a 0", "w 9", "a 32"}, {{6, 8.0}}},
  };
  for (const Case& c : cases) {
    toolkit::Clock clock;
    LinkActivity activity(clock);
    Play(activity, c.traffic);
    EXPECT_EQ(activity.heldOutputs(), c.held) << c.what;
  }
}

}  // namespace
}  // namespace zolin6::link
