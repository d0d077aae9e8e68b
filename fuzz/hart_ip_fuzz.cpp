// The HART-IP message decoder and the TCP stream assembler with any bytes a
// socket could deliver.
//
// Properties: a datagram the decoder accepts encodes back to exactly its
// bytes; the assembler, fed the input in two reads, finds the same messages
// as the decoder finds walking the input by byte counts, and once it
// reports an error it reports nothing else.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_check.h"
#include "hart/hart_ip.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);
  CheckDecoder(input);
  CheckAssembler(input);
  return 0;
}
