#include "configuration/device_codec.h"
#include "configuration/transfer.h"
#include "configuration/validation.h"
#include "pages/parameter_document.h"

namespace zolin6::configuration {

namespace {

bool Cancelled(const TransferOptions& options) { return options.cancel != nullptr && options.cancel->load(); }

}  // namespace

Result<Configuration> Upload(LinkClient& link, const TransferOptions& options) {
  const std::vector<int> codes = ReadCodes();
  Configuration configuration;
  configuration.readAt = options.readAt;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (Cancelled(options)) return Error{"the upload was cancelled"};
    const int code = codes[i];
    if (options.progress) {
      options.progress({static_cast<int>(i), static_cast<int>(codes.size()), "read " + std::to_string(code)});
    }
    Result<std::string> answer = link.Read(code, NoAttributes());
    if (!answer) return answer.error();
    pugi::xml_document document;
    pages::LoadParameterDocument(document, *answer);
    for (const CatalogueValue& entry : Values()) {
      if (entry.readCode != code) continue;
      Result<Value> value = DecodeValue(entry, document);
      if (!value) return Error{entry.key + ": " + value.error().message};
      configuration.values[entry.key] = std::move(value).value();
    }
  }
  if (options.progress) options.progress({static_cast<int>(codes.size()), static_cast<int>(codes.size()), "done"});
  if (Result<bool> valid = Validate(configuration); !valid) {
    return Error{"the device holds a value a configuration cannot keep: " + valid.error().message};
  }
  return configuration;
}

}  // namespace zolin6::configuration
