// The HART stream receiver, the whole-frame decoder and the master's reply
// path with any bytes a line or a gateway could deliver.
//
// Properties: the receiver never reports a request frame to a master; every
// frame it reports encodes back to a frame that decodes to the same thing; a
// whole frame the decoder accepts encodes back to exactly its bytes when it
// is written the way the encoder writes it; the master, on a serial line and
// on HART-IP, ends identification at most once, a command ends unsent only
// when no device was found, and only burst frames are handed over as such.

#include <algorithm>

#include "fuzz_check.h"
#include "hart/frame.h"
#include "hart/master.h"
#include "hart/receiver.h"

namespace {

using namespace zolin6::hart;

bool SameFrame(const Frame& a, const Frame& b) {
  return a.type == b.type && a.address.isLong == b.address.isLong && a.address.sameDevice(b.address) &&
         a.address.primaryMaster == b.address.primaryMaster && a.address.burstMode == b.address.burstMode &&
         a.command == b.command && a.status == b.status &&
         std::equal(a.data.begin(), a.data.end(), b.data.begin(), b.data.end());
}

void CheckReceiver(ByteView input) {
  Receiver receiver(true);
  for (const std::uint8_t byte : input) {
    const ReceiveEvent event = receiver.push(byte);
    if (event.kind != ReceiveKind::Frame) continue;
    ZOLIN6_FUZZ_CHECK(event.frame.type != FrameType::Request);
    Bytes again;
    // 254 and 255 received as one byte grow by command 31's two bytes and
    // may no longer fit; nothing else may fail to encode.
    const bool encoded = EncodeFrame(event.frame, 2, again).ok();
    ZOLIN6_FUZZ_CHECK(encoded || event.frame.command > kLargestOneByteCommand);
    if (!encoded) continue;
    const DecodeResult decoded = DecodeFrame(ByteView(again).subspan(2));
    ZOLIN6_FUZZ_CHECK(decoded && SameFrame(decoded.frame, event.frame));
  }
}

void CheckDecoder(ByteView input) {
  const DecodeResult decoded = DecodeFrame(input);
  if (!decoded) {
    ZOLIN6_FUZZ_CHECK(decoded.offset <= input.size());
    return;
  }
  // Two forms have a shorter twin the encoder prefers: a one-byte number
  // inside command 31, and 254 or 255 sent without it (as some masters do).
  const std::uint8_t commandByte = input[HeaderSize(input[0]) - 2];
  const bool canonical = commandByte == kExpandedCommand ? decoded.frame.command > kLargestOneByteCommand ||
                                                               decoded.frame.command == kExpandedCommand
                                                         : commandByte <= kLargestOneByteCommand;
  Bytes again;
  ZOLIN6_FUZZ_CHECK(EncodeFrame(decoded.frame, 0, again).ok());
  if (canonical) ZOLIN6_FUZZ_CHECK(std::equal(again.begin(), again.end(), input.begin(), input.end()));
}

// One transaction's reply from `input`, over a serial line in two reads and
// over HART-IP as one frame.
void CheckMaster(ByteView input, const LinkTiming& link) {
  MasterSettings settings;
  settings.link = link;
  Master master(settings);
  master.submit(1);
  // Command 0 goes out once the line has been quiet (at once on HART-IP).
  Step step = master.step(Millis{0});
  if (step.transmit.empty()) step = master.step(link.quietTime);
  ZOLIN6_FUZZ_CHECK(!step.transmit.empty());
  const std::size_t half = link.wholeFrames ? input.size() : input.size() / 2;
  int ended = 0;
  for (const ByteView part : {input.first(half), input.subspan(half)}) {
    step = master.step(link.quietTime + Millis{1}, part);
    for (const Completion& done : step.completed) {
      ended += done.command == 0 ? 1 : 0;
      // Only a command that waited behind a failed identification ends unsent.
      ZOLIN6_FUZZ_CHECK(done.attempts >= 1 || done.outcome == Outcome::NoDevice);
    }
    for (const HeardBurst& burst : step.bursts) ZOLIN6_FUZZ_CHECK(burst.frame.type == FrameType::Burst);
  }
  ZOLIN6_FUZZ_CHECK(ended <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);
  CheckReceiver(input);
  CheckDecoder(input);
  CheckMaster(input, kFskTiming);
  CheckMaster(input, kHartIpTiming);
  return 0;
}
