#include "hart/status.h"

#include <array>
#include <utility>

namespace zolin6::hart {

bool IsErrorCode(std::uint8_t responseCode) {
  if (responseCode == 0 || responseCode >= 96) return false;
  switch (responseCode) {
    case 8:
    case 14:
    case 24:
    case 25:
    case 26:
    case 27:
    case 30:
    case 31: return false;
    default: return true;
  }
}

bool ReplyStatus::isError() const { return communicationError() || IsErrorCode(first); }

bool ReplyStatus::asksToResend() const {
  if (communicationError()) return false;
  using namespace response_code;
  return first == kBusy || first == kDelayedResponseInitiated || first == kDelayedResponseRunning ||
         first == kDelayedResponseConflict;
}

std::string Describe(const ReplyStatus& status) {
  if (!status.communicationError()) return "response code " + std::to_string(status.first);
  static constexpr std::array<std::pair<std::uint8_t, const char*>, 5> kNames{{
      {comm_error::kVerticalParity, "parity"},
      {comm_error::kOverrun, "overrun"},
      {comm_error::kFraming, "framing"},
      {comm_error::kLongitudinalParity, "check byte"},
      {comm_error::kBufferOverflow, "buffer overflow"},
  }};
  std::string text = "communication error:";
  for (const auto& [bit, name] : kNames) {
    if ((status.first & bit) != 0) text += std::string(" ") + name;
  }
  return text;
}

}  // namespace zolin6::hart
