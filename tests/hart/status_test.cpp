// The two status bytes: which response codes are errors (no data follows)
// and which ask for the same request again, by the list every command
// shares (the transport notes' error and warning classes).

#include "hart/status.h"

#include <gtest/gtest.h>

#include <set>

namespace zolin6::hart {
namespace {

TEST(ResponseCodes, WarningsAreTheSharedListAndEverythingElseNonZeroIsAnError) {
  const std::set<int> warnings = {8, 14, 24, 25, 26, 27, 30, 31};
  for (int code = 0; code <= 255; ++code) {
    const bool error = code != 0 && code < 96 && warnings.count(code) == 0;
    EXPECT_EQ(IsErrorCode(static_cast<std::uint8_t>(code)), error) << code;
  }
}

TEST(ResponseCodes, BusyAndDelayedResponsesAskForTheSameRequestAgain) {
  for (int code = 0; code <= 127; ++code) {
    const bool again = code == 32 || code == 33 || code == 34 || code == 36;
    EXPECT_EQ((ReplyStatus{static_cast<std::uint8_t>(code), 0}.asksToResend()), again) << code;
  }
  // A communication error says nothing of the command.
  EXPECT_FALSE((ReplyStatus{0x80 | 32, 0}.asksToResend()));
  EXPECT_TRUE((ReplyStatus{0x88, 0}.isError()));
}

TEST(ResponseCodes, DescribeNamesTheCommunicationErrors) {
  EXPECT_EQ(Describe(ReplyStatus{32, 0}), "response code 32");
  EXPECT_EQ(Describe(ReplyStatus{0xA8, 0}), "communication error: overrun check byte");
}

}  // namespace
}  // namespace zolin6::hart
