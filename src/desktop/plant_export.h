#pragma once
// The plant list as a PDF table with a title and the date it was printed,
// in the view's columns and texts. (Its CSV is the survey's: plant/plant_csv.h.)

#include <cstdint>
#include <string>

#include "desktop/plant_sources.h"

namespace zolin6::desktop {

// `printedUtc`: when, ms since 1970 UTC. Qt's text layout on its own
// document and PDF writer: any thread may make it.
std::string PlantPdf(const PlantRows& rows, std::int64_t printedUtc);

}  // namespace zolin6::desktop
