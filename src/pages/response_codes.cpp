// The device's response codes to a write: one critical message box for each
// code that has a message, in the order the codes arrive.

#include <array>
#include <optional>

#include "host/user_cntrl.h"
#include "pages/parameter_document.h"
#include "pages/response_messages.h"

namespace zolin6 {

namespace {

constexpr const char* kResponseCodeTitle = "Response Code";

// The device answers code 11 to more than one command; what it means to the
// user depends on what the control asked for last.
constexpr std::int16_t kSelectionRefused = 11;

constexpr std::array<const char*, 5> kResponseCodeTags{"Response Code 1", "Response Code 2", "Response Code 3",
                                                       "Response Code 4", "Response Code 5"};

}  // namespace

void UserCntrl::LoadResponseCodes(const std::string& details) {
  pages::LoaderSteps steps(details);
  // Each box is modal: the next code is looked at once the user has closed
  // the box of the one before.
  for (const char* tag : kResponseCodeTags) {
    steps.code(tag, [&](std::int16_t code) { ShowResponseCode(code); });
  }
}

void UserCntrl::ShowResponseCode(std::int16_t code) {
  std::optional<std::string> message;
  if (code == kSelectionRefused) {
    // With a loop current held it is about the current; after a unit change
    // it is the active backup refusing the unit, said once: a second code 11
    // is about the unit itself.
    if (s_.bFixedCurrent) {
      message = pages::kHeldCurrentMessage;
    } else if (s_.bUnitChanged) {
      s_.bUnitChanged = false;
      message = pages::kBackupModeMessage;
    } else {
      message = pages::kInvalidUnitMessage;
    }
  } else if (const std::optional<std::string_view> text = pages::ResponseCodeMessage(code)) {
    message = std::string(*text);
  }
  if (!message) return;
  MsgBox(*message, kResponseCodeTitle, toolkit::Buttons::Ok, toolkit::Icon::Critical);
}

namespace pages {

namespace {

// The messages of the codes other than 11; codes not listed show nothing.
struct ResponseMessage {
  std::int16_t code;
  const char* text;
};

constexpr std::array<ResponseMessage, 12> kResponseMessages{{
    {2, "Invalid Selection!"},
    {3, "Passed parameter too large!"},
    {4, "Passed parameter too small!"},
    {5, "Too few data bytes received!"},
    {6, "Backup mode enabled!"},
    {7, "In Write Protect Mode!"},
    {9, "Parameter Too High!"},
    {10, "Parameter Too Low!"},
    {12, "Invalid Mode Selection!"},
    {14, "Minimum Span Too Low!"},
    {29, "Invalid Span!"},
    {32, "Device is busy!"},
}};

}  // namespace

std::optional<std::string_view> ResponseCodeMessage(long code) {
  for (const ResponseMessage& row : kResponseMessages) {
    if (row.code == code) return row.text;
  }
  return std::nullopt;
}

}  // namespace pages

}  // namespace zolin6
