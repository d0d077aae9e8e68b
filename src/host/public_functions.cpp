// Conversions the control offers to its host and uses in its own writes.

#include <cstdio>

#include "host/user_cntrl.h"
#include "navigation/page_names.h"
#include "navigation/release.h"
#include "platform/locale.h"

namespace zolin6 {

namespace {

// Hexadecimal, upper case, at least two digits.
std::string HexAtLeastTwo(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

// The HART date: day, month and year minus 1900, each in hex. The walk stops
// at a third "/", so text after it is ignored; no range check is made, so a
// year before 1900 gives the four digits of the 16-bit negative value.
Result<std::string> ConvertDate(const std::string& text) {
  std::string fields[3];
  int current = 0;
  for (char c : text) {
    if (c == '/') {
      if (++current == 3) break;
      continue;
    }
    fields[current] += c;
  }
  auto day = platform::ToInt32(fields[0]);
  if (!day) return day.error();
  auto month = platform::ToInt32(fields[1]);
  if (!month) return month.error();
  auto year = platform::ToInt16(fields[2]);
  if (!year) return year.error();
  auto yearOffset = platform::RoundToInt16(static_cast<double>(*year) - 1900);
  if (!yearOffset) return yearOffset.error();
  return HexAtLeastTwo(static_cast<std::uint32_t>(*day)) + HexAtLeastTwo(static_cast<std::uint32_t>(*month)) +
         HexAtLeastTwo(static_cast<std::uint16_t>(*yearOffset));
}

}  // namespace

Result<std::string> UserCntrl::GetConverteDate() const {
  auto* box = form_.find<toolkit::TextBox>("txtParameter", 51);
  if (box == nullptr) return TypeMismatch();
  return ConvertDate(box->text());
}

Result<std::string> UserCntrl::GetConverteDateOffLine() const {
  auto* box = form_.find<toolkit::TextBox>("txtParameter", 158);
  if (box == nullptr) return TypeMismatch();
  return ConvertDate(box->text());
}

std::string UserCntrl::GetChannelCode(const std::string& sString) {
  // Only the trim steps of channels 2 to 6 name a channel code; channel 1
  // has operation codes of its own.
  const std::optional<navigation::ProcedurePage> page = navigation::ParseProcedurePage(sString);
  if (!page || page->kind != navigation::ProcedureKind::kTrimStep || page->channel == 1) return "";
  return navigation::OutputChannelCode(page->channel);
}

}  // namespace zolin6
