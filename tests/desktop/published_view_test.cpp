// What the window shows of published data: the rate beside the Observe
// page, and publish frames marked apart from replies in the traffic view.

#include <gtest/gtest.h>

#include "desktop/published_rate.h"
#include "desktop/traffic_dock.h"

namespace zolin6::desktop {
namespace {

TEST(PublishedRate, TheFastestStreamStillPublishedIsSaid) {
  PublishedRate rate;
  EXPECT_EQ(rate.text(0), "");
  rate.heard(1000, 9);
  EXPECT_EQ(rate.text(1000), "");  // one frame says no period yet
  rate.heard(1500, 9);
  rate.heard(1000, 3);
  rate.heard(3000, 3);
  EXPECT_EQ(rate.period(3000), 500);
  EXPECT_EQ(rate.text(3000), "published every 0.5 s");
  // Three periods without a frame: command 9 stopped, command 3 goes on.
  EXPECT_EQ(rate.period(1500 + 3 * 500), 500);
  EXPECT_EQ(rate.period(1500 + 3 * 500 + 1), 2000);
  EXPECT_EQ(rate.text(3000 + 3 * 2000 + 1), "");
  // A frame late by its turn on the line is rounded off.
  rate.heard(10000, 1);
  rate.heard(11253, 1);
  EXPECT_EQ(rate.text(11253), "published every 1.25 s");
}

// A command 0 reply of another maker's device (a captured frame), and the
// same frame as a short burst frame (delimiter 0x01, check byte adjusted).
TEST(TrafficView, PublishedFramesAreMarkedApartFromReplies) {
  const hart::Bytes reply{0xFF, 0xFF, 0x06, 0xC0, 0x00, 0x18, 0x00, 0x10, 0xFE, 0xF9, 0xFD,
                          0x00, 0x07, 0x02, 0x32, 0x4E, 0x00, 0x95, 0x26, 0x6F, 0x00, 0x03,
                          0x00, 0x01, 0x01, 0x00, 0xF9, 0x00, 0xF9, 0x41, 0xD3};
  hart::Bytes burst = reply;
  burst[2] = 0x01;
  burst.back() = 0xD4;
  const auto line = [](hart::TraceDirection direction, const hart::Bytes& bytes) {
    return TrafficLine(hart::TraceFrame(direction, hart::Millis{0}, bytes), 0);
  };
  EXPECT_TRUE(line(hart::TraceDirection::Received, burst).contains(" pub rc 0 status 0x10 | FF FF 01 C0"));
  EXPECT_TRUE(line(hart::TraceDirection::Received, reply).contains(" rx  rc 0 status 0x10 | FF FF 06 C0"));
  EXPECT_TRUE(line(hart::TraceDirection::Sent, burst).contains(" tx  "));  // only what the device sent is published
  hart::Bytes broken = burst;
  broken.back() = 0x00;
  EXPECT_FALSE(line(hart::TraceDirection::Received, broken).contains(" pub "));
}

}  // namespace
}  // namespace zolin6::desktop
