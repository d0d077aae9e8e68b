// The frame codec on frames seen from real devices and gateways, on every
// delimiter and address form, and on a list of malformed frames each with
// the exact status and offset the decoder must report.

#include "hart/frame.h"

#include <gtest/gtest.h>

#include "hex.h"

namespace zolin6::hart {
namespace {

using testing::Hex;
using testing::ToHex;

struct WellFormed {
  const char* what;
  const char* frame;  // from the delimiter to the check byte
  FrameType type;
  bool isLong;
  bool primaryMaster;
  bool burstMode;
  const char* address;  // polling address, or the five unique bytes with the master and burst bits off
  std::uint16_t command;
  std::uint8_t responseCode;
  std::uint8_t deviceStatus;
  const char* data;
};

const WellFormed kWellFormed[] = {
    // Requests
    {"short command 0", "02 80 00 00 82", FrameType::Request, false, true, false, "00", 0, 0, 0, ""},
    {"long request from a secondary master", "82 26 4E 00 00 D2 00 00 38", FrameType::Request, true, false, false,
     "26 4E 00 00 D2", 0, 0, 0, ""},
    {"expanded command 533 in command 31", "82 B9 FD 95 26 6F 1F 09 02 15 00 00 00 00 00 00 01 1A", FrameType::Request,
     true, true, false, "39 FD 95 26 6F", 533, 0, 0, "00 00 00 00 00 00 01"},
    {"one expansion byte", "22 80 11 00 00 B3", FrameType::Request, false, true, false, "00", 0, 0, 0, ""},
    // Replies
    {"HART 5 command 0 reply", "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E", FrameType::Reply, false,
     true, false, "00", 0, 0x00, 0x14, "FE 1A 89 07 05 02 1B 08 01 21 63 3F"},
    {"HART 7 command 0 reply from a bursting device",
     "06 C0 00 18 00 10 FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41 D3", FrameType::Reply, false,
     true, true, "00", 0, 0x00, 0x10, "FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41"},
    {"error reply with only the status bytes", "86 B9 FD 95 26 6F 36 02 05 10 3F", FrameType::Reply, true, true, false,
     "39 FD 95 26 6F", 54, 5, 0x10, ""},
    {"command 31 error reply: status and number only", "86 B9 FD 95 26 6F 1F 04 40 00 02 15 52", FrameType::Reply, true,
     true, false, "39 FD 95 26 6F", 533, 0x40, 0x00, ""},
    {"wrong-address reply over HART-IP", "86 80 00 00 00 00 00 02 84 00 80", FrameType::Reply, true, true, false,
     "00 00 00 00 00", 0, 0x84, 0x00, ""},
    {"bare command 31 refused", "06 81 1F 02 05 00 9F", FrameType::Reply, false, true, false, "01", 31, 5, 0, ""},
    // Bursts
    {"burst command 9", "81 C0 FD 95 26 6F 09 04 00 00 00 00 6D", FrameType::Burst, true, true, true, "00 FD 95 26 6F",
     9, 0, 0, "00 00"},
    {"short burst", "01 C1 03 02 00 00 C1", FrameType::Burst, false, true, true, "01", 3, 0, 0, ""},
};

void PrintTo(const WellFormed& c, std::ostream* out) { *out << c.what; }

class WellFormedFrame : public ::testing::TestWithParam<WellFormed> {};

TEST_P(WellFormedFrame, DecodesAndEncodesBackToTheSameBytes) {
  const WellFormed& c = GetParam();
  const Bytes bytes = Hex(c.frame);
  const DecodeResult decoded = DecodeFrame(bytes);
  ASSERT_TRUE(decoded) << decoded.description() << " at " << decoded.offset;
  const Frame& frame = decoded.frame;
  EXPECT_EQ(frame.type, c.type);
  EXPECT_EQ(frame.address.isLong, c.isLong);
  EXPECT_EQ(frame.address.primaryMaster, c.primaryMaster);
  EXPECT_EQ(frame.address.burstMode, c.burstMode);
  const Bytes address = Hex(c.address);
  EXPECT_EQ(c.isLong ? ToHex(frame.address.unique) : ToHex(ByteView(&frame.address.polling, 1)), ToHex(address));
  EXPECT_EQ(frame.command, c.command);
  EXPECT_EQ(frame.status, (ReplyStatus{c.responseCode, c.deviceStatus}));
  EXPECT_EQ(ToHex(frame.data), ToHex(Hex(c.data)));

  Bytes encoded;
  const Result<std::size_t> size = EncodeFrame(frame, 3, encoded);
  ASSERT_TRUE(size.ok()) << size.error().message;
  EXPECT_EQ(*size, bytes.size());
  EXPECT_EQ(ToHex(encoded), "FF FF FF " + ToHex(bytes));
}

INSTANTIATE_TEST_SUITE_P(Frames, WellFormedFrame, ::testing::ValuesIn(kWellFormed));

struct Malformed {
  const char* what;
  const char* frame;
  FrameStatus status;
  std::size_t offset;
};

const Malformed kMalformed[] = {
    {"empty input", "", FrameStatus::Truncated, 0},
    {"ends inside the long address", "82 80 00", FrameStatus::Truncated, 3},
    {"ends before the byte count", "02 80 00", FrameStatus::Truncated, 3},
    {"byte count past the end", "02 80 00 05 01 02", FrameStatus::ByteCountPastEnd, 3},
    {"check byte missing", "02 80 00 00", FrameStatus::ByteCountPastEnd, 3},
    {"bytes after the check byte", "02 80 00 00 82 FF", FrameStatus::TrailingBytes, 5},
    {"bad check byte", "02 80 00 00 83", FrameStatus::BadCheckByte, 4},
    {"corrupted data byte", "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 62 3F 9E", FrameStatus::BadCheckByte, 18},
    {"preamble as delimiter", "FF 02 80 00 00 82", FrameStatus::UnknownDelimiter, 0},
    {"frame type 3", "03 80 00 00 83", FrameStatus::UnknownDelimiter, 0},
    {"synchronous physical layer", "0A 80 00 00 8A", FrameStatus::UnknownDelimiter, 0},
    {"reply without status bytes", "06 80 00 00 86", FrameStatus::MissingStatusBytes, 3},
    {"reply with one status byte", "06 80 00 01 00 87", FrameStatus::MissingStatusBytes, 3},
    {"burst without status bytes", "01 80 09 00 88", FrameStatus::MissingStatusBytes, 3},
    {"command 31 with one number byte", "02 80 1F 01 02 9E", FrameStatus::MissingExpandedCommand, 3},
    {"command 31 reply with one number byte", "06 80 1F 03 00 00 02 98", FrameStatus::MissingExpandedCommand, 3},
};

void PrintTo(const Malformed& c, std::ostream* out) { *out << c.what; }

class MalformedFrame : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedFrame, ReportsExactlyWhatIsWrongAndWhere) {
  const Malformed& c = GetParam();
  const DecodeResult decoded = DecodeFrame(Hex(c.frame));
  EXPECT_EQ(decoded.status, c.status) << c.what << ": " << decoded.description();
  EXPECT_EQ(decoded.offset, c.offset) << c.what;
  EXPECT_FALSE(decoded);
}

INSTANTIATE_TEST_SUITE_P(Frames, MalformedFrame, ::testing::ValuesIn(kMalformed));

TEST(FrameEncoder, RefusesWhatNoFrameCanCarry) {
  Bytes out;
  Frame polling64;
  polling64.address = Address::Polling(64);
  EXPECT_FALSE(EncodeFrame(polling64, 5, out).ok());

  const Bytes tooLong(254, 0);
  Frame reply;
  reply.type = FrameType::Reply;
  reply.data = tooLong;  // with the two status bytes: 256
  EXPECT_FALSE(EncodeFrame(reply, 5, out).ok());

  Frame expansion;
  expansion.expansionCount = 4;
  EXPECT_FALSE(EncodeFrame(expansion, 5, out).ok());
  EXPECT_TRUE(out.empty());
}

TEST(FrameAddress, MatchesTheDeviceWhateverTheMasterAndBurstBits) {
  Address ours = Address::Unique({0xB9, 0xFD, 0x95, 0x26, 0x6F});
  Address heard = Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x6F});
  heard.primaryMaster = false;
  heard.burstMode = true;
  EXPECT_TRUE(ours.sameDevice(heard));
  EXPECT_FALSE(ours.sameDevice(Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x70})));
  EXPECT_FALSE(Address::Polling(0).sameDevice(Address::Unique({})));
}

}  // namespace
}  // namespace zolin6::hart
