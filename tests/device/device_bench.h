#pragma once
// A simulated transmitter behind its HART device, and a master's side of
// the exchange: requests framed with the HART layer's encoder, replies read
// back with its decoder, on a time the test moves.

#include <gtest/gtest.h>

#include <cstdint>

#include "device/hart_device.h"
#include "hart/frame.h"

namespace zolin6::device::testing {

// What came back for one request: nothing, or the decoded reply.
struct Answered {
  bool replied = false;
  hart::Address address;
  std::uint16_t command = 0;
  hart::ReplyStatus status;
  hart::Bytes data;  // a copy: the reply's bytes are gone after the exchange
};

struct DeviceBench {
  SimulatedTransmitter transmitter{6};
  HartDevice device{transmitter};
  Millis now = 10'000;  // ms

  Answered SendFrame(const hart::Frame& request) {
    hart::Bytes bytes;
    EXPECT_TRUE(hart::EncodeFrame(request, 0, bytes).ok());
    return Decode(device.Receive(bytes, now));
  }

  // `command` in a long frame to the device's own address.
  Answered Send(std::uint16_t command, hart::ByteView data = {}, bool primary = true) {
    hart::Frame request{hart::FrameType::Request, device.uniqueAddress(), 0, {}, command, {}, data};
    request.address.primaryMaster = primary;
    return SendFrame(request);
  }

  static Answered Decode(const hart::Bytes& reply) {
    if (reply.empty()) return {};
    const hart::DecodeResult decoded = hart::DecodeFrame(reply);
    EXPECT_TRUE(decoded) << decoded.description();
    EXPECT_EQ(decoded.frame.type, hart::FrameType::Reply);
    const hart::Frame& f = decoded.frame;
    return {true, f.address, f.command, f.status, hart::Bytes(f.data.begin(), f.data.end())};
  }
};

}  // namespace zolin6::device::testing
