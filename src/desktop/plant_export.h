#pragma once
// The plant list as files: CSV with the survey's columns and texts, and a
// PDF table with a title and the date it was printed.

#include <string>

#include "desktop/plant_sources.h"

namespace zolin6::desktop {

std::string PlantCsv(const PlantRows& rows);
// `printedUtc`: when, ms since 1970 UTC. Made on the window's thread (Qt's
// text layout), written anywhere.
std::string PlantPdf(const PlantRows& rows, std::int64_t printedUtc);

}  // namespace zolin6::desktop
