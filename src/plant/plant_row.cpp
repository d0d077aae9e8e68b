#include "plant/plant_row.h"

#include <array>
#include <utility>

#include "codecs/device_names.h"
#include "hart/status.h"

namespace zolin6::plant {

namespace {

constexpr std::array<std::pair<Health, const char*>, 4> kHealthTexts{{
    {Health::Failure, "failure"},
    {Health::MaintenanceRequired, "maintenance required"},
    {Health::ConfigurationChanged, "configuration changed"},
    {Health::Ok, "OK"},
}};

}  // namespace

const char* HealthText(Health health) {
  for (const auto& [known, text] : kHealthTexts) {
    if (known == health) return text;
  }
  return "OK";
}

std::optional<Health> ParseHealth(const std::string& text) {
  for (const auto& [health, known] : kHealthTexts) {
    if (text == known) return health;
  }
  return std::nullopt;
}

Health HealthOf(std::uint8_t fieldDeviceStatus, std::optional<std::uint8_t> extendedStatus) {
  const std::uint8_t extended = extendedStatus.value_or(0);
  if ((fieldDeviceStatus & hart::device_status::kMalfunction) != 0 || (extended & kExtendedFailure) != 0) {
    return Health::Failure;
  }
  if ((extended & kExtendedMaintenanceRequired) != 0) return Health::MaintenanceRequired;
  if ((fieldDeviceStatus & hart::device_status::kConfigurationChanged) != 0) return Health::ConfigurationChanged;
  return Health::Ok;
}

std::string ManufacturerText(std::uint16_t manufacturer) {
  const std::optional<std::string_view> name = codecs::ManufacturerName(manufacturer);
  return name ? std::string(*name) : std::to_string(manufacturer);
}

std::string DeviceTypeText(std::uint16_t manufacturer, std::uint16_t deviceType) {
  const std::optional<std::string_view> name = codecs::DeviceTypeName(manufacturer, deviceType);
  return name ? std::string(*name) : std::to_string(deviceType);
}

}  // namespace zolin6::plant
