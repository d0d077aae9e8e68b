// The way to a sub-device through command 77, against frames written by
// hand: what goes to the I/O system, and what the master hears back.

#include "driver/sub_device_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hart/hex.h"

namespace zolin6::driver {
namespace {

using hart::testing::Hex;
using hart::testing::ToHex;

// The I/O system's end of the line: what it was sent, and a way to answer.
class FakeInner : public ByteLink {
 public:
  void Send(hart::ByteView bytes, toolkit::Millis /*now*/) override { sent.emplace_back(bytes.begin(), bytes.end()); }
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  void Answer(const std::string& hex) { listener_(Hex(hex), 0); }
  std::vector<hart::Bytes> sent;

 private:
  Listener listener_;
};

struct Carried : ::testing::Test {
  std::shared_ptr<FakeInner> inner = std::make_shared<FakeInner>();
  // The I/O system is 1F01 / 000009; the sub-device 1234 / 0A0B0C on card 0, channel 2.
  SubDeviceLink link{inner, hart::Address::Unique({0x1F, 0x01, 0x00, 0x00, 0x09}), {0, 2}};
  std::vector<std::string> heard;

  void SetUp() override {
    link.Listen([this](hart::ByteView bytes, toolkit::Millis) { heard.push_back(ToHex(bytes)); });
    // Command 1, long-framed to the sub-device, as the master sends it.
    link.Send(Hex("82 92 34 0A 0B 0C 01 00 28"), 0);
  }
};

TEST_F(Carried, TheRequestGoesInCommand77AndTheReplyComesBackUnwrapped) {
  ASSERT_EQ(inner->sent.size(), 1U);
  EXPECT_EQ(ToHex(inner->sent[0]), "82 9F 01 00 00 09 4D 0B 00 02 05 82 92 34 0A 0B 0C 01 00 7C");
  inner->Answer("86 9F 01 00 00 09 4D 13 00 00 00 02 86 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 A7");
  EXPECT_EQ(heard, std::vector<std::string>{"86 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 EA"});
}

// The master then times out and resends as after a lost frame.
TEST_F(Carried, AnErrorGarbledOrMisroutedReplyGivesTheMasterNothing) {
  inner->Answer("86 9F 01 00 00 09 4D 02 02 00 5C");  // invalid selection
  inner->Answer("86 9F 01 00 00 09 4D 13 00 00 00 02 86 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 A6");
  inner->Answer("86 9F 01 00 00 09 4D 13 00 00 00 03 86 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 A6");
  EXPECT_TRUE(heard.empty());
}

// A busy I/O system is a busy device to the master: the same request again, later.
TEST_F(Carried, BusyIsSaidAsTheSubDevicesAndBurstsPassThrough) {
  inner->Answer("86 9F 01 00 00 09 4D 02 20 00 7E");
  inner->Answer("81 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 ED");
  EXPECT_EQ(heard, (std::vector<std::string>{"86 92 34 0A 0B 0C 01 02 20 00 0E",
                                             "81 92 34 0A 0B 0C 01 07 00 00 20 41 A0 00 00 ED"}));
}

}  // namespace
}  // namespace zolin6::driver
