// The date conversion of the information page: any text typed into its date
// box (txtParameter(51)) through GetConverteDate, and the date digits of the
// identification record back through the loader's reading of them.
//
// Properties: a converted date is upper-case hexadecimal of at most 20
// digits (day and month up to 8 each, the year offset 4); a six-digit date
// shown by the loader and typed back converts to the same digits.

#include "fuzz_support.h"
#include "pages/value_kinds.h"

namespace {

bool IsUpperHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zolin6::fuzz::ConnectedControl c;
  auto& dateBox = c.control->form().get<zolin6::toolkit::TextBox>("txtParameter", 51);
  dateBox.setText(std::string(zolin6::fuzz::AsText(data, size)));

  const zolin6::Result<std::string> date = c.control->GetConverteDate();
  if (!date) return 0;
  ZOLIN6_FUZZ_CHECK(!date->empty() && date->size() <= 20 && IsUpperHex(*date));
  if (date->size() != 6) return 0;

  // The record carries the date in its digits 37 to 42.
  const zolin6::Result<std::string> shown = zolin6::pages::RecordDate(std::string(36, '0') + *date);
  ZOLIN6_FUZZ_CHECK(shown.ok());
  dateBox.setText(*shown);
  const zolin6::Result<std::string> again = c.control->GetConverteDate();
  ZOLIN6_FUZZ_CHECK(again.ok() && *again == *date);
  return 0;
}
