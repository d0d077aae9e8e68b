#include "codecs/device_names.h"

namespace zolin6::codecs {

std::optional<std::string_view> ManufacturerName(std::uint32_t manufacturer) {
  if (manufacturer == kMakerId) return kMakerName;
  return std::nullopt;
}

std::optional<std::string_view> DeviceTypeName(std::uint32_t manufacturer, std::uint32_t deviceType) {
  if (manufacturer == kMakerId && deviceType == kModelId) return kModelName;
  return std::nullopt;
}

}  // namespace zolin6::codecs
