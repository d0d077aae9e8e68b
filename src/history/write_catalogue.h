#pragma once
// What each write request changes on the device: the operation it is, and
// for each attribute it carries, the value's name on the page, the tag under
// which the device reports that value when it is read, and how both sides
// are shown. The control builds the requests; this only reads them back.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_record.h"

namespace zolin6::history {

// The last value read for a tag, if any was read.
using LastRead = std::function<std::optional<std::string>(std::string_view tag)>;

struct WriteDescription {
  std::string operation;  // "write", "copy to all channels", "unit change", "trim step", "loop test", "device command"
  std::vector<ValueChange> values;
};

// Describes the write `code` with the request attributes (Attribute1..22,
// "None" as empty), sent while `page` was on screen.
WriteDescription DescribeWrite(std::string_view code, const std::vector<std::string>& attributes, std::string_view page,
                               const LastRead& lastRead);

// The device's answer to a write: the response codes of notification 4000
// ("Response Code 1".."Response Code 5"), in order.
// Accepted when every code is 0; otherwise the texts of the non-zero codes,
// joined by "; ". `operation` picks the text of code 11, which depends on
// what was sent.
struct Verdict {
  Outcome outcome = Outcome::Accepted;
  std::string text;  // "accepted" or the response-code texts
};
Verdict JudgeResponse(const std::vector<long>& codes, std::string_view operation);

}  // namespace zolin6::history
