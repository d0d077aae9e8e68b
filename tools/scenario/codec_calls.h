#pragma once
// The scenario runner's way into the codec functions: `call NAME ARG...`
// reaches every function of the enumeration tables, the float hex encoder
// and the HART text codecs by its own name.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace zolin6::scenario {

// Calls the codec function `name` with its arguments as texts and returns its result as text
// (integers in decimal, texts exactly). nullopt: no codec function of that name.
// Wrong argument count or a non-numeric integer argument: an error whose message starts "bad argument".
//
// Texts passed by reference (ConvertFloatToHex, PackAscii, AsciiToHex) are
// given a copy; the rewritten copy is not shown. NormalizeBinary returns no
// value of its own: its call shows ExponentBits and MantissaBits, separated
// by one blank. FractionToBinary takes its value with "." as the point.
std::optional<Result<std::string>> CallCodec(std::string_view name, const std::vector<std::string>& args);

}  // namespace zolin6::scenario
