#pragma once
// The values of one message by field name, as the codec reads them from a
// reply or takes them to build a request. Repeated groups number their
// entries from 0; fixed fields have no entry number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "hart/bytes.h"
#include "hart/encoding.h"
#include "platform/result.h"

namespace zolin6::hart {

// Unsigned fields hold std::uint32_t, floats float, both text kinds
// std::string, dates Date, raw fields Bytes.
using FieldValue = std::variant<std::uint32_t, float, std::string, Date, Bytes>;

inline constexpr int kNoEntry = -1;

struct Value {
  std::string field;  // the field's name in its layout
  FieldValue value;
  int entry = kNoEntry;  // index in a repeated group, kNoEntry for a fixed field
  friend bool operator==(const Value&, const Value&) = default;
};

class Record {
 public:
  Record() = default;
  Record(std::initializer_list<Value> values) : values_(values) {}

  // Sets a field, replacing its value if the record has one.
  Record& set(std::string_view field, FieldValue value, int entry = kNoEntry);
  // Adds a value the record does not hold yet, as the decoder does.
  void append(Value value) { values_.push_back(std::move(value)); }
  const FieldValue* find(std::string_view field, int entry = kNoEntry) const;
  bool has(std::string_view field, int entry = kNoEntry) const { return find(field, entry) != nullptr; }
  // How many entries of a group the record holds, counted by one of its fields.
  int entries(std::string_view groupField) const;

  // Typed access: fails naming the field when it is missing or of another type.
  Result<std::uint32_t> number(std::string_view field, int entry = kNoEntry) const;
  Result<float> real(std::string_view field, int entry = kNoEntry) const;
  Result<std::string> text(std::string_view field, int entry = kNoEntry) const;

  const std::vector<Value>& values() const { return values_; }
  friend bool operator==(const Record&, const Record&) = default;

 private:
  std::vector<Value> values_;
};

}  // namespace zolin6::hart
