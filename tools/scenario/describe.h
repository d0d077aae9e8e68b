#pragma once
// What `show` and `state` print: the properties of a widget and the state
// fields of the control, as JSON objects with the key names of the scenario
// output format.

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

#include "host/user_cntrl.h"

namespace zolin6::scenario {

using Json = nlohmann::ordered_json;

// The properties of the control `name` ("txtParameter(57)", "StatusBar(4)",
// "sPage"), or nullopt when the control has no such control or field.
std::optional<Json> Describe(const UserCntrl& control, std::string_view name);

// The `state` event: state fields, the nine timers, the status bar and the
// visible page frames.
Json DescribeState(const UserCntrl& control);

}  // namespace zolin6::scenario
