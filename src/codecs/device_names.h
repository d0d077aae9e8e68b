#pragma once
// The names shown for the manufacturer and device type numbers a device
// reports: this transmitter's maker and model by name.

#include <cstdint>
#include <optional>
#include <string_view>

namespace zolin6::codecs {

inline constexpr std::uint32_t kMakerId = 24593;
inline constexpr std::string_view kMakerName = "NORVEL S.A.";
inline constexpr std::uint32_t kModelId = 58113;
inline constexpr std::string_view kModelName = "ZOLIN-6";

// The maker's name, or none for a number without one.
std::optional<std::string_view> ManufacturerName(std::uint32_t manufacturer);
// The model's name, or none; a device type is named only with its maker.
std::optional<std::string_view> DeviceTypeName(std::uint32_t manufacturer, std::uint32_t deviceType);

}  // namespace zolin6::codecs
