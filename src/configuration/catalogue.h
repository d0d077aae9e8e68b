#pragma once
// The value catalogue: every device value a configuration file keeps, where
// the device reports it (read code and tag), how it travels, what the device
// accepts, and which write carries it back. Everything that uploads,
// validates, compares, downloads or prints a configuration walks these two
// tables; a new value is a new row, never new code.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolin6::configuration {

enum class ValueType { Integer, Number, Text };

// How a value sits in the driver's parameter document.
enum class Decoding {
  Decimal,           // the value text as a decimal number
  Flag,              // a decimal switch; any non-zero value is 1
  RecordTag,         // characters 1-8 of the packed identification record
  RecordDescriptor,  // characters 9-24 of the packed identification record
  RecordDate,        // the record's last three bytes: day, month, year - 1900, as "YYYY-MM-DD"
  PackedMessage,     // 32 packed characters
  Latin32,           // 32 characters, one byte each
};

// Which enumeration a code belongs to; only codes the enumeration lists are
// valid.
enum class Enumeration {
  None,
  SensorType,
  Connection,
  ColdJunction,
  Unit,
  TemperatureUnit,
  DisplayVariable,
  Switch,        // 0 "Disabled", 1 "Enabled"
  LoopAlarm,     // 0 "High", 1 "Low"
  BackupSensor,  // 1..5 "Sensor 2".."Sensor 6"
};

struct CatalogueValue {
  std::string key;      // "channel 2.upper range value": group and name, as the file names it
  std::string group;    // the file's section and the report's heading ("channel 2")
  std::string name;     // the value's name within its group ("upper range value")
  int readCode;         // the read whose answer holds it
  std::string tag;      // its tag in that answer
  Decoding decoding;    // how the tag's value text becomes the value
  ValueType type;       // what the file holds
  double low = 0;       // smallest valid number or integer
  double high = 0;      // largest; low == high means no fixed limits
  int length = 0;       // longest text in characters
  bool packed = false;  // text in packed ASCII: upper case, blank to underscore only
  Enumeration enumeration = Enumeration::None;
  std::string lowKey;    // a number must not lie below this value of the same file ("")
  std::string highKey;   // nor above this one
  bool writable = true;  // false: identity and limits, reported but never written or compared
  std::string unitKey;   // the key of the unit this number is in, for the report ("")
};

// How one request attribute is made from the file.
enum class Encoding {
  Literal,   // the text `literal` itself (a channel code)
  Code,      // two upper-case hexadecimal digits
  Float,     // the 8 hexadecimal digits of the IEEE single-precision bits
  Packed8,   // 8 packed characters
  Packed16,  // 16 packed characters
  Packed32,  // 32 packed characters
  Latin32,   // 32 characters, one byte each
  Date,      // day, month, year - 1900, two digits each
  Hex6,      // 6 upper-case hexadecimal digits
};

struct WriteAttribute {
  int position;  // 1..22
  Encoding encoding;
  std::string source;  // the value's key, or the literal text
  bool owned = true;   // false: the write carries the value, another write is its home
};

struct CatalogueWrite {
  int code;           // the write operation code
  std::string group;  // the values it writes ("channel 2")
  std::string title;  // what the user is told ("sensor of channel 2")
  std::vector<WriteAttribute> attributes;
  bool resetsGroup = false;  // the device resets the group's other values: rewrite them
};

const std::vector<CatalogueValue>& Values();
const std::vector<CatalogueWrite>& Writes();

// The row of `key`, or nullptr.
const CatalogueValue* FindValue(const std::string& key);

// The read codes that fill every catalogue value, in the order to read them.
std::vector<int> ReadCodes();

// The text the pages show for `code` of `enumeration`, or "" when the
// enumeration does not list it (the device does not know it).
std::string CodeText(Enumeration enumeration, std::int64_t code);

// The group names in the order the pages show them.
std::vector<std::string> Groups();

// A group's heading on the sheet ("HART settings" for "hart").
std::string GroupTitle(const std::string& group);

}  // namespace zolin6::configuration
