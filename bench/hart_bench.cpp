// Cost of the HART frame layer per frame: encoding a request and decoding
// it back, decoding a command 9 reply of four slots, and the stream receiver
// finding that reply after its preambles. A master on FSK handles a few
// frames a second; these figures say how much a HART-IP gateway or a
// sniffer on a busy network could carry.

#include <benchmark/benchmark.h>

#include "hart/command_codec.h"
#include "hart/frame.h"
#include "hart/frame_trace.h"
#include "hart/hart_ip.h"
#include "hart/receiver.h"

namespace {

using namespace zolin6::hart;

// Command 9 reply with four slots: 37 data bytes after the status bytes.
Bytes CommandNineReply() {
  const Bytes data(37, 0x41);
  Frame reply;
  reply.type = FrameType::Reply;
  reply.address = Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x6F});
  reply.command = 9;
  reply.data = data;
  Bytes bytes;
  (void)EncodeFrame(reply, 5, bytes);
  return bytes;
}

void BM_EncodeAndDecodeRequest(benchmark::State& state) {
  const Bytes data{0x00, 0x01, 0x02, 0x03};
  Frame request;
  request.address = Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x6F});
  request.command = 9;
  request.data = data;
  Bytes bytes;
  bytes.reserve(kMaxFrameSize);
  for (auto _ : state) {
    bytes.clear();
    (void)EncodeFrame(request, 0, bytes);
    const DecodeResult decoded = DecodeFrame(bytes);
    benchmark::DoNotOptimize(decoded.frame.command);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeAndDecodeRequest);

void BM_DecodeCommandNineReply(benchmark::State& state) {
  const Bytes bytes = CommandNineReply();
  const ByteView frame = ByteView(bytes).subspan(5);
  for (auto _ : state) {
    const DecodeResult decoded = DecodeFrame(frame);
    benchmark::DoNotOptimize(decoded.frame.data.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeCommandNineReply);

void BM_ReceiveCommandNineReply(benchmark::State& state) {
  const Bytes bytes = CommandNineReply();
  Receiver receiver(true);
  for (auto _ : state) {
    for (const std::uint8_t byte : bytes) {
      const ReceiveEvent event = receiver.push(byte);
      benchmark::DoNotOptimize(event.kind);
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReceiveCommandNineReply);

// The generic table codec on the same reply: allocation-bound, per value.
void BM_ParseCommandNineRecord(benchmark::State& state) {
  const Bytes bytes = CommandNineReply();
  const DecodeResult decoded = DecodeFrame(ByteView(bytes).subspan(5));
  for (auto _ : state) {
    auto record = ParseReply(9, decoded.frame.status, decoded.frame.data);
    benchmark::DoNotOptimize(record);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseCommandNineRecord);

}  // namespace

// The HART-IP client's and server's work per transaction beside the frame
// itself: the reply frame wrapped in a pass-through message and read back.
void BM_HartIpPassThrough(benchmark::State& state) {
  const Bytes bytes = CommandNineReply();
  const Bytes frame(bytes.begin() + 5, bytes.end());
  for (auto _ : state) {
    const Bytes message =
        ip::EncodeMessage(ip::MakeMessage(ip::MessageType::Response, ip::MessageId::PassThrough, 7, frame));
    const ip::DecodedMessage decoded = ip::DecodeMessage(message);
    benchmark::DoNotOptimize(decoded.message.body.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HartIpPassThrough);

// One line of the traffic view and the trace file: decoded once, printed once.
void BM_TraceLine(benchmark::State& state) {
  const Bytes bytes = CommandNineReply();
  for (auto _ : state) {
    const std::string line = FormatTraceLine(TraceFrame(TraceDirection::Received, Millis{12345}, bytes));
    benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceLine);

BENCHMARK_MAIN();
