#include "calibration/calibration_json.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace zolin6::calibration {

namespace {

using nlohmann::json;

// A reading the device could not make (NaN) is kept as null.
json Number(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

double NumberAt(const json& object, const char* key) {
  const json& value = object.at(key);
  return value.is_null() ? std::numeric_limits<double>::quiet_NaN() : value.get<double>();
}

json Points(const std::vector<TestPoint>& points) {
  json list = json::array();
  for (const TestPoint& point : points) {
    list.push_back({{"percent", Number(point.percent)},
                    {"reference", Number(point.reference)},
                    {"pv", Number(point.pv)},
                    {"current", Number(point.current)}});
  }
  return list;
}

std::vector<TestPoint> PointsFrom(const json& list) {
  std::vector<TestPoint> points;
  for (const json& item : list) {
    points.push_back(
        {NumberAt(item, "percent"), NumberAt(item, "reference"), NumberAt(item, "pv"), NumberAt(item, "current")});
  }
  return points;
}

}  // namespace

std::string ToJson(const CalibrationRecord& record) {
  const json document{
      {"number", record.number},
      {"device",
       {{"tag", record.device.tag}, {"longTag", record.device.longTag}, {"deviceId", record.device.deviceId}}},
      {"channel", record.channel},
      {"range",
       {{"lower", Number(record.range.lower)}, {"upper", Number(record.range.upper)}, {"unit", record.range.unit}}},
      {"tolerance", Number(record.tolerance)},
      {"reference",
       {{"name", record.reference.name},
        {"serial", record.reference.serial},
        {"certificate", record.reference.certificate},
        {"dueDate", record.reference.dueDate}}},
      {"technician", record.technician},
      {"ambient", record.ambient},
      {"performedAt", record.performedAt},
      {"asFound", Points(record.asFound)},
      {"asLeft", Points(record.asLeft)},
      {"trimmed", record.trimmed},
  };
  return document.dump();
}

Result<CalibrationRecord> FromJson(const std::string& text) {
  const json document = json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return Error{"the calibration record is not JSON"};
  try {
    CalibrationRecord record;
    record.number = document.at("number").get<std::string>();
    const json& device = document.at("device");
    record.device = {device.at("tag").get<std::string>(), device.at("longTag").get<std::string>(),
                     device.at("deviceId").get<std::string>()};
    record.channel = document.at("channel").get<int>();
    const json& range = document.at("range");
    record.range = {NumberAt(range, "lower"), NumberAt(range, "upper"), range.at("unit").get<std::string>()};
    record.tolerance = NumberAt(document, "tolerance");
    const json& reference = document.at("reference");
    record.reference = {reference.at("name").get<std::string>(), reference.at("serial").get<std::string>(),
                        reference.at("certificate").get<std::string>(), reference.at("dueDate").get<std::string>()};
    record.technician = document.at("technician").get<std::string>();
    record.ambient = document.at("ambient").get<std::string>();
    record.performedAt = document.at("performedAt").get<std::string>();
    record.asFound = PointsFrom(document.at("asFound"));
    record.asLeft = PointsFrom(document.at("asLeft"));
    record.trimmed = document.at("trimmed").get<bool>();
    return record;
  } catch (const json::exception& error) {
    return Error{std::string("the calibration record is incomplete: ") + error.what()};
  }
}

}  // namespace zolin6::calibration
