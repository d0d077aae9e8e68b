// The simulated device answering a direct PDU: as its long frames answer,
// one answer per command, and never past a message.

#include "transport/hart_ip_direct_answer.h"

#include <gtest/gtest.h>

#include "device/simulated_transmitter.h"
#include "hart/hart_ip.h"
#include "hart/status.h"

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;

struct Device {
  device::SimulatedTransmitter transmitter{device::kDefaultSeed};
  device::HartDevice hart{transmitter};
};

struct WireReply {
  hart::ReplyStatus status;
  hart::Bytes data;
};

// What the device answers the same command in a long frame on the wire.
WireReply OverTheWire(Device& twin, std::uint16_t command, const hart::Bytes& data, toolkit::Millis now) {
  const hart::Frame request{hart::FrameType::Request, twin.hart.uniqueAddress(), 0, {}, command, {}, data};
  hart::Bytes bytes;
  EXPECT_TRUE(EncodeFrame(request, 0, bytes));
  const hart::Bytes reply = twin.hart.Receive(bytes, now);
  const hart::DecodeResult decoded = hart::DecodeFrame(reply);
  EXPECT_TRUE(decoded) << decoded.description();
  return {decoded.frame.status, hart::Bytes(decoded.frame.data.begin(), decoded.frame.data.end())};
}

ip::DirectPdu Ask(Device& d, const std::vector<ip::DirectCommand>& commands, toolkit::Millis now) {
  const Result<hart::Bytes> body = ip::EncodeDirectRequest({0, 0, commands});
  EXPECT_TRUE(body);
  const Result<hart::Bytes> answer = AnswerDirectPduBody(d.hart, *body, now);
  EXPECT_TRUE(answer) << answer.error().message;
  const Result<ip::DirectPdu> decoded = ip::DecodeDirectResponse(*answer);
  EXPECT_TRUE(decoded) << decoded.error().message;
  return *decoded;
}

TEST(HartIpDirectAnswer, CommandsAnswerAsTheirLongFramesDo) {
  Device direct;
  Device twin;
  const std::vector<ip::DirectCommand> asked = {{0, 0, {}}, {3, 0, {}}, {48, 0, {}}};
  const ip::DirectPdu first = Ask(direct, asked, 1000);
  ASSERT_EQ(first.commands.size(), asked.size());
  WireReply last;
  for (std::size_t i = 0; i < asked.size(); ++i) {
    last = OverTheWire(twin, asked[i].command, {}, 1000);
    EXPECT_EQ(first.commands[i].command, asked[i].command);
    EXPECT_EQ(first.commands[i].responseCode, last.status.first) << asked[i].command;
    EXPECT_EQ(first.commands[i].data, last.data) << asked[i].command;
  }
  // The cold start went with command 0's reply only, and still reaches the client.
  EXPECT_FALSE(last.status.has(hart::device_status::kColdStart));
  EXPECT_EQ(first.deviceStatus, last.status.deviceStatus | hart::device_status::kColdStart);
  EXPECT_EQ(first.extendedStatus, 0);
  // Reported once: the next PDU carries the device status as it is.
  const ip::DirectPdu second = Ask(direct, {{1, 0, {}}}, 2000);
  const WireReply again = OverTheWire(twin, 1, {}, 2000);
  EXPECT_EQ(second.deviceStatus, again.status.deviceStatus);
  EXPECT_EQ(second.commands.at(0).data, again.data);
  EXPECT_EQ(second.deviceStatus & hart::device_status::kColdStart, 0);
}

TEST(HartIpDirectAnswer, EveryCommandGetsItsOwnCode) {
  struct Row {
    const char* what;
    std::uint16_t command;
    hart::Bytes data;
    std::uint8_t code;
    std::size_t replySize;
  };
  const std::vector<Row> rows = {
      {"too few bytes", 17, {1}, hart::response_code::kTooFewDataBytes, 0},
      {"polling address 64", 6, {64}, hart::response_code::kInvalidSelection, 0},
      {"a 16-bit command", 1000, {}, hart::response_code::kCommandNotImplemented, 0},
      {"31 without a number", 31, {}, hart::response_code::kTooFewDataBytes, 0},
      {"another tag: the device is silent", 11, hart::Bytes(6, 0), hart::response_code::kCommandNotImplemented, 0},
      {"after all that, PV", 1, {}, hart::response_code::kSuccess, 5},
  };
  std::vector<ip::DirectCommand> asked;
  for (const Row& row : rows) asked.push_back({row.command, 0, row.data});
  Device d;
  const ip::DirectPdu answer = Ask(d, asked, 1000);
  ASSERT_EQ(answer.commands.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(answer.commands[i].command, rows[i].command) << rows[i].what;
    EXPECT_EQ(answer.commands[i].responseCode, rows[i].code) << rows[i].what;
    EXPECT_EQ(answer.commands[i].data.size(), rows[i].replySize) << rows[i].what;
  }
  EXPECT_EQ(d.transmitter.state().identification.pollingAddress, 0);
  // The expanded command answers as it does through command 31 in a frame.
  Device twin;
  EXPECT_EQ(OverTheWire(twin, 1000, {}, 1000).status.first, hart::response_code::kCommandNotImplemented);
  // A body that does not decode is refused, saying why.
  const Result<hart::Bytes> broken = AnswerDirectPduBody(d.hart, hart::Bytes{0, 0, 0, 1, 2, 0}, 1000);
  ASSERT_FALSE(broken);
  EXPECT_NE(broken.error().message.find("byte count"), std::string::npos);
}

TEST(HartIpDirectAnswer, StopsWhereTheMessageIsFull) {
  // Command 0 answers 3 + 1 + 22 bytes, command 1 3 + 1 + 5: 39 of the
  // former leave 18 bytes of a message's 1034-byte body.
  struct Row {
    const char* what;
    std::vector<std::uint16_t> after39;  // then command 6 to polling address 5
    std::size_t answered;
    std::uint8_t lastCode;
    std::size_t lastSize;
    int pollingAddress;  // 5 when the write was carried out
  };
  const std::vector<Row> rows = {
      {"two PV reads fit exactly; the write is not carried out", {1, 1}, 41, 0, 5, 0},
      {"command 0 cut to the 5 bytes left", {1, 0}, 41, hart::response_code::kResponseTruncated, 5, 0},
      {"the write's 6 bytes fit", {1}, 41, 0, 2, 5},
  };
  for (const Row& row : rows) {
    std::vector<ip::DirectCommand> asked(39, ip::DirectCommand{0, 0, {}});
    for (const std::uint16_t c : row.after39) asked.push_back({c, 0, {}});
    asked.push_back({6, 0, {5, 1}});
    Device d;
    const ip::DirectPdu answer = AnswerDirectPdu(d.hart, {0, 0, asked}, 1000);
    const Result<hart::Bytes> body = ip::EncodeDirectResponse(answer);
    ASSERT_TRUE(body) << row.what;
    EXPECT_LE(body->size(), ip::kMaxMessageSize - ip::kHeaderSize) << row.what;
    ASSERT_EQ(answer.commands.at(0).data.size(), 22U);
    ASSERT_EQ(answer.commands.size(), row.answered) << row.what;
    EXPECT_EQ(answer.commands.back().responseCode, row.lastCode) << row.what;
    EXPECT_EQ(answer.commands.back().data.size(), row.lastSize) << row.what;
    EXPECT_EQ(d.transmitter.state().identification.pollingAddress, row.pollingAddress) << row.what;
  }
}

}  // namespace
}  // namespace zolin6::transport
