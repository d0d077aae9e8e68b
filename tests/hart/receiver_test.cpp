// The stream receiver on byte streams as a modem delivers them: noise,
// the echo of our own request, long and short preamble runs, and broken
// frames, each stream with the exact list of what the receiver reports.

#include "hart/receiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex.h"

namespace zolin6::hart {
namespace {

using testing::Hex;

// "frame 6 cmd 0 data 12" or the error's description, one per event.
std::vector<std::string> Outcomes(Receiver& receiver, const char* stream) {
  std::vector<std::string> outcomes;
  for (const std::uint8_t byte : Hex(stream)) {
    const ReceiveEvent event = receiver.push(byte);
    if (event.kind == ReceiveKind::Frame) {
      outcomes.push_back("frame " + std::to_string(static_cast<int>(event.frame.type)) + " cmd " +
                         std::to_string(event.frame.command) + " data " + std::to_string(event.frame.data.size()));
    } else if (event.kind == ReceiveKind::Error) {
      outcomes.push_back(std::string(Describe(event.error)) + (event.request ? " (request)" : ""));
    }
  }
  return outcomes;
}

constexpr const char* kReplyHart5 = "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E";

struct StreamCase {
  const char* what;
  std::string stream;
  std::vector<std::string> outcomes;
};

void PrintTo(const StreamCase& c, std::ostream* out) { *out << c.what; }

class MasterReceiver : public ::testing::TestWithParam<StreamCase> {};

TEST_P(MasterReceiver, ReportsEachFrameOrItsError) {
  Receiver receiver(true);
  EXPECT_EQ(Outcomes(receiver, GetParam().stream.c_str()), GetParam().outcomes) << GetParam().what;
}

const std::string kReply = std::string("FF FF FF FF ") + kReplyHart5;

INSTANTIATE_TEST_SUITE_P(
    Streams, MasterReceiver,
    ::testing::Values(
        StreamCase{"reply after four preambles", kReply, {"frame 6 cmd 0 data 12"}},
        StreamCase{"two preambles are enough", std::string("FF FF ") + kReplyHart5, {"frame 6 cmd 0 data 12"}},
        StreamCase{"noise and our own echo before the reply",
                   "00 13 FF 7E FF FF FF FF FF 02 80 00 00 82 " + kReply,
                   {"frame 6 cmd 0 data 12"}},
        StreamCase{"a garbled echo is still an echo", "FF FF 02 80 00 00 99 " + kReply, {"frame 6 cmd 0 data 12"}},
        StreamCase{
            "two replies in one read", kReply + " " + kReply, {"frame 6 cmd 0 data 12", "frame 6 cmd 0 data 12"}},
        StreamCase{"single preamble",
                   std::string("00 FF ") + kReplyHart5 + " " + kReply,
                   {"delimiter after a single preamble", "frame 6 cmd 0 data 12"}},
        StreamCase{"unknown delimiter, then a good frame",
                   "FF FF 07 " + kReply,
                   {"unknown delimiter", "frame 6 cmd 0 data 12"}},
        StreamCase{"bad check byte, then a good frame",
                   "FF FF 06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9F " + kReply,
                   {"check byte does not match", "frame 6 cmd 0 data 12"}},
        StreamCase{"reply without status bytes", "FF FF 06 80 00 00 86", {"reply without its two status bytes"}},
        StreamCase{"burst frames are reported", "FF FF 01 C1 03 02 00 00 C1", {"frame 1 cmd 3 data 0"}},
        StreamCase{"a frame cut short reports nothing yet", "FF FF 06 80 00 0E 00 14 FE", {}}));

TEST(Receiver, ReportsRequestsWhenNotAMaster) {
  Receiver device;
  EXPECT_EQ(Outcomes(device, "FF FF FF 02 80 00 00 82"), std::vector<std::string>{"frame 2 cmd 0 data 0"});
}

TEST(Receiver, SaysWhichBrokenFramesWereRequests) {
  Receiver all;
  EXPECT_EQ(Outcomes(all, "FF FF 02 80 00 00 99 FF FF 06 80 00 00 99 FF 82 FF FF 07"),
            (std::vector<std::string>{"check byte does not match (request)", "check byte does not match",
                                      "delimiter after a single preamble (request)", "unknown delimiter"}));
}

TEST(Receiver, ResetDropsAPartFrame) {
  Receiver receiver(true);
  EXPECT_TRUE(Outcomes(receiver, "FF FF 06 80 00 0E 00 14").empty());
  receiver.reset();
  EXPECT_EQ(Outcomes(receiver, kReply.c_str()), std::vector<std::string>{"frame 6 cmd 0 data 12"});
}

TEST(Receiver, CountsWhatItSkipped) {
  Receiver receiver(true);
  (void)Outcomes(receiver, "00 13 7E FF FF 02 80 00 00 82");
  EXPECT_EQ(receiver.skippedBytes(), 3U);
  EXPECT_EQ(receiver.skippedEchoes(), 1U);
}

}  // namespace
}  // namespace zolin6::hart
