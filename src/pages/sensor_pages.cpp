// The sensor channel pages: the read-only information tab of each channel,
// the configuration tab of each channel, the sensor parameter tab and the
// local temperature unit. The six channels share one loader each; only the
// channel digit of the tags and the fields differ, and the fields come from
// the tables below.

#include <array>

#include "codecs/enumerated.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"
#include "pages/value_kinds.h"
#include "platform/channels.h"

namespace zolin6 {

namespace {

// The txtParameter fields of a channel's information tab, in row order.
struct SensorInfoFields {
  int type;
  int connection;
  int coldJunction;
  int unit;
  int upperLimit;
  int lowerLimit;
  int upperValue;
  int lowerValue;
};

constexpr std::array<SensorInfoFields, 6> kSensorInfoFields{{
    {24, 8, 25, 22, 26, 7, 23, 34},    // channel 1, PictArray(2)
    {28, 18, 29, 20, 30, 4, 27, 31},   // channel 2, PictArray(3)
    {42, 33, 43, 35, 44, 32, 41, 45},  // channel 3, PictArray(4)
    {50, 47, 52, 48, 53, 46, 49, 56},  // channel 4, PictArray(11)
    {63, 60, 64, 61, 65, 58, 62, 66},  // channel 5, PictArray(12)
    {72, 68, 73, 69, 74, 67, 71, 78},  // channel 6, PictArray(28)
}};

}  // namespace

void UserCntrl::LoadSensorInfo(int channel, const std::string& details) {
  if (channel < 1 || channel > kChannels) return;
  const SensorInfoFields& f = kSensorInfoFields[static_cast<std::size_t>(channel - 1)];
  // The information tab shows the range numbers as they read, without the
  // not-a-number check: "1.#QNAN" shows 1.000.
  auto number = [&](int field) {
    return [this, field](const std::string& v) {
      txtParameter(field).setText(pages::FormatNumber(v, pages::kThreeDecimals));
    };
  };
  pages::LoaderSteps steps(details);
  steps
      .code(pages::SensorTag(channel, "Type"),
            [&](std::int16_t c) { pages::ShowDecoded(txtParameter(f.type), codecs::GetSensorTypeText(c)); })
      .code(pages::SensorTag(channel, "Connection"),
            [&](std::int16_t c) { pages::ShowDecoded(txtParameter(f.connection), codecs::GetSensorConnectionText(c)); })
      .code(pages::SensorTag(channel, "ColdJunction"),
            [&](std::int16_t c) { pages::ShowDecoded(txtParameter(f.coldJunction), codecs::GetColdJunctionText(c)); })
      .code(pages::SensorTag(channel, "Unit"),
            [&](std::int16_t c) { pages::ShowDecoded(txtParameter(f.unit), codecs::GetUnitText(c)); })
      .value(pages::SensorTag(channel, "UpperRangeLimit"), number(f.upperLimit))
      .value(pages::SensorTag(channel, "LowerRangeLimit"), number(f.lowerLimit))
      .value(pages::SensorTag(channel, "UpperRangeValue"), number(f.upperValue))
      .value(pages::SensorTag(channel, "LowerRangeValue"), number(f.lowerValue));
}

void UserCntrl::LoadSensorConfig(int channel, const std::string& details) {
  if (channel < 1 || channel > kChannels) return;
  const int index = channel - 1;
  pages::LoaderSteps steps(details);
  steps
      .code(pages::SensorTag(channel, "Type"),
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbSensorType", index), codecs::GetSensorTypeText(c)); })
      .code(pages::SensorTag(channel, "Connection"),
            [&](std::int16_t c) {
              pages::ShowDecoded(combo("cmbSensorConnection", index), codecs::GetSensorConnectionText(c));
            })
      .code(pages::SensorTag(channel, "ColdJunction"), [&](std::int16_t c) {
        pages::ShowDecoded(combo("cmbColdJunction", index), codecs::GetColdJunctionText(c));
      });
}

void UserCntrl::LoadLocalTempUnit(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps.code("TempUnit",
             [&](std::int16_t c) { pages::ShowDecoded(combo("cmbUnitLocalTemp"), codecs::GetUnitText(c)); });
}

void UserCntrl::LoadSensorParameters(const std::string& details) {
  auto number = [this](int field, int decimals) {
    return [this, field, decimals](const std::string& v) {
      txtParameter(field).setText(pages::FormatNumber(v, decimals));
    };
  };
  pages::LoaderSteps steps(details);
  // The limits' unit labels take the unit text even when it is empty.
  steps.code("SnsUnit", [&](std::int16_t c) { pages::ShowUnit(lbArray(246), lbArray(247), codecs::GetUnitText(c)); })
      .value("SnsTempHighLimit", number(136, pages::kThreeDecimals))
      .value("SnsTempLowLimit", number(137, pages::kThreeDecimals))
      .value("CoeffA", number(143, pages::kFifteenDecimals))
      .value("CoeffB", number(144, pages::kFifteenDecimals))
      .value("CoeffC", number(145, pages::kFifteenDecimals))
      .value("CoeffRA", number(138, pages::kFifteenDecimals))
      .value("Damping", number(146, pages::kTwoDecimals));
}

}  // namespace zolin6
