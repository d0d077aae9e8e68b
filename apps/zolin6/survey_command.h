#pragma once
// `zolin6 --survey PLANT.json --out FILE.csv`: every endpoint of the plant
// file surveyed, the devices found written as CSV (plant/plant_csv.h).
// Exit status 0 when every endpoint answered and no device reports a
// failure or needs maintenance; 1 when a device does; 2, with a sentence
// on standard error for each, when an endpoint could not be reached (the
// other endpoints' devices are still written) or the plant file or the CSV
// file cannot be used.
//
// The devices are the plant list of the device history (`store`): a survey
// starts from the list stored there and stores what it found, so a
// headless survey keeps every station's plant view up to date. A list that
// cannot be read is said and the survey goes on; one that cannot be stored
// is said and ends with 2, the CSV written all the same.

#include <iosfwd>
#include <string>

#include "history/store_location.h"

namespace zolin6::app {

int RunSurvey(const std::string& plantFile, const std::string& csvFile, const history::StoreLocation& store,
              std::ostream& out, std::ostream& err);

}  // namespace zolin6::app
