#pragma once
// The driver's parameter document: an XML text in which every device
// parameter is an element with a `tag` (its name) and a `value` (its value as
// text). A page loader parses the notification's text once and fetches all
// the tags of its page from that one document.

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/locale.h"
#include "platform/result.h"

namespace zolin6::pages {

// The value text of the first element, anywhere in the document and in
// document order, whose `tag` attribute equals `tag` exactly. A missing
// element or an element without a `value` attribute is a failure, never an
// empty text.
Result<std::string> FetchTagValue(const pugi::xml_document& document, std::string_view tag);

// Parses the details text of one notification. A text that is not
// well-formed XML gives an empty document, so the first fetch fails and the
// page keeps everything it showed.
void LoadParameterDocument(pugi::xml_document& document, std::string_view details);

// The steps of one page loader over one parameter document. Each step fetches
// a tag and shows its value; the first step that fails (a missing tag, a
// value its conversion refuses) ends the run, and every later step is
// skipped, so the fields shown before keep their new values and the later
// ones what they showed before.
class LoaderSteps {
 public:
  explicit LoaderSteps(std::string_view details) { LoadParameterDocument(document_, details); }
  LoaderSteps(const LoaderSteps&) = delete;
  LoaderSteps& operator=(const LoaderSteps&) = delete;

  // Hands the tag's value text to `show`, which returns nothing, or false
  // when the value could not be converted (that ends the run).
  template <class Show>
  LoaderSteps& value(std::string_view tag, Show&& show) {
    if (failed_) return *this;
    Result<std::string> text = FetchTagValue(document_, tag);
    if (!text) {
      failed_ = true;
    } else if constexpr (std::is_void_v<std::invoke_result_t<Show, const std::string&>>) {
      show(*text);
    } else {
      failed_ = !show(*text);
    }
    return *this;
  }

  // Hands the tag's value to `show` as a 16-bit integer, converted the way
  // the user's locale reads numbers; a value that is not a number or does not
  // fit ends the run.
  template <class Show>
  LoaderSteps& code(std::string_view tag, Show&& show) {
    return value(tag, [&show](const std::string& text) {
      Result<std::int16_t> number = platform::ToInt16(text);
      if (number) show(*number);
      return number.ok();
    });
  }

  // Whether a step has failed; the remaining steps do nothing.
  bool failed() const { return failed_; }

 private:
  pugi::xml_document document_;
  bool failed_ = false;
};

}  // namespace zolin6::pages
