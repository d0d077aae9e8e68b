#pragma once
// What a bench can change on the simulated transmitter from outside (the
// scenarios' `sim set TAG VALUE`): its values by the tag names of the
// transmitter's parameter documents, given as those documents carry them,
// except that the tag, descriptor, message, long tag and ordering code take
// plain text and the date takes day/month/year. Besides the stored values,
// "Sns1Value" to "Sns6Value" move a sensor's process level and "LocalTemp"
// the device temperature (in the unit shown), and the three status tags
// force status bits on.

#include <string>
#include <string_view>

#include "device/device_model.h"
#include "device/process_simulation.h"

namespace zolin6::device {

// Changes the value behind `tag`; the empty text, or why the value was not
// taken (no such value, a measured value, a value out of range).
std::string SetBenchValue(std::string_view tag, const std::string& value, DeviceState& state,
                          ProcessSimulation& process);

}  // namespace zolin6::device
