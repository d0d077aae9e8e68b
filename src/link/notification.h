#pragma once
// One notification of the driver as everything that watches the link sees
// it: parsed once, whoever looks at it afterwards.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/framelink/contract.h"

namespace zolin6::link {

struct Notification {
  std::int32_t reason = 0;  // notification code (100 times the read code, 4000 for a write)
  std::string text;         // the details text as the driver sent it
  // The tag/value pairs of the parameter document, in document order; empty
  // for a state element or a text that is not XML.
  std::vector<std::pair<std::string, std::string>> parameters;

  // The value of the first parameter named `tag`, if there is one.
  std::optional<std::string> value(std::string_view tag) const;
};

// Parses the details text of a notification (every element that carries
// both a `tag` and a `value` attribute, anywhere in the document).
Notification ParseNotification(std::int32_t reason, std::string text);

// The attributes Attribute1..Attribute22 of a request document; "None" and
// missing attributes give the empty text.
std::vector<std::string> RequestAttributes(std::string_view document);

}  // namespace zolin6::link
