#pragma once
// What the codec tests share: rows of cases written "input=expected|...",
// and a result as its value or "error: " and the message.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/result.h"

namespace zolin6::codecs {

// "0=Ohm 100|4=" as {"0", "Ohm 100"}, {"4", ""}: entries split at "|", each at its last "=".
inline std::vector<std::pair<std::string, std::string>> Cases(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> cases;
  while (!text.empty()) {
    const std::string_view entry = text.substr(0, text.find('|'));
    const std::size_t equals = entry.rfind('=');
    cases.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    text.remove_prefix(std::min(text.size(), entry.size() + 1));
  }
  return cases;
}

inline std::string Outcome(const Result<std::string>& result) {
  return result ? *result : "error: " + result.error().message;
}
inline std::string Outcome(const Result<std::int32_t>& result) {
  return result ? std::to_string(*result) : "error: " + result.error().message;
}

}  // namespace zolin6::codecs
