#pragma once
// The one codec behind every command table: it writes a record's values in
// the order a layout gives, and reads a message back into a record. Errors
// name the field and say how many bytes it needed where.

#include "hart/bytes.h"
#include "hart/layout.h"
#include "hart/record.h"
#include "platform/result.h"

namespace zolin6::hart {

// Optional fields are written up to the first one the record lacks; a group
// is written once for each entry the record holds of the group's first field.
Result<Bytes> EncodeFields(const Layout& layout, const Record& record);

// A message shorter than its layout fails naming the first field that does
// not fit. Bytes past the layout (a newer device's additions) are ignored.
Result<Record> DecodeFields(const Layout& layout, ByteView bytes);

}  // namespace zolin6::hart
