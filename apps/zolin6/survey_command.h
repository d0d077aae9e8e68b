#pragma once
// `zolin6 --survey PLANT.json --out FILE.csv`: every endpoint of the plant
// file surveyed, the devices found written as CSV (plant/plant_csv.h).
// Exit status 0 when every endpoint answered and no device reports a
// failure or needs maintenance; 1 when a device does; 2, with a sentence
// on standard error for each, when an endpoint could not be reached (the
// other endpoints' devices are still written) or the plant file or the CSV
// file cannot be used.

#include <iosfwd>
#include <string>

namespace zolin6::app {

int RunSurvey(const std::string& plantFile, const std::string& csvFile, std::ostream& out, std::ostream& err);

}  // namespace zolin6::app
