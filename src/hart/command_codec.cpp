#include "hart/command_codec.h"

#include <string>

#include "hart/field_codec.h"

namespace zolin6::hart {

namespace {

Error InCommand(std::uint16_t number, const std::string& what) {
  return {"command " + std::to_string(number) + ": " + what};
}

}  // namespace

Result<Bytes> BuildRequest(const CommandLayout& command, const Record& fields) {
  Result<Bytes> data = EncodeFields(command.request, fields);
  if (!data) return InCommand(command.number, "request " + data.error().message);
  return data;
}

Result<Bytes> BuildRequest(std::uint16_t command, const Record& fields) {
  const CommandLayout* layout = FindCommand(command);
  if (layout == nullptr) return InCommand(command, "no layout known");
  return BuildRequest(*layout, fields);
}

Result<Record> ParseReply(const CommandLayout& command, const ReplyStatus& status, ByteView data) {
  if (status.isError()) return InCommand(command.number, "device answered with " + Describe(status));
  Result<Record> record = DecodeFields(command.reply, data);
  if (!record) return InCommand(command.number, "reply " + record.error().message);
  return record;
}

Result<Record> ParseReply(std::uint16_t command, const ReplyStatus& status, ByteView data) {
  const CommandLayout* layout = FindCommand(command);
  if (layout == nullptr) return InCommand(command, "no layout known");
  return ParseReply(*layout, status, data);
}

}  // namespace zolin6::hart
