// Creation, binding, the first read, release and destruction. What a new
// control shows and its registration are pinned by the first-read example.

#include <gtest/gtest.h>

#include "fakes/control_harness.h"

namespace zolin6 {
namespace {

using fakes::ControlHarness;

class BareDriver : public framelink::DtmObject {
 public:
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return nullptr; }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return nullptr; }
};

TEST(Lifecycle, InitFailsWithoutAReadyDriverAndStaysUnbound) {
  ControlHarness notReady;
  notReady.driver->ready = false;
  EXPECT_FALSE(notReady.control->Init("id", "", notReady.driver));
  EXPECT_FALSE(notReady.control->bound());
  EXPECT_EQ(notReady.driver->sessionCalls, std::vector<std::string>{"IsReady"});

  ControlHarness bare;
  EXPECT_FALSE(bare.control->Init("id", "", std::make_shared<BareDriver>()));
  EXPECT_FALSE(bare.control->Init("id", "", nullptr));
}

TEST(Lifecycle, FirstReadGoesOutOnceAt1200ms) {
  ControlHarness h;
  h.control->Init("id", "", h.driver);
  h.clock.advance(1199);
  EXPECT_TRUE(h.driver->requests.empty());
  h.clock.advance(1);
  // Its request, status text and timer are in the first-read example.
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_TRUE(h.get<toolkit::CommandButton>("cmdWriteParameter").enabled());
  h.clock.advance(10000);
  EXPECT_EQ(h.driver->requests.size(), 1u);
}

TEST(Lifecycle, FirstReadWithoutADriverIsRepeatedWhenTheDeviceComesOnLine) {
  ControlHarness h;
  h.clock.advance(1200);  // no Init yet: the read cannot go out
  EXPECT_TRUE(h.state().bFirstRead);
  EXPECT_FALSE(h.get<toolkit::CommandButton>("cmdWriteParameter").enabled());
  h.control->Init("id", "", h.driver);
  h.Notify(0, fakes::kOnline);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_EQ(h.driver->requests[0].code, "1");
  EXPECT_FALSE(h.state().bFirstRead);
  h.Notify(0, fakes::kOnline);
  EXPECT_EQ(h.driver->requests.size(), 1u);  // at most once per control
}

TEST(Lifecycle, ReleaseUnregistersOnceAndDestructionThenCallsNothing) {
  auto h = std::make_unique<ControlHarness>();
  auto driver = h->driver;
  h->control->Init("id", "", driver);
  driver->sessionCalls.clear();
  EXPECT_TRUE(h->control->PrepareToRelease());
  EXPECT_EQ(driver->sessionCalls, std::vector<std::string>{"UnregisterControl id True"});
  EXPECT_TRUE(h->control->PrepareToRelease());
  h->control.reset();
  EXPECT_EQ(driver->sessionCalls.size(), 1u);
}

TEST(Lifecycle, ReleaseBeforeInitCallsNothingAndDestructionClosesABoundSession) {
  ControlHarness unbound;
  EXPECT_TRUE(unbound.control->PrepareToRelease());
  EXPECT_TRUE(unbound.driver->sessionCalls.empty());

  auto h = std::make_unique<ControlHarness>();
  auto driver = h->driver;
  h->control->Init("id", "", driver);
  h->control.reset();
  EXPECT_EQ(driver->sessionCalls.back(), "CloseSession id");
}

}  // namespace
}  // namespace zolin6
