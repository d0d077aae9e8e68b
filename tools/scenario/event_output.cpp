#include "event_output.h"

namespace zolin6::scenario {

std::string EventLine(const Json& event) {
  return event.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
}

}  // namespace zolin6::scenario
