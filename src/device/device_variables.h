#pragma once
// The device variables the transmitter reports by code (0-13, 244-249):
// their value, units and classification at one moment, and the status
// bytes every reply carries.

#include <array>
#include <cstdint>
#include <optional>

#include "device/device_model.h"
#include "device/process_simulation.h"

namespace zolin6::device {

inline constexpr std::uint8_t kLastDeviceVariable = 13;
inline constexpr std::uint8_t kPvCode = 13;                // the PV source variable
inline constexpr std::uint8_t kLocalTemperatureCode = 12;  // the electronics' temperature
inline constexpr std::uint8_t kNotUsed = 250;              // units and codes "not used"
inline constexpr std::uint8_t kTemperatureClass = 64;

struct DeviceVariable {
  bool exists = false;         // false: a code the device has no variable for
  std::optional<float> value;  // nullopt: no value now (broken sensor)
  std::uint8_t units = kNotUsed;
  std::uint8_t classification = 0;
};

// Variable `code` as measured; the dynamic variables 246-248 stand for 13, 1
// and 12, 249 (QV) has no variable.
DeviceVariable FindVariable(std::uint8_t code, const DeviceState& state, const Measurements& m);

// The slot status of commands 9: 0xC0 good with a value, 0x00 bad without,
// 0x30 (constant, bad) for a code without a variable.
std::uint8_t SlotStatus(const DeviceVariable& variable);

// The 25 bytes of command 48. Device-specific bytes 2-3 carry the
// configuration change counter, so a host reads it without command 0.
using AdditionalStatus = std::array<std::uint8_t, 25>;
inline constexpr std::size_t kStatusCounterAt = 2;
AdditionalStatus BuildAdditionalStatus(const DeviceState& state, const Measurements& m);
// Whether two command 48 replies differ in more than the counter: a new
// counter alone is no news, the "configuration changed" bit says it.
bool StatusNews(AdditionalStatus now, AdditionalStatus lastRead);

// The field device status byte with the bits forced from outside (`sim
// set`). "More status available" is added by the device from what the
// primary master last read with 48.
std::uint8_t BaseDeviceStatus(const DeviceState& state, const Measurements& m);

}  // namespace zolin6::device
