#include "desktop/page_lists.h"

#include <array>
#include <string_view>

namespace zolin6::desktop {

namespace {

constexpr std::int64_t kLargestCode = 255;

// The lists of one value each.
struct ValueList {
  std::string_view key;
  std::string_view combo;
};
constexpr std::array<ValueList, 11> kLists{{
    {"hart.loop current mode", "cmbLoopCurrentMode"},
    {"hart.response preambles", "cmbResponsePreambles"},
    {"hart.write protection", "cmbWriteProtection"},
    {"hart.loop alarm", "cmbLoopAlarm"},
    {"local temperature.unit", "cmbUnitLocalTemp"},
    {"special functions.backup mode", "cmbBackupMode"},
    {"special functions.backup sensor", "cmbBackupSensor"},
    {"special functions.average mode", "cmbAverageMode"},
    {"diagnosis.sensor extremes", "cmbSensorMaxMin"},
    {"diagnosis.device temperature extremes", "cmbTempMaxMin"},
    {"local display.line ", "cmbDisplay"},  // + the line's number
}};

// The lists of each channel, by the value's name; the on-line arrays count
// the channels from 0.
struct ChannelList {
  std::string_view name;
  std::string_view combo;
};
constexpr std::array<ChannelList, 4> kChannelLists{{
    {"sensor type", "cmbSensorType"},
    {"connection", "cmbSensorConnection"},
    {"cold junction", "cmbColdJunction"},
    {"unit", "cmbPVUnits"},
}};

}  // namespace

std::string PageListOf(const std::string& key) {
  for (const ValueList& list : kLists) {
    if (key == list.key) return std::string(list.combo);
    // The display lines: "local display.line 3" is cmbDisplay3.
    if (list.key.back() == ' ' && key.size() == list.key.size() + 1 && key.starts_with(list.key)) {
      return std::string(list.combo) + key.back();
    }
  }
  const configuration::CatalogueValue* entry = configuration::FindValue(key);
  constexpr std::string_view kChannel = "channel ";
  if (entry == nullptr || !entry->group.starts_with(kChannel)) return {};
  const int channel = entry->group.back() - '0';
  for (const ChannelList& list : kChannelLists) {
    if (entry->name == list.name) return std::string(list.combo) + "(" + std::to_string(channel - 1) + ")";
  }
  return {};
}

std::optional<std::int64_t> CodeOfText(configuration::Enumeration enumeration, const std::string& text) {
  if (text.empty()) return std::nullopt;
  for (std::int64_t code = 0; code <= kLargestCode; ++code) {
    if (configuration::CodeText(enumeration, code) == text) return code;
  }
  return std::nullopt;
}

}  // namespace zolin6::desktop
