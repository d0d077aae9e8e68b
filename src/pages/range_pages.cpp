// The sensor range page: one tab per channel with the sensor's limits, its
// minimum span, the range values and the unit. One loader serves the six
// tabs; the table below names each tab's fields.

#include <array>

#include "codecs/enumerated.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"
#include "pages/value_kinds.h"

namespace zolin6 {

namespace {

// The txtParameter fields of a channel's range tab; the unit is the
// channel's cmbPVUnits(channel - 1).
struct SensorRangeFields {
  int upperLimit;
  int lowerLimit;
  int minSpan;
  int upperValue;
  int lowerValue;
};

constexpr std::array<SensorRangeFields, 6> kSensorRangeFields{{
    {37, 70, 38, 40, 39},       // channel 1, PictArray(5)
    {80, 79, 81, 87, 82},       // channel 2, PictArray(29)
    {89, 88, 90, 92, 91},       // channel 3, PictArray(33)
    {94, 93, 95, 97, 96},       // channel 4, PictArray(40)
    {99, 98, 100, 130, 129},    // channel 5, PictArray(44)
    {134, 133, 135, 160, 159},  // channel 6, PictArray(45)
}};

}  // namespace

void UserCntrl::LoadSensorRange(int channel, const std::string& details) {
  if (channel < 1 || channel > static_cast<int>(kSensorRangeFields.size())) return;
  const SensorRangeFields& f = kSensorRangeFields[static_cast<std::size_t>(channel - 1)];
  // The sensor's limits are always numbers; the range values and the span
  // are checked for the device's not-a-number texts.
  auto limit = [this](int field) {
    return [this, field](const std::string& v) {
      txtParameter(field).setText(pages::FormatNumber(v, pages::kThreeDecimals));
    };
  };
  auto checked = [this](int field) {
    return [this, field](const std::string& v) {
      txtParameter(field).setText(pages::FormatCheckedNumber(v, pages::kThreeDecimals));
    };
  };
  pages::LoaderSteps steps(details);
  steps.value(pages::SensorTag(channel, "UpperRangeLimit"), limit(f.upperLimit))
      .value(pages::SensorTag(channel, "LowerRangeLimit"), limit(f.lowerLimit))
      .value(pages::SensorTag(channel, "UpperRangeValue"), checked(f.upperValue))
      .value(pages::SensorTag(channel, "LowerRangeValue"), checked(f.lowerValue))
      .value(pages::SensorTag(channel, "MinSpan"), checked(f.minSpan))
      .code(pages::SensorTag(channel, "Unit"),
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbPVUnits", channel - 1), codecs::GetUnitText(c)); });
}

}  // namespace zolin6
