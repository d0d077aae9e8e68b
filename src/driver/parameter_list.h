#pragma once
// The parameter document both drivers answer a read with:
// <ParameterList><Parameter tag="..." value="..."/>...</ParameterList>,
// without declaration or blanks, as the control's page loaders read it.

#include <string>
#include <utility>
#include <vector>

namespace zolin6::driver {

using ParameterPairs = std::vector<std::pair<std::string, std::string>>;

std::string ParameterList(const ParameterPairs& pairs);

}  // namespace zolin6::driver
