// The diagnosis page: the device status and specific status lamps, the
// configuration change counters and the recorded temperature extremes.

#include <array>

#include "codecs/enumerated.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"
#include "pages/value_kinds.h"

namespace zolin6 {

namespace {

// Lamps of each status byte, for bits 7 down to 0; kNoLamp marks a bit
// without one. "ADC Conversion Error" (lamp 14) belongs to bit 7 of
// DiagStatus and bit 0 of DiagStatusByte1; the second byte is shown last and
// decides it.
constexpr int kNoLamp = 255;
constexpr std::array<int, 8> kDeviceStatusLamps{7, 6, 5, 4, 3, 2, 1, 0};
constexpr std::array<int, 8> kDiagStatusLamps{14, 13, 12, 15, 16, 17, 18, 19};
constexpr std::array<int, 8> kDiagStatusByte1Lamps{kNoLamp, kNoLamp, kNoLamp, 23, 22, 21, 20, 14};

constexpr int kChangeCounter = 106;

struct TaggedField {
  const char* tag;
  int index;  // txtParameter index
};

// The change counter tab, in the order the counters are read.
constexpr std::array<TaggedField, 14> kChangeCounters{{
    {"ChangeSensorRange", 120},
    {"ChangeSensorTrim", 119},
    {"ChangeSensorConfig", 118},
    {"ChangeSensorUnit", 117},
    {"ChangeSensorDamping", 116},
    {"ChangeSensorCjunct", 115},
    {"ChangeCurrentTrim", 114},
    {"ChangeTempTrim", 112},
    {"ChangeTempUnit", 111},
    {"ChangeSoftWprotect", 110},
    {"ChangeDspVar", 109},
    {"ChangeFailSafe", 108},
    {"ChangeMultidrop", 107},
    {"ChangeVanDusen", 125},
}};

// The recorded extremes, in the order they are read.
constexpr std::array<TaggedField, 4> kExtremes{{
    {"SnsMinTemp", 124},
    {"SnsMaxTemp", 123},
    {"VarLocalMinTemp", 55},
    {"VarLocalMaxTemp", 54},
}};

}  // namespace

void UserCntrl::ShowStatusBits(int status, const std::array<int, 8>& lamps) {
  for (int bit = 7; bit >= 0; --bit) {
    const int lamp = lamps[static_cast<std::size_t>(7 - bit)];
    if (lamp == kNoLamp) continue;
    const toolkit::OleColor color = (status & (1 << bit)) != 0 ? toolkit::kLampOn : toolkit::kLampOff;
    toolkit::Shape& shape = ShapeDiagnosis(lamp);
    shape.setFillColor(color);
    shape.setBorderColor(color);
    shape.setBackColor(color);
  }
}

void UserCntrl::LoadDiagnosisStatus(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps.code("Device Status", [&](std::int16_t status) { ShowStatusBits(status, kDeviceStatusLamps); })
      .code("DiagStatus", [&](std::int16_t status) { ShowStatusBits(status, kDiagStatusLamps); })
      .code("DiagStatusByte1", [&](std::int16_t status) { ShowStatusBits(status, kDiagStatusByte1Lamps); })
      .value("ChangeCounters", [&](const std::string& v) { txtParameter(kChangeCounter).setText(v); });
}

void UserCntrl::LoadChangeCounters(const std::string& details) {
  pages::LoaderSteps steps(details);
  for (const TaggedField& counter : kChangeCounters) {
    steps.value(counter.tag, [&](const std::string& v) { txtParameter(counter.index).setText(v); });
  }
}

void UserCntrl::LoadMaxMinTemperatures(const std::string& details) {
  pages::LoaderSteps steps(details);
  for (const TaggedField& extreme : kExtremes) {
    steps.value(extreme.tag, [&](const std::string& v) {
      toolkit::TextBox& field = txtParameter(extreme.index);
      field.setText(pages::FormatCheckedNumber(v, pages::kThreeDecimals));
      if (pages::IsNotANumberText(v)) return true;
      // The shown text is what is compared, so a value the display rounds
      // to 5000.000 counts as 5000 too.
      Result<std::string> shown = pages::BlankUnrecordedExtreme(field.text());
      if (!shown) return false;
      field.setText(*shown);
      return true;
    });
  }
  steps
      .code("SensorMaxMin",
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbSensorMaxMin"), codecs::GetSensorMaxMinText(c)); })
      .code("TempMaxMin",
            [&](std::int16_t c) { pages::ShowDecoded(combo("cmbTempMaxMin"), codecs::GetTempMaxMinText(c)); })
      .code("SensorUnit", [&](std::int16_t c) { pages::ShowUnit(lbArray(180), lbArray(181), codecs::GetUnitText(c)); })
      .code("TempUnit", [&](std::int16_t c) { pages::ShowUnit(lbArray(182), lbArray(183), codecs::GetUnitText(c)); });
}

}  // namespace zolin6
