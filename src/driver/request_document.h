#pragma once
// The two documents a driver works with besides its parameter lists: the
// control's request document, read into its 22 attributes, and the answer
// to a write, which carries the device's response code. Numbers go into
// parameter documents as the transmitter's first driver wrote them, so the
// pages read them unchanged.

#include <array>
#include <optional>
#include <string>

namespace zolin6::driver {

// The 22 attributes of a request document, Attribute1 first.
using RequestAttributes = std::array<std::string, 22>;

// The attributes of a request document as the control builds it; a text
// that is not such a document, or an attribute it lacks, gives "None".
RequestAttributes ParseRequestDocument(const std::string& document);

// The highest read code the device answers; reads run from 1.
inline constexpr int kLastReadCode = 33;

// The answer to a write: its response code as "Response Code 1", and 0 in
// "Response Code 2" to "Response Code 5".
std::string ResponseDocument(int responseCode);

// A number as the device's documents carry it: "21.5", "-0.0005775", the
// shortest text that reads back as the same single; "1.#QNAN" for nullopt
// or a value that is not finite.
std::string DeviceNumber(std::optional<float> value);

}  // namespace zolin6::driver
