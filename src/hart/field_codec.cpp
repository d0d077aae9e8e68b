#include "hart/field_codec.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace zolin6::hart {

namespace {

std::string Named(const Field& field, int entry) {
  std::string name = "'" + std::string(field.name) + "'";
  if (entry != kNoEntry) name += " (entry " + std::to_string(entry) + ")";
  return name;
}

std::size_t SizeOf(std::span<const Field> fields) {
  return std::accumulate(fields.begin(), fields.end(), std::size_t{0},
                         [](std::size_t sum, const Field& f) { return sum + f.size; });
}

std::string TrimTrailing(std::string text, char pad) {
  text.erase(text.find_last_not_of(pad) + 1);
  return text;
}

FieldValue ReadValue(const Field& field, ByteView bytes) {
  switch (field.type) {
    case FieldType::Unsigned: return ReadUnsigned(bytes, field.size);
    case FieldType::Float: return ReadFloat(bytes);
    // Whole groups of three only: a table with another size loses its last
    // bytes instead of failing every reply.
    case FieldType::PackedAscii: return TrimTrailing(UnpackAscii(bytes.first(bytes.size() / 3 * 3)).value(), ' ');
    case FieldType::Latin1: return TrimTrailing(std::string(bytes.begin(), bytes.end()), '\0');
    case FieldType::Date: return ReadDate(bytes);
    case FieldType::Raw: return Bytes(bytes.begin(), bytes.end());
  }
  return Bytes{};
}

Result<bool> AppendText(const Field& field, const std::string& text, Bytes& out) {
  if (field.type == FieldType::PackedAscii) {
    Result<Bytes> packed = PackAscii(text, field.size);
    if (!packed) return packed.error();
    out.insert(out.end(), packed->begin(), packed->end());
    return true;
  }
  if (text.size() > field.size) return Error{"longer than " + std::to_string(field.size) + " characters"};
  out.insert(out.end(), text.begin(), text.end());
  out.insert(out.end(), field.size - text.size(), 0);
  return true;
}

Result<bool> AppendValue(const Field& field, const FieldValue& value, Bytes& out) {
  if (field.type == FieldType::Unsigned) {
    const auto* number = std::get_if<std::uint32_t>(&value);
    if (number == nullptr) return Error{"is not a number"};
    if (field.size < 4 && *number >= (1U << (8U * field.size))) return Error{"does not fit its bytes"};
    AppendUnsigned(out, *number, field.size);
  } else if (field.type == FieldType::Float) {
    const auto* real = std::get_if<float>(&value);
    if (real == nullptr) return Error{"is not a float"};
    AppendFloat(out, *real);
  } else if (field.type == FieldType::Date) {
    const auto* date = std::get_if<Date>(&value);
    if (date == nullptr) return Error{"is not a date"};
    return AppendDate(out, *date);
  } else if (field.type == FieldType::Raw) {
    const auto* raw = std::get_if<Bytes>(&value);
    if (raw == nullptr || raw->size() != field.size) return Error{"is not " + std::to_string(field.size) + " bytes"};
    out.insert(out.end(), raw->begin(), raw->end());
  } else {
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) return Error{"is not a text"};
    return AppendText(field, *text, out);
  }
  return true;
}

// Writes `fields` with the given entry number; stops quietly at the first
// missing field from `firstOptional` on.
Result<bool> EncodeRun(std::span<const Field> fields, std::size_t firstOptional, int entry, const Record& record,
                       Bytes& out) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldValue* value = record.find(fields[i].name, entry);
    if (value == nullptr) {
      if (i >= firstOptional) return true;
      return Error{"field " + Named(fields[i], entry) + " missing"};
    }
    Result<bool> written = AppendValue(fields[i], *value, out);
    if (!written) return Error{"field " + Named(fields[i], entry) + " " + written.error().message};
  }
  return true;
}

// Reads fields from `at`, failing on one that does not fit; stops quietly at
// the end of the message from `firstOptional` on.
class Reader {
 public:
  explicit Reader(ByteView bytes) : bytes_(bytes) {}

  Result<bool> read(std::span<const Field> fields, std::size_t firstOptional, int entry, Record& record) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::size_t left = bytes_.size() - at_;
      if (left == 0 && i >= firstOptional) return true;
      if (left < fields[i].size) return tooShort(fields[i], entry);
      record.append({std::string(fields[i].name), ReadValue(fields[i], bytes_.subspan(at_, fields[i].size)), entry});
      at_ += fields[i].size;
    }
    return true;
  }

  Error tooShort(const Field& field, int entry) const {
    return {"field " + Named(field, entry) + " needs " + std::to_string(field.size) + " bytes at offset " +
            std::to_string(at_) + ", " + std::to_string(bytes_.size() - at_) + " left"};
  }
  std::size_t left() const { return bytes_.size() - at_; }

 private:
  ByteView bytes_;
  std::size_t at_ = 0;
};

// How many group entries to read. Below the minimum, or with a cut entry,
// one entry more than fits is asked for, so that the reader fails at the
// exact field that does not fit.
int GroupCount(const Layout& layout, const Reader& reader) {
  const std::size_t groupSize = SizeOf(layout.group);
  const std::size_t tailSize = SizeOf(layout.tail);
  const std::size_t groupBytes = reader.left() > tailSize ? reader.left() - tailSize : 0;
  std::size_t groups = std::min<std::size_t>(groupBytes / groupSize, layout.maxGroups);
  if (groups < layout.maxGroups && groupBytes % groupSize != 0) ++groups;
  return static_cast<int>(std::max<std::size_t>(groups, layout.minGroups));
}

}  // namespace

Result<Bytes> EncodeFields(const Layout& layout, const Record& record) {
  Bytes out;
  Result<bool> written = EncodeRun(layout.fields, layout.required, kNoEntry, record, out);
  if (!written) return written.error();
  if (!layout.group.empty()) {
    const int entries = record.entries(layout.group.front().name);
    if (entries < layout.minGroups || entries > layout.maxGroups) {
      return Error{"between " + std::to_string(layout.minGroups) + " and " + std::to_string(layout.maxGroups) +
                   " entries needed, " + std::to_string(entries) + " given"};
    }
    for (int entry = 0; entry < entries && written; ++entry) {
      written = EncodeRun(layout.group, layout.group.size(), entry, record, out);
    }
    if (!written) return written.error();
  }
  written = EncodeRun(layout.tail, layout.tail.size(), kNoEntry, record, out);
  if (!written) return written.error();
  return out;
}

Result<Record> DecodeFields(const Layout& layout, ByteView bytes) {
  Record record;
  Reader reader(bytes);
  Result<bool> read = reader.read(layout.fields, layout.required, kNoEntry, record);
  if (!read) return read.error();
  if (!layout.group.empty()) {
    const int groups = GroupCount(layout, reader);
    for (int entry = 0; entry < groups && read; ++entry)
      read = reader.read(layout.group, layout.group.size(), entry, record);
    if (!read) return read.error();
  }
  read = reader.read(layout.tail, layout.tail.size(), kNoEntry, record);
  if (!read) return read.error();
  return record;
}

}  // namespace zolin6::hart
