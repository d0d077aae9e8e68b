// The simulated HART device with any bytes a master, a line or a gateway
// could send it.
//
// The input is taken twice: whole, as one HART-IP frame and as the bytes of
// a serial line; then as a run of requests `length, command, data…`, each
// sent in a well-formed long frame to the device half a second after the
// one before, so the commands reach their handlers and each other's state.
//
// Properties: every reply decodes as a reply frame for the request's
// command and from the device; an error reply carries no data; a
// well-formed request to the device is always answered, except 11 and 21
// for another tag and command 31 without its number; the device state stays
// one the device can hold.

#include <algorithm>

#include "device/hart_device.h"
#include "fuzz_check.h"
#include "hart/encoding.h"
#include "hart/frame.h"

namespace {

using namespace zolin6;
using device::HartDevice;

constexpr device::Millis kBetweenRequests = 500;

void CheckReply(const hart::Bytes& reply, std::size_t preambles, const HartDevice& device) {
  if (reply.empty()) return;
  ZOLIN6_FUZZ_CHECK(reply.size() > preambles);
  const hart::DecodeResult decoded = hart::DecodeFrame(hart::ByteView(reply).subspan(preambles));
  ZOLIN6_FUZZ_CHECK(decoded && decoded.frame.type == hart::FrameType::Reply);
  const hart::Frame& frame = decoded.frame;
  ZOLIN6_FUZZ_CHECK(frame.address.isLong ? frame.address.sameDevice(device.uniqueAddress())
                                         : frame.address.polling == device.pollingAddress());
  ZOLIN6_FUZZ_CHECK(!frame.status.isError() || frame.data.empty());
}

void CheckState(const device::DeviceState& state) {
  for (const device::SensorChannel& channel : state.channels) {
    ZOLIN6_FUZZ_CHECK(device::UnitFitsSensor(channel.unit, channel.type));
  }
  ZOLIN6_FUZZ_CHECK(std::ranges::all_of(state.displays, [](int code) { return code >= 0 && code <= 12; }));
  ZOLIN6_FUZZ_CHECK(state.identification.pollingAddress >= 0 && state.identification.pollingAddress <= 63);
  ZOLIN6_FUZZ_CHECK(state.responsePreambles >= 5 && state.responsePreambles <= 20);
}

// 11 and 21 for another tag; command 31, the expansion marker, without its
// two-byte number (the frame does not decode) or carrying 11 or 21.
bool MayStaySilent(std::uint8_t command, hart::ByteView data) {
  const auto byTag = [](std::uint32_t number) { return number == 11 || number == 21; };
  if (command != hart::kExpandedCommand) return byTag(command);
  return data.size() < 2 || byTag(hart::ReadUnsigned(data, 2));
}

void SendRequests(hart::ByteView input, HartDevice& device, const device::SimulatedTransmitter& transmitter) {
  device::Millis now = 0;
  while (input.size() >= 2) {
    const std::size_t length = std::min<std::size_t>(input[0], input.size() - 2);
    const std::uint8_t command = input[1];
    const hart::ByteView data = input.subspan(2, length);
    input = input.subspan(2 + length);
    const hart::Frame request{hart::FrameType::Request, device.uniqueAddress(), 0, {}, command, {}, data};
    hart::Bytes bytes;
    if (!hart::EncodeFrame(request, 0, bytes)) continue;
    now += kBetweenRequests;
    const hart::Bytes reply = device.Receive(bytes, now);
    ZOLIN6_FUZZ_CHECK(!reply.empty() || MayStaySilent(command, data));
    CheckReply(reply, 0, device);
    CheckState(transmitter.state());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const hart::ByteView input(data, size);
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  HartDevice device(transmitter);
  CheckReply(device.Receive(input, 0), 0, device);
  const auto preambles = static_cast<std::size_t>(transmitter.state().responsePreambles);
  CheckReply(device.ReceiveSerial(input, 0), preambles, device);
  SendRequests(input, device, transmitter);
  return 0;
}
