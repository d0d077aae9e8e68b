#pragma once
// The texts of device values as the pages show them, from either side of a
// write: the attribute texts of a request (IEEE hex, hex codes) and the
// values of a parameter document (decimal texts).

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace zolin6::history {

// A number read by the pages' rules: decimal text with "." (documents), or
// nullopt. The device's not-a-number texts ("1.#QNAN", "1.#R",
// "2141192192" as the devices send it for a missing float) give NaN.
std::optional<double> DocumentNumber(std::string_view text);
// The float of an 8-digit IEEE single hex text ("41A00000" is 20).
std::optional<double> HexFloat(std::string_view text);
// The integer of a hexadecimal code text ("0C" is 12).
std::optional<long> HexCode(std::string_view text);
// An integer in a decimal text.
std::optional<long> DecimalCode(std::string_view text);

// A number with three decimals and "." ("###0.000"); NaN as "1.#QNAN".
std::string ThreeDecimals(double value);

}  // namespace zolin6::history
