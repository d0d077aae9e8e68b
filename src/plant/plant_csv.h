#pragma once
// The plant's rows as CSV, one device a line after a line naming the
// columns: endpoint, sub-device, tag, long tag, manufacturer, device type,
// device id, status, answering, pv, unit, last seen (ISO 8601, UTC).

#include <string>
#include <vector>

#include "plant/plant_row.h"

namespace zolin6::plant {

std::string PlantCsv(const std::vector<PlantDevice>& rows);

// The shortest text that reads back as the same float ("21.44939"), "."
// as decimal separator whatever the locale; the plant view shows it too.
std::string FloatText(float value);

// "2026-12-08T10:53:10Z"; empty for a device never seen.
std::string UtcText(std::int64_t msSince1970);

}  // namespace zolin6::plant
