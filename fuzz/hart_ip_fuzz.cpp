// The HART-IP message decoder, the TCP stream assembler and the client's
// session with any bytes a socket could deliver.
//
// Properties: a datagram the decoder accepts encodes back to exactly its
// bytes; the assembler, fed the input in two reads, finds the same messages
// as the decoder finds walking the input by byte counts, and once it
// reports an error it reports nothing else. A session fed the messages
// hands the master only pass-through answers with a success status, and is
// never left open with nothing scheduled nor closed with a wake-up set.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_check.h"
#include "hart/hart_ip.h"
#include "hart/hart_ip_session.h"

namespace {

using namespace zolin6::hart;
using namespace zolin6::hart::ip;

void CheckDecoder(ByteView input) {
  const DecodedMessage decoded = DecodeMessage(input);
  if (!decoded) return;
  const Bytes again = EncodeMessage(decoded.message);
  ZOLIN6_FUZZ_CHECK(std::equal(again.begin(), again.end(), input.begin(), input.end()));
}

void CheckAssembler(ByteView input) {
  StreamAssembler stream;
  const std::size_t half = input.size() / 2;
  std::size_t offset = 0;
  for (const ByteView part : {input.first(half), input.subspan(half)}) {
    stream.feed(part);
    std::optional<DecodedMessage> next;
    while (!stream.failed() && (next = stream.next()) && *next) {
      const std::size_t size = next->message.header.byteCount;
      ZOLIN6_FUZZ_CHECK(offset + size <= input.size());
      ZOLIN6_FUZZ_CHECK(DecodeMessage(input.subspan(offset, size)));
      offset += size;
    }
  }
  if (stream.failed()) {
    const std::optional<DecodedMessage> after = stream.next();
    ZOLIN6_FUZZ_CHECK(after && !*after);
  }
}

void CheckSessionState(const ClientSession& session) {
  if (session.state() == SessionState::Closed) {
    ZOLIN6_FUZZ_CHECK(!session.wakeAt());
  } else {
    ZOLIN6_FUZZ_CHECK(session.wakeAt().has_value());
  }
}

void CheckSession(ByteView input, Framing framing) {
  const Bytes frame{0x02, 0x80, 0x00, 0x00, 0x82};
  ClientSession session(framing);
  Millis now{0};
  const DecodedMessage initiate = DecodeMessage(session.open(now).transmit);
  ZOLIN6_FUZZ_CHECK(initiate);
  (void)session.receive(MakeMessage(MessageType::Response, MessageId::SessionInitiate, initiate.message.header.sequence,
                                    EncodeSessionInitiate({1, 60000})),
                        now);
  StreamAssembler stream;
  stream.feed(input);
  std::optional<DecodedMessage> next;
  while ((next = stream.next()) && *next) {
    const Header& header = next->message.header;
    now += Millis{header.byteCount};
    if ((header.sequence & 1) != 0) (void)session.submit(frame, now);
    const SessionStep step = session.receive(next->message, now);
    if (step.reply) {
      ZOLIN6_FUZZ_CHECK(header.type == MessageType::Response && header.id == MessageId::PassThrough &&
                        IsSuccess(header.status));
    }
    CheckSessionState(session);
    (void)session.poll(now + Millis{header.sequence});
    CheckSessionState(session);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);
  CheckDecoder(input);
  CheckAssembler(input);
  CheckSession(input, Framing::Stream);
  CheckSession(input, Framing::Datagram);
  return 0;
}
