#pragma once
// One field device of the plant as a survey last found it: where it is
// reached, who it is, how it is and what it measures. The plant view, the
// survey's CSV and the device history's plant list all hold these rows.

#include <cstdint>
#include <optional>
#include <string>

namespace zolin6::plant {

// The one word a plant list shows for a device's health, worst first: from
// the status byte of its replies and the extended status of command 48.
enum class Health : std::uint8_t { Failure, MaintenanceRequired, ConfigurationChanged, Ok };

// "failure", "maintenance required", "configuration changed", "OK".
const char* HealthText(Health health);
std::optional<Health> ParseHealth(const std::string& text);
// The health of a device from its field device status byte and, when it
// answered command 48, that reply's extended device status byte.
Health HealthOf(std::uint8_t fieldDeviceStatus, std::optional<std::uint8_t> extendedStatus);

// Bits of command 48's extended device status that the health reads.
inline constexpr std::uint8_t kExtendedMaintenanceRequired = 0x01;
inline constexpr std::uint8_t kExtendedFailure = 0x08;

// Whether a device in this health needs a technician: failure or maintenance required.
inline bool NeedsAttention(Health health) { return health == Health::Failure || health == Health::MaintenanceRequired; }

struct PlantDevice {
  std::string endpoint;         // as the plant file names it: "hart-ip://10.0.0.5:5094"
  std::uint16_t subDevice = 0;  // its index behind the endpoint's I/O system; 0 for the endpoint's own device
  std::string tag;              // blanks trimmed
  std::string longTag;          // NULs and blanks trimmed
  std::uint16_t manufacturer = 0;
  std::uint16_t deviceType = 0;  // expanded device type
  std::uint32_t deviceId = 0;    // 24 bits
  Health health = Health::Ok;
  std::uint8_t fieldDeviceStatus = 0;
  std::optional<float> pv;       // none when the device has no value
  std::string unit;              // the PV's unit as a technician writes it ("°C"); empty without a value
  std::int64_t lastSeenUtc = 0;  // when it last answered, ms since 1970-01-01 UTC
  bool answering = true;         // whether it answered the last survey or refresh

  // Manufacturer, device type and device id: the one key of a device, wherever it is reached.
  bool sameDevice(const PlantDevice& other) const {
    return manufacturer == other.manufacturer && deviceType == other.deviceType && deviceId == other.deviceId;
  }
  friend bool operator==(const PlantDevice&, const PlantDevice&) = default;
};

// The manufacturer and device type by name where known ("ZOLIN-6"), else
// the number in decimal.
std::string ManufacturerText(std::uint16_t manufacturer);
std::string DeviceTypeText(std::uint16_t manufacturer, std::uint16_t deviceType);

}  // namespace zolin6::plant
