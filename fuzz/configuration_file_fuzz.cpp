// The configuration file reader: any text as a file's content.
//
// Properties: a text that reads is a configuration the device accepts (it
// passes the checks again), and writing it gives a text that reads back to
// the same text; a refused text always says which file it was.

#include "configuration/config_file.h"
#include "configuration/validation.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zolin6::configuration;
  const zolin6::Result<Configuration> read = ParseConfiguration(zolin6::fuzz::AsText(data, size), "fuzz.json");
  if (!read) {
    ZOLIN6_FUZZ_CHECK(read.error().message.rfind("fuzz.json: ", 0) == 0);
    return 0;
  }
  ZOLIN6_FUZZ_CHECK(Validate(*read).ok());
  const std::string written = FormatConfiguration(*read);
  const zolin6::Result<Configuration> again = ParseConfiguration(written, "fuzz.json");
  ZOLIN6_FUZZ_CHECK(again.ok() && FormatConfiguration(*again) == written);
  return 0;
}
