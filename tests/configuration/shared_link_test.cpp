// The desktop's download on the control's own link while the control goes on
// observing: each gets the answers to its own requests, and the control
// sees none of the download's.

#include <gtest/gtest.h>

#include "configuration/transfer.h"
#include "fakes/control_harness.h"
#include "link/link_tap.h"
#include "transport/simulated_device.h"

namespace zolin6::configuration {
namespace {

constexpr int kLoopCurrent = 105;  // the observation page's loop current

TEST(SharedLinkTest, ADownloadBesideAPollingControlKeepsTheAnswersApart) {
  fakes::ControlHarness h;
  auto sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  auto tap = link::LinkTap::Wrap(sim);
  h.control->Init("invoke-1", "", tap);
  h.clock.advance(2000);
  h.ClickTree("Observe");  // polls read 24 every 3 s from now on
  h.clock.advance(500);

  LinkClient client(h.clock, AdvanceClock(h.clock));
  Result<bool> connected = client.Connect(tap->Share());
  ASSERT_TRUE(connected) << connected.error().message;
  h.type("txtParameter", kLoopCurrent, "");
  Result<Configuration> device = Upload(client, {});
  ASSERT_TRUE(device) << device.error().message;
  Configuration file = *device;
  file.values["identification.tag"] = std::string("TT-202");
  file.values["channel 2.upper range value"] = 400.0;
  const DownloadResult result = Download(client, file, PlanDownload(*device, file), {});
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.written.size(), 2u);
  EXPECT_EQ(PlanDownload(*device, file).deviceTag(), ValueText(device->values.at("identification.tag")));
  EXPECT_TRUE(client.PrepareToRelease());
  EXPECT_FALSE(client.Read(1, NoAttributes()));  // released: nothing more goes out

  // The control kept its page live throughout and never saw a write answer
  // (it would have shown a box).
  EXPECT_FALSE(h.text("txtParameter", kLoopCurrent).empty());
  EXPECT_TRUE(h.boxes.shown.empty());

  // Without a control there is nothing to borrow.
  h.control->PrepareToRelease();
  LinkClient late(h.clock, AdvanceClock(h.clock));
  EXPECT_FALSE(late.Connect(tap->Share()));
}

}  // namespace
}  // namespace zolin6::configuration
