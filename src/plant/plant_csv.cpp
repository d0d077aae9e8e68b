#include "plant/plant_csv.h"

#include <QDateTime>

#include <array>
#include <charconv>

#include "trend/csv.h"

namespace zolin6::plant {

std::string UtcText(std::int64_t msSince1970) {
  if (msSince1970 == 0) return {};
  return QDateTime::fromMSecsSinceEpoch(msSince1970).toUTC().toString(Qt::ISODate).toStdString();
}

std::string FloatText(float value) {
  std::array<char, 32> text{};
  const auto [end, failed] = std::to_chars(text.data(), text.data() + text.size(), value);
  return failed == std::errc() ? std::string(text.data(), end) : std::string();
}

std::string PlantCsv(const std::vector<PlantDevice>& rows) {
  std::string text = trend::CsvLine({"endpoint", "sub-device", "tag", "long tag", "manufacturer", "device type",
                                     "device id", "status", "answering", "pv", "unit", "last seen"});
  for (const PlantDevice& row : rows) {
    text += trend::CsvTextLine({row.endpoint, std::to_string(row.subDevice), row.tag, row.longTag,
                                ManufacturerText(row.manufacturer), DeviceTypeText(row.manufacturer, row.deviceType),
                                std::to_string(row.deviceId), HealthText(row.health), row.answering ? "yes" : "no",
                                row.pv ? FloatText(*row.pv) : std::string(), row.unit, UtcText(row.lastSeenUtc)});
  }
  return text;
}

}  // namespace zolin6::plant
