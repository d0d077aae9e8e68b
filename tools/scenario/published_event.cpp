#include "published_event.h"

#include <algorithm>
#include <variant>

#include "hart/command_codec.h"
#include "hart/frame.h"
#include "hart/frame_trace.h"

namespace zolin6::scenario {

namespace {

using Json = nlohmann::ordered_json;

Json ValueOf(const hart::FieldValue& value) {
  if (const auto* number = std::get_if<std::uint32_t>(&value)) return *number;
  if (const auto* real = std::get_if<float>(&value)) return *real;  // NaN prints as null
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* bytes = std::get_if<hart::Bytes>(&value)) return hart::Hex(*bytes);
  const auto& date = std::get<hart::Date>(value);
  return {date.day, date.month, date.year};
}

Json Values(const hart::Record& record) {
  Json values = Json::object();
  for (const hart::Value& v : record.values()) {
    if (v.entry == hart::kNoEntry) {
      values[v.field] = ValueOf(v.value);
    } else {
      values[v.field].push_back(ValueOf(v.value));
    }
  }
  return values;
}

}  // namespace

Json PublishedEvent(toolkit::Millis at, hart::ByteView line) {
  Json event = {{"event", "published"}, {"at", at}};
  const auto delimiter = std::ranges::find_if(line, [](std::uint8_t b) { return b != hart::kPreamble; });
  const hart::DecodeResult decoded =
      hart::DecodeFrame(line.subspan(static_cast<std::size_t>(delimiter - line.begin())));
  if (!decoded) {
    event["bytes"] = hart::Hex(line);
    return event;
  }
  const hart::Frame& frame = decoded.frame;
  event["command"] = frame.command;
  event["master"] = frame.address.primaryMaster ? "primary" : "secondary";
  event["status"] = frame.status.deviceStatus;
  const Result<hart::Record> values = hart::ParseReply(frame.command, frame.status, frame.data);
  if (values) {
    event["values"] = Values(*values);
  } else {
    event["bytes"] = hart::Hex(line);
  }
  return event;
}

}  // namespace zolin6::scenario
