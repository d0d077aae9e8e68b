#pragma once
// What the write buttons send: for each page, which widget gives which
// attribute of the request and how its text is encoded. The pages differ
// only in these lists, so the lists are data and one reader serves all.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/user_cntrl.h"
#include "platform/result.h"
#include "platform/toolkit/form.h"

namespace zolin6::writing {

// How the text of one attribute is obtained.
enum class Encoding {
  Fixed,           // the text `name` itself (a channel code, the display code "0C")
  Enumeration,     // `encoder` applied to the text of combo box name(index)
  Caption,         // `encoder` applied to the caption of label name(index)
  Float,           // IEEE single hex of the plain number in text box name(index); "None" when empty
  PollingAddress,  // the polling address code of the text of text box name(index)
};

// One attribute of a write request.
struct Field {
  Encoding encoding;
  std::string_view name;                               // control name, or the fixed text
  int index = -1;                                      // control-array index; -1 for a single control
  std::string (*encoder)(std::string_view) = nullptr;  // Enumeration and Caption only
};

// A configuration page's write: its code and its attributes in order from
// Attribute1. An empty list sends 22 times "None".
struct PageWrite {
  std::string_view page;     // sPage, compared exactly
  std::string_view subPage;  // sSubPage, compared exactly; empty for any tab
  std::string_view code;     // write code
  std::vector<Field> fields;
};

// The write of the configuration page `page` with tab `subPage`, or nullptr
// when that page writes nothing through the table (the information page has
// rules of its own, see InformationAttributes).
const PageWrite* ConfigurationWrite(std::string_view page, std::string_view subPage);

// The fields first, from Attribute1 on, the remaining attributes "None".
// Fails at the first field whose text cannot be converted.
Result<Attributes> GatherAttributes(const toolkit::Form& form, std::span<const Field> fields);

// Channel 1's sensor configuration and limits, as the sensor copy sends them.
Result<Attributes> SensorCopyAttributes(const toolkit::Form& form);
// Channel 1's unit and range values, as the range copy sends them.
Result<Attributes> RangeCopyAttributes(const toolkit::Form& form);
// The channel code of channel index 0..5 and the unit chosen on its range tab.
Result<Attributes> UnitChangeAttributes(const toolkit::Form& form, int channelIndex);

// The identification record of the information page: tag, descriptor, the
// date already converted, message, long tag and final assembly number.
Result<Attributes> InformationAttributes(const toolkit::Form& form, const std::string& hartDate);

// The final assembly number typed in decimal, as six hexadecimal digits:
// shorter forms padded with "0", longer ones (negative numbers included)
// sent as "FFFFFF". A text that is no 32-bit number fails.
Result<std::string> FinalAssemblyCode(std::string_view text);

// The text upper-cased the way the identification texts are before packing:
// the letters of the device's 8-bit character set, accented ones included.
std::string UpperCase(std::string_view text);

}  // namespace zolin6::writing
