#pragma once
// Small rules the page loaders share for writing into their fields.

#include <string>
#include <string_view>
#include <utility>

#include "platform/toolkit/widgets.h"

namespace zolin6::pages {

// A per-channel tag: "Sns" + the channel digit 1 to 6 + the parameter
// ("Sns3UpperRangeValue").
inline std::string SensorTag(int channel, std::string_view parameter) {
  return "Sns" + std::to_string(channel) + std::string(parameter);
}

// A decoded code goes into its text box or combo box only when the decoder
// has a text for it; for a code it does not know, the field keeps what it
// showed. (Unit captions and the loop alarm take even the empty text, and do
// not use this.)
template <class Field>
void ShowDecoded(Field& field, std::string text) {
  if (!text.empty()) field.setText(std::move(text));
}

// A unit shown by two captions (a value's own and that of the entry field or
// the second value beside it), both set even to the empty text.
inline void ShowUnit(toolkit::Label& first, toolkit::Label& second, const std::string& unit) {
  first.setCaption(unit);
  second.setCaption(unit);
}

}  // namespace zolin6::pages
