// The on-line state learnt from the notifications, and its display.

#include <gtest/gtest.h>

#include "fakes/control_harness.h"

namespace zolin6 {
namespace {

using fakes::ControlHarness;

TEST(ConnectionState, DecidedByTheFirst26CharactersOfAStateElement) {
  struct Case {
    const char* text;
    const char* state;  // sConnState afterwards, starting from "Connected"
  };
  const Case cases[] = {
      {"<DTMInfo state='Online' />", "Connected"},
      {"<DTMInfo state='Online' /> and more", "Connected"},
      {"<DTMInfo state='Offline' />", "Disconnected"},
      {"<DTMInfo state='Online'/>", "Connected"},       // 25 characters: too short to decide
      {"<DTMInfo state='Online'/>  ", "Disconnected"},  // long enough, but not the on-line element
      {"<DTMInfo state='", "Connected"},                // prefix only: changes nothing
      {"<dtminfo state='Offline' />", "Connected"},     // case matters
      {"<Parameters/>", "Connected"},
  };
  for (const Case& c : cases) {
    ControlHarness h;
    h.Notify(0, fakes::kOnline);
    h.Notify(0, c.text);
    EXPECT_EQ(h.state().sConnState, c.state) << c.text;
  }
}

TEST(ConnectionState, EveryNotificationRepaintsPanelOneWithItsIcon) {
  ControlHarness h;
  const auto& bar = h.get<toolkit::StatusBar>("StatusBar");
  h.Notify(100, "<Parameters/>");
  EXPECT_EQ(h.state().sConnState, "");
  EXPECT_EQ(bar.panel(1).text, "Disconnected");
  EXPECT_EQ(bar.panel(1).picture, "no connection.ico");
  h.Notify(0, fakes::kOnline);
  EXPECT_EQ(bar.panel(1).text, "Connected");
  EXPECT_EQ(bar.panel(1).picture, "connected.ico");
}

TEST(ConnectionState, MissingIconKeepsThePreviousPictureButSetsTheText) {
  ControlHarness noIcons;
  noIcons.iconFolder = "/nonexistent";
  noIcons.control = std::make_unique<UserCntrl>(HostServices{noIcons.clock, noIcons.boxes, noIcons.iconFolder});
  noIcons.Notify(0, fakes::kOnline);
  EXPECT_EQ(noIcons.panel(1), "Connected");
  EXPECT_EQ(noIcons.get<toolkit::StatusBar>("StatusBar").panel(1).picture, "");
}

TEST(ConnectionState, FailingFirstReadIsRetriedOnTheNextNotification) {
  ControlHarness h;
  h.control->Init("id", "", h.driver);
  h.driver->failRequests = true;
  h.clock.advance(1200);
  h.Notify(0, fakes::kOnline);
  EXPECT_TRUE(h.state().bFirstRead);
  h.driver->failRequests = false;
  h.Notify(100, "<Parameters/>");
  EXPECT_FALSE(h.state().bFirstRead);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_EQ(h.driver->requests[0].code, "1");
}

}  // namespace
}  // namespace zolin6
