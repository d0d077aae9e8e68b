#pragma once
// The plant file: the endpoints a survey visits, as JSON
//   {"endpoints": ["hart-ip://10.0.0.5:5094", "hart-ip://10.0.0.6?udp", "serial:/dev/ttyUSB0"]}
// Each entry is a connection address as the connect dialog takes it. An
// error names the file, what is wrong and which entry.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "transport/connection_target.h"

namespace zolin6::plant {

struct PlantEndpoint {
  std::string name;  // as the file writes it: the rows' `endpoint`
  transport::ConnectionTarget target;
};

// `file` only names the source in errors.
Result<std::vector<PlantEndpoint>> ParsePlantFile(std::string_view text, const std::string& file);
Result<std::vector<PlantEndpoint>> ReadPlantFile(const std::string& path);

}  // namespace zolin6::plant
