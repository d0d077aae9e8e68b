#pragma once
// What the transmitter answers: the parameter document of each read, the
// response-code document of each write, and the device values by the tag
// names the documents use (also how `sim set` changes a value).
//
// Values travel as the device's documents carry them: codes and integers
// in decimal, numbers with "." as decimal point in the shortest form that
// gives back the device's single-precision value, "1.#QNAN" for a number the
// device has no valid value for, the identification record as packed ASCII
// digits, the long tag and the ordering code one byte per character.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "driver/device_model.h"
#include "driver/process_simulation.h"

namespace zolin6::driver {

// The 22 attributes of a request document, Attribute1 first.
using RequestAttributes = std::array<std::string, 22>;

// The attributes of a request document as the control builds it; a text
// that is not such a document, or an attribute it lacks, gives "None".
RequestAttributes ParseRequestDocument(const std::string& document);

// The highest read code the device answers; reads run from 1.
inline constexpr int kLastReadCode = 33;

// The parameter document answering read `code` (1 to 33), or nullopt for a
// code the device does not know. Read 32 answers the eight variables whose
// codes stand in Attribute1 to Attribute8; read 28 the current reaching the
// loop of the output whose channel code ("01" to "05") stands in
// Attribute1, else of the first output held at a fixed current, else of
// output 1.
std::optional<std::string> ReadDocument(int code, const RequestAttributes& attributes, const DeviceState& state,
                                        const Measurements& measurements);

// The answer to a write: its response code as "Response Code 1", and 0 in
// "Response Code 2" to "Response Code 5".
std::string ResponseDocument(int responseCode);

// A number as the device writes it: "21.5", "-0.0005775", "1.#QNAN" for
// nullopt or a value that is not finite.
std::string DeviceNumber(std::optional<float> value);

// The value of a tag as the documents carry it, for the tags whose value
// does not depend on the request; nullopt for any other name.
std::optional<std::string> TagValue(std::string_view tag, const DeviceState& state, const Measurements& measurements);

// Changes the device value behind `tag` to `value`, given as a document
// carries it, except that the tag, descriptor, message, long tag and
// ordering code take plain text and the date takes day/month/year. Besides
// the document tags, "Sns1Value" to "Sns6Value" move a sensor's process
// level and "LocalTemp" the device temperature (in the unit shown), and the
// three status tags force bits on. Answers the empty text, or why the value
// was not taken.
std::string SetDeviceValue(std::string_view tag, const std::string& value, DeviceState& state,
                           ProcessSimulation& process);

}  // namespace zolin6::driver
