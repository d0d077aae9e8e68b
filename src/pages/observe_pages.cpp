// Measured values: the process values and the specific variables of the
// observation page, and the value field the trim pages share. The monitoring
// timers request them again and again, so each answer rewrites every field of
// its tab.

#include <array>

#include "codecs/enumerated.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"
#include "pages/value_kinds.h"

namespace zolin6 {

namespace {

struct TaggedField {
  const char* tag;
  int index;  // txtParameter or lbArray index
};

// The process value tab: numbers first, then the three unit captions.
constexpr std::array<TaggedField, 5> kProcessValues{
    {{"LoopCurrent", 105}, {"PercentRange", 104}, {"PV", 86}, {"SV", 102}, {"TV", 103}}};
constexpr std::array<TaggedField, 3> kProcessUnits{{{"PVUnit", 110}, {"SVUnit", 77}, {"TVUnit", 114}}};

// The specific variable tab, rows "Var 1" to "Var 8".
constexpr std::array<TaggedField, 8> kSpecificValues{{{"Var1", 142},
                                                      {"Var2", 141},
                                                      {"Var3", 140},
                                                      {"Var4", 139},
                                                      {"Var5", 147},
                                                      {"Var6", 148},
                                                      {"Var7", 149},
                                                      {"Var8", 150}}};
constexpr std::array<TaggedField, 8> kSpecificUnits{{{"Var1Unit", 251},
                                                     {"Var2Unit", 252},
                                                     {"Var3Unit", 253},
                                                     {"Var4Unit", 254},
                                                     {"Var5Unit", 278},
                                                     {"Var6Unit", 277},
                                                     {"Var7Unit", 276},
                                                     {"Var8Unit", 275}}};

// The value field of the trim pages and the two unit labels beside it and
// beside the entry field.
constexpr int kTrimValue = 57;
constexpr int kTrimValueUnit = 49;
constexpr int kTrimEntryUnit = 54;

}  // namespace

void UserCntrl::LoadObserveValues(const std::string& details) {
  pages::LoaderSteps steps(details);
  for (const TaggedField& value : kProcessValues) {
    steps.value(value.tag, [&](const std::string& v) {
      txtParameter(value.index).setText(pages::FormatObservedNumber(v, pages::kTwoDecimals));
    });
  }
  // A unit code without a text empties its caption.
  for (const TaggedField& unit : kProcessUnits) {
    steps.code(unit.tag, [&](std::int16_t c) { lbArray(unit.index).setCaption(codecs::GetUnitText(c)); });
  }
}

void UserCntrl::LoadSpecificVariables(const std::string& details) {
  pages::LoaderSteps steps(details);
  for (const TaggedField& value : kSpecificValues) {
    steps.value(value.tag, [&](const std::string& v) {
      txtParameter(value.index).setText(pages::FormatCheckedNumber(v, pages::kThreeDecimals));
    });
  }
  for (const TaggedField& unit : kSpecificUnits) {
    steps.code(unit.tag, [&](std::int16_t c) { lbArray(unit.index).setCaption(codecs::GetUnitText(c)); });
  }
}

void UserCntrl::LoadCurrent(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps.value("Current", [&](const std::string& v) {
    txtParameter(kTrimValue).setText(pages::FormatCheckedNumber(v, pages::kThreeDecimals));
    txtParameter(kTrimValue).setBackColor(toolkit::kSystemWindowBackground);
  });
}

void UserCntrl::LoadTrimTemperature(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps
      .code("Unit Temp",
            [&](std::int16_t c) {
              pages::ShowUnit(lbArray(kTrimValueUnit), lbArray(kTrimEntryUnit), codecs::GetUnitText(c));
            })
      .value("Temp", [&](const std::string& v) {
        txtParameter(kTrimValue).setText(pages::FormatCheckedNumber(v, pages::kThreeDecimals));
      });
}

}  // namespace zolin6
