#include "history/device_memory.h"

#include "codecs/functions_hart.h"

namespace zolin6::history {

namespace {

// The tag travels as the first 6 bytes of the packed identification record.
constexpr int kTagBytes = 6;
constexpr int kTagCharacters = 8;

std::string Trimmed(std::string text) {
  const auto last = text.find_last_not_of(" \0", std::string::npos, 2);
  text.erase(last == std::string::npos ? 0 : last + 1);
  return text;
}

}  // namespace

void DeviceMemory::Remember(const link::Notification& notification) {
  if (notification.reason == framelink::kWriteNotification) return;
  for (const auto& [tag, value] : notification.parameters) values_[tag] = value;
}

std::optional<std::string> DeviceMemory::value(std::string_view tag) const {
  auto found = values_.find(tag);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

DeviceIdentity DeviceMemory::identity() const {
  DeviceIdentity identity;
  if (auto record = value("Tag")) {
    if (auto tag = codecs::UnpackAscii(*record, kTagBytes, kTagCharacters)) identity.tag = Trimmed(*tag);
  }
  identity.manufacturer = value("Manufacturer Id").value_or("");
  identity.deviceType = value("Device Type").value_or("");
  identity.deviceId = value("DeviceSerialNumber").value_or("");
  return identity;
}

}  // namespace zolin6::history
