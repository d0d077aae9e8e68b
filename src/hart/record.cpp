#include "hart/record.h"

#include <algorithm>

namespace zolin6::hart {

namespace {

std::string Named(std::string_view field, int entry) {
  std::string name = "'" + std::string(field) + "'";
  if (entry != kNoEntry) name += " (entry " + std::to_string(entry) + ")";
  return name;
}

template <class T>
Result<T> Typed(const Record& record, std::string_view field, int entry) {
  const FieldValue* value = record.find(field, entry);
  if (value == nullptr) return Error{"field " + Named(field, entry) + " missing"};
  const T* typed = std::get_if<T>(value);
  if (typed == nullptr) return Error{"field " + Named(field, entry) + " has another type"};
  return *typed;
}

}  // namespace

Record& Record::set(std::string_view field, FieldValue value, int entry) {
  for (Value& existing : values_) {
    if (existing.field == field && existing.entry == entry) {
      existing.value = std::move(value);
      return *this;
    }
  }
  values_.push_back({std::string(field), std::move(value), entry});
  return *this;
}

const FieldValue* Record::find(std::string_view field, int entry) const {
  const auto found = std::find_if(values_.begin(), values_.end(),
                                  [&](const Value& v) { return v.field == field && v.entry == entry; });
  return found == values_.end() ? nullptr : &found->value;
}

int Record::entries(std::string_view groupField) const {
  int count = 0;
  for (const Value& value : values_) {
    if (value.field == groupField && value.entry >= count) count = value.entry + 1;
  }
  return count;
}

Result<std::uint32_t> Record::number(std::string_view field, int entry) const {
  return Typed<std::uint32_t>(*this, field, entry);
}
Result<float> Record::real(std::string_view field, int entry) const { return Typed<float>(*this, field, entry); }
Result<std::string> Record::text(std::string_view field, int entry) const {
  return Typed<std::string>(*this, field, entry);
}

}  // namespace zolin6::hart
