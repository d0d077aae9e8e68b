// The number conversions between typed or device texts and what is sent or
// shown: the polling address and final assembly codes of the write pages,
// and the locale's readings and display formats the loaders use. A first
// line "." or "," sets the user's decimal separator.
//
// Properties: codes are upper-case hexadecimal of their fixed widths and are
// refused exactly when the locale does not read the text as a number that
// fits; a number the locale reads is shown in the display formats as digits
// with the locale's separator, and its shortest text reads back as itself.

#include <cmath>

#include "codecs/enumerated.h"
#include "fuzz_support.h"
#include "pages/value_kinds.h"
#include "platform/locale.h"
#include "writing/write_fields.h"

namespace {

namespace platform = zolin6::platform;

bool IsUpperHex(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// "-" (for a value that does not round to zero), digits, and with decimals
// the separator and exactly that many digits.
bool IsFixedText(const std::string& text, int decimals, char separator) {
  std::string_view rest = text;
  if (!rest.empty() && rest.front() == '-') rest.remove_prefix(1);
  const std::size_t point = rest.find(separator);
  if (decimals == 0) {
    if (point != std::string_view::npos || rest.empty()) return false;
  } else {
    if (point == std::string_view::npos || point == 0) return false;
    if (rest.size() - point - 1 != static_cast<std::size_t>(decimals)) return false;
  }
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (i != point && !(rest[i] >= '0' && rest[i] <= '9')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = zolin6::fuzz::AsText(data, size);
  const auto [header, body] = zolin6::fuzz::SplitHeader(input);
  char separator = '.';
  std::string_view text = input;
  if (header == "." || header == ",") {
    separator = header.front();
    text = body;
  }
  platform::SetUserLocale({separator});

  const zolin6::Result<std::string> address = zolin6::codecs::GetPollingAddressCode(text);
  ZOLIN6_FUZZ_CHECK(address.ok() == platform::ToInt16(text).ok());
  if (address) ZOLIN6_FUZZ_CHECK(IsUpperHex(*address) && address->size() >= 2 && address->size() <= 4);

  const zolin6::Result<std::string> assembly = zolin6::writing::FinalAssemblyCode(text);
  ZOLIN6_FUZZ_CHECK(assembly.ok() == platform::ToInt32(text).ok());
  if (assembly) ZOLIN6_FUZZ_CHECK(IsUpperHex(*assembly) && assembly->size() == 6);

  const zolin6::Result<double> number = platform::ToDouble(text);
  if (number) {
    ZOLIN6_FUZZ_CHECK(std::isfinite(*number));
    for (const int decimals : {0, 2, 3, 15}) {
      ZOLIN6_FUZZ_CHECK(IsFixedText(platform::FormatFixed(*number, decimals), decimals, separator));
    }
    // 15 significant digits; subnormal magnitudes are left out, their
    // shortest texts lie at the edge of what a double holds.
    if (*number == 0.0 || std::fabs(*number) >= 1e-300) {
      const zolin6::Result<double> back = platform::ToDouble(platform::FormatShortest(*number));
      ZOLIN6_FUZZ_CHECK(back.ok());
      ZOLIN6_FUZZ_CHECK(std::fabs(*back - *number) <= 1e-14 * std::fabs(*number));
    }
  }

  // A device value is read from its start and never fails.
  const double leading = platform::LeadingNumber(text);
  ZOLIN6_FUZZ_CHECK(!std::isnan(leading));
  if (std::isfinite(leading)) {
    ZOLIN6_FUZZ_CHECK(IsFixedText(zolin6::pages::FormatNumber(text, 3), 3, separator));
  }
  platform::SetUserLocale({'.'});
  return 0;
}
