// The devices behind a simulated I/O system, from a gateway file: one
// `maker, device type, tag` line each.

#include <charconv>
#include <optional>
#include <sstream>
#include <string_view>

#include "device/io_system.h"
#include "hart/encoding.h"

namespace zolin6::device {

namespace {

constexpr std::uint32_t kLargestId = 0xFFFF;
constexpr std::size_t kTagBytes = 6;

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A maker or device type: decimal or 0x-hex, 0 to 65535.
std::optional<int> Id(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > kLargestId) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

Result<SubDeviceEntry> ParseLine(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(Trimmed(line.substr(start, comma == std::string_view::npos ? comma : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != 3) return Error{"give maker, device type, tag"};
  const std::optional<int> maker = Id(fields[0]);
  if (!maker) return Error{"the maker '" + std::string(fields[0]) + "' is not a number from 0 to 65535"};
  const std::optional<int> type = Id(fields[1]);
  if (!type) return Error{"the device type '" + std::string(fields[1]) + "' is not a number from 0 to 65535"};
  const std::string tag(fields[2]);
  if (tag.empty() || !hart::PackAscii(tag, kTagBytes)) {
    return Error{"the tag '" + tag + "' is not 1 to 8 characters a HART tag can hold"};
  }
  return SubDeviceEntry{*maker, *type, tag};
}

}  // namespace

Result<std::vector<SubDeviceEntry>> ParseGatewayDevices(const std::string& text) {
  std::vector<SubDeviceEntry> devices;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string_view content = Trimmed(std::string_view(line).substr(0, line.find('#')));
    if (content.empty()) continue;
    Result<SubDeviceEntry> device = ParseLine(content);
    if (!device) return Error{"line " + std::to_string(number) + ": " + device.error().message};
    if (devices.size() == static_cast<std::size_t>(kMaxSubDevices)) {
      return Error{"line " + std::to_string(number) + ": more than " + std::to_string(kMaxSubDevices) + " devices"};
    }
    devices.push_back(std::move(device).value());
  }
  if (devices.empty()) return Error{"no devices: give one 'maker, device type, tag' line for each"};
  return devices;
}

}  // namespace zolin6::device
