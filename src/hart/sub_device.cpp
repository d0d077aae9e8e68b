#include "hart/sub_device.h"

#include <string>

#include "hart/command_codec.h"
#include "hart/field_codec.h"
#include "hart/layout.h"

namespace zolin6::hart {

namespace {

constexpr std::size_t kRouteSize = 2;
constexpr std::size_t kStatusSize = 2;
constexpr std::size_t kLargestDataField = 255;

Error InCommand(std::uint16_t number, const std::string& what) {
  return {"command " + std::to_string(number) + ": " + what};
}

// A reply's fields through the command's table.
Result<Bytes> EncodeReply(std::uint16_t number, const Record& record) {
  Result<Bytes> data = EncodeFields(FindCommand(number)->reply, record);
  if (!data) return InCommand(number, "reply " + data.error().message);
  return data;
}

std::uint8_t Byte(const Record& record, std::string_view field) {
  return static_cast<std::uint8_t>(record.number(field).value());
}

std::uint16_t Word(const Record& record, std::string_view field) {
  return static_cast<std::uint16_t>(record.number(field).value());
}

// A frame from its delimiter up to its check byte, as command 77 carries
// it, made whole again: its byte count must reach exactly to the end, and
// the check byte is added so that DecodeFrame reads it.
Result<Bytes> Whole(std::uint16_t number, ByteView unwrapped, FrameType type) {
  const std::size_t header = unwrapped.empty() ? 0 : HeaderSize(unwrapped[0]);
  if (header == 0) return InCommand(number, "the carried frame has no known delimiter");
  if (unwrapped.size() < header) return InCommand(number, "the carried frame ends inside its header");
  if (unwrapped[header - 1] != unwrapped.size() - header) {
    return InCommand(number, "the carried frame's byte count says " + std::to_string(unwrapped[header - 1]) + ", " +
                                 std::to_string(unwrapped.size() - header) + " bytes follow");
  }
  Bytes whole(unwrapped.begin(), unwrapped.end());
  whole.push_back(CheckByte(unwrapped));
  const DecodeResult decoded = DecodeFrame(whole);
  if (!decoded) return InCommand(number, std::string("the carried frame: ") + decoded.description());
  if (decoded.frame.type != type) {
    return InCommand(number,
                     type == FrameType::Request ? "the carried frame is no request" : "the carried frame is no reply");
  }
  return whole;
}

}  // namespace

Bytes EncodeIoSystemCapabilities(const IoSystemCapabilities& capabilities) {
  Record record;
  record.set("max I/O cards", std::uint32_t{capabilities.maxCards})
      .set("max channels per card", std::uint32_t{capabilities.maxChannelsPerCard})
      .set("max sub-devices per channel", std::uint32_t{capabilities.maxSubDevicesPerChannel})
      .set("devices detected", std::uint32_t{capabilities.devicesDetected})
      .set("max delayed responses", std::uint32_t{capabilities.maxDelayedResponses})
      .set("master mode", std::uint32_t{capabilities.masterMode})
      .set("retry count", std::uint32_t{capabilities.retryCount});
  return EncodeReply(kReadIoSystemCapabilities, record).value();  // every field fits its bytes
}

Result<IoSystemCapabilities> DecodeIoSystemCapabilities(ByteView data) {
  const Result<Record> record = ParseReply(kReadIoSystemCapabilities, ReplyStatus{}, data);
  if (!record) return record.error();
  IoSystemCapabilities capabilities;
  capabilities.maxCards = Byte(*record, "max I/O cards");
  capabilities.maxChannelsPerCard = Byte(*record, "max channels per card");
  capabilities.maxSubDevicesPerChannel = Byte(*record, "max sub-devices per channel");
  capabilities.devicesDetected = Word(*record, "devices detected");
  capabilities.maxDelayedResponses = Byte(*record, "max delayed responses");
  capabilities.masterMode = Byte(*record, "master mode");
  capabilities.retryCount = Byte(*record, "retry count");
  return capabilities;
}

Address SubDeviceIdentity::address() const {
  return Address::Unique({static_cast<std::uint8_t>(expandedDeviceType >> 8U),
                          static_cast<std::uint8_t>(expandedDeviceType), static_cast<std::uint8_t>(deviceId >> 16U),
                          static_cast<std::uint8_t>(deviceId >> 8U), static_cast<std::uint8_t>(deviceId)});
}

Bytes EncodeSubDeviceIndex(std::uint16_t index) {
  return BuildRequest(kReadSubDeviceIdentity, {{"sub-device index", std::uint32_t{index}}}).value();
}

Result<std::uint16_t> DecodeSubDeviceIndex(ByteView data) {
  const Result<Record> record = DecodeFields(FindCommand(kReadSubDeviceIdentity)->request, data);
  if (!record) return InCommand(kReadSubDeviceIdentity, "request " + record.error().message);
  return Word(*record, "sub-device index");
}

Result<Bytes> EncodeSubDeviceIdentity(const SubDeviceIdentity& identity) {
  Record record;
  record.set("sub-device index", std::uint32_t{identity.index})
      .set("card", std::uint32_t{identity.route.card})
      .set("channel", std::uint32_t{identity.route.channel})
      .set("manufacturer", std::uint32_t{identity.manufacturer})
      .set("expanded device type", std::uint32_t{identity.expandedDeviceType})
      .set("device id", identity.deviceId)
      .set("universal revision", std::uint32_t{identity.universalRevision})
      .set("long tag", identity.longTag)
      .set("device revision", std::uint32_t{identity.deviceRevision})
      .set("device profile", std::uint32_t{identity.deviceProfile})
      .set("private label distributor", std::uint32_t{identity.privateLabel});
  return EncodeReply(kReadSubDeviceIdentity, record);
}

Result<SubDeviceIdentity> DecodeSubDeviceIdentity(ByteView data) {
  const Result<Record> record = ParseReply(kReadSubDeviceIdentity, ReplyStatus{}, data);
  if (!record) return record.error();
  SubDeviceIdentity identity;
  identity.index = Word(*record, "sub-device index");
  identity.route = {Byte(*record, "card"), Byte(*record, "channel")};
  identity.manufacturer = Word(*record, "manufacturer");
  identity.expandedDeviceType = Word(*record, "expanded device type");
  identity.deviceId = record->number("device id").value();
  identity.universalRevision = Byte(*record, "universal revision");
  identity.longTag = record->text("long tag").value();
  identity.deviceRevision = Byte(*record, "device revision");
  identity.deviceProfile = Byte(*record, "device profile");
  identity.privateLabel = Word(*record, "private label distributor");
  return identity;
}

Result<Bytes> EncodeSubDeviceRequest(SubDeviceRoute route, std::uint8_t preambles, const Frame& frame) {
  Bytes out{route.card, route.channel, preambles};
  const Result<std::size_t> encoded = EncodeFrame(frame, 0, out);
  if (!encoded) return InCommand(kSendToSubDevice, "the carried frame: " + encoded.error().message);
  out.pop_back();  // the I/O system adds the check byte on the sub-device's line
  if (out.size() > kLargestDataField) return InCommand(kSendToSubDevice, "the carried frame is too long");
  return out;
}

Result<SubDeviceRequest> DecodeSubDeviceRequest(ByteView data) {
  constexpr std::size_t kHead = kRouteSize + 1;
  if (data.size() < kHead) return InCommand(kSendToSubDevice, "request ends before the carried frame");
  Result<Bytes> whole = Whole(kSendToSubDevice, data.subspan(kHead), FrameType::Request);
  if (!whole) return whole.error();
  return SubDeviceRequest{{data[0], data[1]}, data[2], std::move(whole).value()};
}

Result<Bytes> EncodeSubDeviceReply(SubDeviceRoute route, ByteView wholeReplyFrame) {
  const DecodeResult decoded = DecodeFrame(wholeReplyFrame);
  if (!decoded) return InCommand(kSendToSubDevice, std::string("the sub-device's reply: ") + decoded.description());
  if (kRouteSize + wholeReplyFrame.size() - 1 > kLargestDataField - kStatusSize) {
    return InCommand(kSendToSubDevice, "the sub-device's reply is too long to carry");
  }
  Bytes out{route.card, route.channel};
  out.insert(out.end(), wholeReplyFrame.begin(), wholeReplyFrame.end() - 1);
  return out;
}

Result<SubDeviceReply> DecodeSubDeviceReply(ByteView data) {
  if (data.size() < kRouteSize) return InCommand(kSendToSubDevice, "reply ends before the carried frame");
  Result<Bytes> whole = Whole(kSendToSubDevice, data.subspan(kRouteSize), FrameType::Reply);
  if (!whole) return whole.error();
  return SubDeviceReply{{data[0], data[1]}, std::move(whole).value()};
}

}  // namespace zolin6::hart
