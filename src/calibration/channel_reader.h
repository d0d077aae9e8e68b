#pragma once
// What a calibration reads from the transmitter, through the framework link
// like every other client: the device's identity, a channel's range and
// unit, and at a test point the channel's reading and its output's loop
// current. Works with any driver behind the link; the window and the
// command line share it.

#include "calibration/calibration.h"
#include "configuration/link_client.h"
#include "platform/result.h"

namespace zolin6::calibration {

inline constexpr int kChannels = 6;

// The record's device identity, channel and range, filled from the device.
struct ChannelSetup {
  DeviceIdentity device;
  ChannelRange range;
};

// The channel's reading and its output's loop current, now.
struct Measurement {
  double pv = 0;
  double current = 0;  // mA, as read back from the output stage
};

class ChannelReader {
 public:
  ChannelReader(configuration::LinkClient& link, int channel);

  Result<ChannelSetup> ReadSetup();
  Result<Measurement> Measure();
  int channel() const { return channel_; }

 private:
  Result<double> ReadNumber(int readCode, const std::string& tag);

  configuration::LinkClient& link_;
  int channel_;
};

// One test of the channel: at each reference reading, in the order given,
// the device is measured; `percents` name the points (as many as the
// readings). The headless form of a test: the readings come in all at once.
Result<std::vector<TestPoint>> RunTest(ChannelReader& reader, const std::vector<double>& percents,
                                       const std::vector<double>& references);

}  // namespace zolin6::calibration
