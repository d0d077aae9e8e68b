// The direct PDU body: its layout both ways and every body it refuses.

#include "hart/hart_ip_direct.h"

#include <gtest/gtest.h>

#include "hart/hart_ip.h"
#include "hex.h"

namespace zolin6::hart::ip {
namespace {

using testing::Hex;
using testing::ToHex;

TEST(HartIpDirect, LayoutsBothWays) {
  struct Row {
    bool response;
    DirectPdu pdu;
    const char* wire;
  };
  const std::vector<Row> rows = {
      // Commands 0, 3 and expanded 525 with two data bytes.
      {false, {0, 0, {{0, 0, {}}, {3, 0, {}}, {525, 0, {0xAB, 0xCD}}}}, "00 00 0000 00 0003 00 020D 02 ABCD"},
      // Command 1 answered 0 (units 32, 25.0) and 1000 answered 64, no data.
      {true,
       {0x50, 0x01, {{1, 0, {0x20, 0x41, 0xC8, 0x00, 0x00}}, {1000, 64, {}}}},
       "50 01 0001 06 00 2041C80000 03E8 01 40"},
  };
  for (const Row& row : rows) {
    const Result<Bytes> wire = row.response ? EncodeDirectResponse(row.pdu) : EncodeDirectRequest(row.pdu);
    ASSERT_TRUE(wire) << wire.error().message;
    EXPECT_EQ(ToHex(*wire), ToHex(Hex(row.wire)));
    // Encoded against the hex above, so decoding is right when it encodes back the same.
    const Result<DirectPdu> back = row.response ? DecodeDirectResponse(*wire) : DecodeDirectRequest(*wire);
    ASSERT_TRUE(back) << back.error().message;
    const Result<Bytes> again = row.response ? EncodeDirectResponse(*back) : EncodeDirectRequest(*back);
    EXPECT_EQ(ToHex(*again), ToHex(*wire));
  }
}

TEST(HartIpDirect, DecodingRefusesBrokenBodies) {
  struct Row {
    bool response;
    const char* wire;
    const char* says;  // nullptr: decodes
  };
  const std::vector<Row> rows = {
      {false, "", "status bytes"},
      {false, "00", "status bytes"},
      {false, "00 00", "no command"},
      {false, "00 00 00", "command 1 of the direct PDU ends before"},
      {false, "00 00 00 01", "command 1 of the direct PDU ends before"},
      {false, "00 00 0001 00", nullptr},
      {false, "00 00 0001 01 AA", nullptr},
      {false, "00 00 0001 02 AA", "command 1's byte count 2 reaches past"},
      {false, "00 00 0001 00 00 02", "command 2 of the direct PDU ends before"},
      {false, "00 00 0001 00 0002 01", "command 2's byte count 1 reaches past"},
      {true, "00 00 0001 00", "command 1 of the direct PDU response has no response code"},
      {true, "00 00 0001 01 40", nullptr},
      {true, "00 00 0001 02 00", "command 1's byte count 2 reaches past"},
  };
  for (const Row& row : rows) {
    const Bytes wire = Hex(row.wire);
    const Result<DirectPdu> decoded = row.response ? DecodeDirectResponse(wire) : DecodeDirectRequest(wire);
    ASSERT_EQ(decoded.ok(), row.says == nullptr) << row.wire;
    if (row.says != nullptr) {
      EXPECT_NE(decoded.error().message.find(row.says), std::string::npos) << row.wire;
    }
  }
}

TEST(HartIpDirect, EncodingKeepsByteCountsAndTheMessageLimit) {
  const auto pdu = [](std::size_t commands, std::size_t dataSize) {
    return DirectPdu{0, 0, std::vector<DirectCommand>(commands, DirectCommand{9, 0, Bytes(dataSize, 0)})};
  };
  EXPECT_FALSE(EncodeDirectRequest(pdu(0, 0)));
  EXPECT_FALSE(EncodeDirectResponse(pdu(0, 0)));
  // A byte count says 255 at most, and a response's counts its response code.
  EXPECT_TRUE(EncodeDirectRequest(pdu(1, 255)));
  EXPECT_FALSE(EncodeDirectRequest(pdu(1, 256)));
  EXPECT_TRUE(EncodeDirectResponse(pdu(1, 254)));
  EXPECT_FALSE(EncodeDirectResponse(pdu(1, 255)));
  // Four commands of 255 bytes fill a message exactly; one byte more does not fit.
  DirectPdu full = pdu(4, 255);
  const Result<Bytes> body = EncodeDirectRequest(full);
  ASSERT_TRUE(body);
  EXPECT_EQ(body->size() + kHeaderSize, kMaxMessageSize);
  full.commands.push_back({0, 0, {}});
  EXPECT_FALSE(EncodeDirectRequest(full));
}

}  // namespace
}  // namespace zolin6::hart::ip
