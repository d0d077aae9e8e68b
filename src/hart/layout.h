#pragma once
// Command layouts as data: each command is a table of the fields of its
// request and of its reply (after the two status bytes), with their types
// and sizes. One generic codec (field_codec.h) reads every table; a new
// command is a new table, not new code.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zolin6::hart {

enum class FieldType : std::uint8_t {
  Unsigned,     // big-endian integer of 1 to 4 bytes
  Float,        // IEEE-754 single, big-endian, 4 bytes
  PackedAscii,  // 6-bit characters, four in every three bytes
  Latin1,       // one 8-bit character per byte, padded with NULs
  Date,         // day, month, year - 1900
  Raw,          // bytes passed through as they are
};

struct Field {
  std::string_view name;  // how callers find the value and how errors name it
  FieldType type;
  std::uint8_t size;  // bytes on the wire
};

constexpr Field U8(std::string_view name) { return {name, FieldType::Unsigned, 1}; }
constexpr Field U16(std::string_view name) { return {name, FieldType::Unsigned, 2}; }
constexpr Field U24(std::string_view name) { return {name, FieldType::Unsigned, 3}; }
constexpr Field U32(std::string_view name) { return {name, FieldType::Unsigned, 4}; }
constexpr Field F32(std::string_view name) { return {name, FieldType::Float, 4}; }
constexpr Field Packed(std::string_view name, std::uint8_t size) { return {name, FieldType::PackedAscii, size}; }
constexpr Field Latin1(std::string_view name, std::uint8_t size) { return {name, FieldType::Latin1, size}; }
constexpr Field DateField(std::string_view name) { return {name, FieldType::Date, 3}; }
constexpr Field Raw(std::string_view name, std::uint8_t size) { return {name, FieldType::Raw, size}; }

// The fields of one message in order: fixed fields, then an optional group
// repeated between minGroups and maxGroups times, then fixed tail fields.
// Fixed fields after the first `required` ones came with later protocol
// revisions: an older device stops before them. A layout with a group has
// no optional fields; the length of the message tells how many groups it holds.
struct Layout {
  std::span<const Field> fields;
  std::size_t required = 0;
  std::span<const Field> group;
  std::uint8_t minGroups = 0;
  std::uint8_t maxGroups = 0;
  std::span<const Field> tail;
};

constexpr Layout Fixed(std::span<const Field> fields) { return {fields, fields.size(), {}, 0, 0, {}}; }
constexpr Layout Optional(std::span<const Field> fields, std::size_t required) {
  return {fields, required, {}, 0, 0, {}};
}
constexpr Layout Repeated(std::span<const Field> head, std::span<const Field> group, std::uint8_t minGroups,
                          std::uint8_t maxGroups, std::span<const Field> tail = {}) {
  return {head, head.size(), group, minGroups, maxGroups, tail};
}
inline constexpr Layout kNoFields{};

// Whether sending a command twice does the same as sending it once. A
// device reset, a trim or fixing the loop current is not: the master never
// resends such a request once it may have reached the device.
enum class Effect : std::uint8_t { Repeatable, NotRepeatable };

struct CommandLayout {
  std::uint16_t number = 0;
  std::string_view name;
  Layout request;
  Layout reply;
  Effect effect = Effect::Repeatable;
};

// The tables of the universal and the common-practice commands, each sorted
// by number.
std::span<const CommandLayout> UniversalCommands();
std::span<const CommandLayout> CommonPracticeCommands();
// The table of a universal or common-practice command; nullptr for any other
// (device-specific commands come with their own tables).
const CommandLayout* FindCommand(std::uint16_t number);

// What resending a command would do: from its table, Repeatable for a
// command without one (the caller flags its own device-specific commands).
Effect EffectOf(std::uint16_t number);

}  // namespace zolin6::hart
