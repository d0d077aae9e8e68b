// The I/O system's commands against hand-written bytes: each field where
// it belongs, a message one byte short refused, and command 77's carried
// frames made whole again with their check byte, for short and long
// addresses.

#include "hart/sub_device.h"

#include <gtest/gtest.h>

#include "hart/command_codec.h"
#include "hex.h"

namespace zolin6::hart {
namespace {

using testing::Hex;

ByteView Short(const Bytes& bytes) { return ByteView(bytes).first(bytes.size() - 1); }

TEST(SubDeviceCommands, CapabilitiesFieldsAndLength) {
  const Bytes data = Hex("02 10 01 00 15 03 01 02");
  const Result<IoSystemCapabilities> read = DecodeIoSystemCapabilities(data);
  ASSERT_TRUE(read.ok()) << read.error().message;
  EXPECT_EQ(*read, (IoSystemCapabilities{2, 16, 1, 21, 3, 1, 2}));
  EXPECT_EQ(EncodeIoSystemCapabilities(*read), data);
  const Result<IoSystemCapabilities> cut = DecodeIoSystemCapabilities(Short(data));
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error().message, "command 74: reply field 'retry count' needs 1 bytes at offset 7, 0 left");
}

TEST(SubDeviceCommands, IdentityFieldsAndLength) {
  const Bytes data =
      Hex("00 03 01 02 60 11 E3 01 00 04 D2 07"
          "54 54 2D 30 30 33 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          "01 01 60 11");
  ASSERT_EQ(data.size(), 48U);
  const Result<SubDeviceIdentity> read = DecodeSubDeviceIdentity(data);
  ASSERT_TRUE(read.ok()) << read.error().message;
  EXPECT_EQ(read->index, 3);
  EXPECT_EQ(read->route, (SubDeviceRoute{1, 2}));
  EXPECT_EQ(read->manufacturer, 0x6011);
  EXPECT_EQ(read->expandedDeviceType, 0xE301);
  EXPECT_EQ(read->deviceId, 0x0004D2U);
  EXPECT_EQ(read->universalRevision, 7);
  EXPECT_EQ(read->longTag, "TT-003");
  EXPECT_EQ(read->deviceRevision, 1);
  EXPECT_EQ(read->deviceProfile, 1);
  EXPECT_EQ(read->privateLabel, 0x6011);
  EXPECT_TRUE(read->address().sameDevice(Address::Unique({0x23, 0x01, 0x00, 0x04, 0xD2})));
  EXPECT_EQ(EncodeSubDeviceIdentity(*read).value(), data);
  EXPECT_FALSE(DecodeSubDeviceIdentity(Short(data)).ok());

  EXPECT_EQ(EncodeSubDeviceIndex(0x0102), Hex("01 02"));
  EXPECT_EQ(DecodeSubDeviceIndex(Hex("01 02")).value(), 0x0102);
  EXPECT_FALSE(DecodeSubDeviceIndex(Hex("01")).ok());
}

// Command 75 answers with the sub-device's command 0 reply (a captured
// HART 7 one here).
TEST(SubDeviceCommands, PollReplyIsCommandZero) {
  const Bytes data = Hex("FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41");
  const Result<Record> read = ParseReply(kPollSubDevice, ReplyStatus{}, data);
  ASSERT_TRUE(read.ok()) << read.error().message;
  EXPECT_EQ(read->number("device id").value(), 0x95266FU);
  EXPECT_EQ(BuildRequest(kPollSubDevice, {{"card", 1U}, {"channel", 2U}, {"polling address", 0U}}).value(),
            Hex("01 02 00"));
}

struct Carried {
  const char* data;   // command 77's data field
  const char* whole;  // the carried frame with its check byte; empty: refused
};

TEST(SubDeviceCommands, RequestFrameIsMadeWholeOrRefused) {
  const std::vector<Carried> cases = {
      {"00 03 05 02 80 00 00", "02 80 00 00 82"},                                      // short address, command 0
      {"01 0F 05 82 B9 FD 95 26 6F 01 00", "82 B9 FD 95 26 6F 01 00 1B"},              // long address, command 1
      {"01 0F 05 82 B9 FD 95 26 6F 1F 02 02 15", "82 B9 FD 95 26 6F 1F 02 02 15 10"},  // 533 through 31
      {"01 0F 05 82 B9 FD 95 26 6F 01 01", ""},                                        // byte count one past the end
      {"01 0F 05 82 B9 FD 95 26 6F 01 00 00", ""},                                     // one byte more than counted
      {"01 0F 05 82 B9 FD 95 26 6F 01", ""},                                           // ends in the header
      {"01 0F 05 06 80 00 02 00 00", ""},  // a reply is not carried to a device
      {"01 0F 05", ""},                    // no frame
      {"01 0F", ""},                       // no preamble count
  };
  for (const Carried& c : cases) {
    const Result<SubDeviceRequest> read = DecodeSubDeviceRequest(Hex(c.data));
    ASSERT_EQ(read.ok(), *c.whole != '\0') << c.data;
    if (!read.ok()) continue;
    EXPECT_EQ(read->frame, Hex(c.whole)) << c.data;
    EXPECT_EQ(read->route.card, Hex(c.data)[0]);
    EXPECT_EQ(read->preambles, 5);
    const DecodeResult frame = DecodeFrame(read->frame);
    ASSERT_TRUE(frame) << c.data;
    EXPECT_EQ(EncodeSubDeviceRequest(read->route, read->preambles, frame.frame).value(), Hex(c.data));
  }
}

TEST(SubDeviceCommands, ReplyFrameIsMadeWholeOrRefused) {
  const std::vector<Carried> cases = {
      {"00 03 06 80 00 02 00 00", "06 80 00 02 00 00 84"},
      {"01 0F 86 B9 FD 95 26 6F 01 07 00 00 20 41 A0 00 00", "86 B9 FD 95 26 6F 01 07 00 00 20 41 A0 00 00 D9"},
      {"01 0F 86 B9 FD 95 26 6F 01 07 00 00 20 41 A0 00", ""},  // one byte short
      {"01 0F 06 80 00 01 00", ""},                             // a reply without its device status
      {"01", ""},
  };
  for (const Carried& c : cases) {
    const Result<SubDeviceReply> read = DecodeSubDeviceReply(Hex(c.data));
    ASSERT_EQ(read.ok(), *c.whole != '\0') << c.data;
    if (!read.ok()) continue;
    EXPECT_EQ(read->frame, Hex(c.whole)) << c.data;
    EXPECT_EQ(EncodeSubDeviceReply(read->route, read->frame).value(), Hex(c.data));
  }
}

// A long frame's 8 header bytes and 244 data bytes fill 77's data field
// after its three bytes; one more does not fit.
TEST(SubDeviceCommands, LongestCarriedRequest) {
  Frame frame;
  frame.address = Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x6F});
  frame.command = 130;
  const Bytes fits(244, 0x11);
  frame.data = fits;
  EXPECT_EQ(EncodeSubDeviceRequest({1, 1}, 5, frame).value().size(), 255U);
  const Bytes tooMany(245, 0x11);
  frame.data = tooMany;
  EXPECT_FALSE(EncodeSubDeviceRequest({1, 1}, 5, frame).ok());
}

}  // namespace
}  // namespace zolin6::hart
