#pragma once
// Requests and replies of one command, through its table: the data field of
// a request from a record, and a reply's data field (after the status bytes)
// into a record. Errors start with the command's number and say what failed.

#include <cstdint>

#include "hart/bytes.h"
#include "hart/layout.h"
#include "hart/record.h"
#include "hart/status.h"
#include "platform/result.h"

namespace zolin6::hart {

Result<Bytes> BuildRequest(const CommandLayout& command, const Record& fields = {});
// For the commands FindCommand knows; any other number fails.
Result<Bytes> BuildRequest(std::uint16_t command, const Record& fields = {});

// A communication error or an error response code fails without reading
// data (an error reply carries none); success and warnings are decoded.
Result<Record> ParseReply(const CommandLayout& command, const ReplyStatus& status, ByteView data);
Result<Record> ParseReply(std::uint16_t command, const ReplyStatus& status, ByteView data);

}  // namespace zolin6::hart
