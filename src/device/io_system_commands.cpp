// The I/O system's own commands: who it is (0, 11, 12, 13, 20, 21, 48),
// what it holds (74), who is behind it (84), a poll of a channel (75) and a
// frame carried to a sub-device and back (77). Replies are written through
// the command tables, so each layout is written once.

#include <string>

#include "device/io_system.h"
#include "hart/command_numbers.h"
#include "hart/field_codec.h"
#include "hart/layout.h"

namespace zolin6::device {

namespace {

// Who the I/O system is.
constexpr const char* kTag = "IOS-1";
constexpr const char* kLongTag = "ZOLIN-6 I/O SYSTEM";
constexpr const char* kDescriptor = "HART I/O SYSTEM";
constexpr const char* kMessage = "SIMULATED I/O SYSTEM";
constexpr hart::Date kDate{1, 9, 2026};
constexpr std::uint32_t kUniversalRevision = 7;
constexpr std::uint32_t kDeviceRevision = 1;
constexpr std::uint32_t kSoftwareRevision = 1;
constexpr std::uint32_t kHardwareRevision = 0x08;  // revision 1, Bell 202 current
constexpr std::uint32_t kProtocolBridge = 0x04;    // command 0's flags: it has devices behind it
constexpr std::uint32_t kPreambles = 5;
constexpr std::uint32_t kProcessAutomationProfile = 1;
constexpr std::size_t kRouteSize = 2;
constexpr std::size_t kCarryHead = kRouteSize + 1;  // route and preambles before the carried frame

constexpr std::uint16_t kReadMessage = 12;

// The reply's fields through the command's table; our own values always fit.
hart::Bytes Fields(std::uint16_t command, const hart::Record& record) {
  Result<hart::Bytes> data = hart::EncodeFields(hart::FindCommand(command)->reply, record);
  return data ? std::move(data).value() : hart::Bytes{};
}

// The request's fields through the command's table; nullopt when too few bytes came.
std::optional<hart::Record> Asked(std::uint16_t command, hart::ByteView data) {
  Result<hart::Record> record = hart::DecodeFields(hart::FindCommand(command)->request, data);
  if (!record) return std::nullopt;
  return std::move(record).value();
}

hart::Bytes Identifier() {
  hart::Record r;
  r.set("expansion code", 254U)
      .set("expanded device type", static_cast<std::uint32_t>(kIoSystemDeviceType))
      .set("request preambles", kPreambles)
      .set("universal revision", kUniversalRevision)
      .set("device revision", kDeviceRevision)
      .set("software revision", kSoftwareRevision)
      .set("hardware revision and signalling", kHardwareRevision)
      .set("flags", kProtocolBridge)
      .set("device id", std::uint32_t{kIoSystemDeviceId})
      .set("response preambles", kPreambles)
      .set("last device variable", 0U)
      .set("configuration change counter", 0U)
      .set("extended device status", 0U)
      .set("manufacturer", static_cast<std::uint32_t>(Identification{}.manufacturerId))
      .set("private label distributor", static_cast<std::uint32_t>(Identification{}.manufacturerId))
      .set("device profile", kProcessAutomationProfile);
  return Fields(hart::kReadUniqueIdentifier, r);
}

hart::Bytes NoAdditionalStatus() {
  hart::Record r;
  r.set("device-specific status", hart::Bytes(6, 0));
  for (const char* field :
       {"extended device status", "operating mode", "standardized status 0", "standardized status 1",
        "analog channel saturated", "standardized status 2", "standardized status 3", "analog channel fixed"}) {
    r.set(field, 0U);
  }
  return Fields(hart::kReadAdditionalStatus, r);
}

// Whether the asked tag (11) or long tag (21) is ours, blanks aside.
bool Named(std::uint16_t command, hart::ByteView data, const std::string& ours) {
  const std::optional<hart::Record> asked = Asked(command, data);
  if (!asked) return false;
  std::string text = asked->text(command == hart::kReadUniqueIdentifierByTag ? "tag" : "long tag").value();
  text.erase(text.find_last_not_of(' ') + 1);
  return text == ours;
}

// Command 77's data ends before its carried frame's header and data do.
bool CutShort(hart::ByteView data) {
  if (data.size() <= kCarryHead) return true;
  const std::size_t header = hart::HeaderSize(data[kCarryHead]);
  if (header == 0) return false;
  return data.size() < kCarryHead + header || data.size() < kCarryHead + header + data[kCarryHead + header - 1];
}

}  // namespace

std::optional<std::uint8_t> IoSystem::handle(const hart::Frame& request, Millis now, hart::Bytes& data) {
  switch (request.command) {
    case hart::kReadUniqueIdentifier: data = Identifier(); return code::kOk;
    case hart::kReadUniqueIdentifierByTag:
    case hart::kReadUniqueIdentifierByLongTag:
      if (!Named(request.command, request.data, request.command == hart::kReadUniqueIdentifierByTag ? kTag : kLongTag))
        return std::nullopt;
      data = Identifier();
      return code::kOk;
    case kReadMessage: data = Fields(kReadMessage, {{"message", std::string(kMessage)}}); return code::kOk;
    case hart::kReadTag:
      data = Fields(hart::kReadTag,
                    {{"tag", std::string(kTag)}, {"descriptor", std::string(kDescriptor)}, {"date", kDate}});
      return code::kOk;
    case hart::kReadLongTag: data = Fields(hart::kReadLongTag, {{"long tag", std::string(kLongTag)}}); return code::kOk;
    case hart::kReadAdditionalStatus: data = NoAdditionalStatus(); return code::kOk;
    case hart::kReadIoSystemCapabilities: data = hart::EncodeIoSystemCapabilities(capabilities()); return code::kOk;
    case hart::kPollSubDevice: return poll(request.data, now, data);
    case hart::kSendToSubDevice:
      if (routing_ == SubDeviceRouting::Direct) return code::kNotImplemented;
      return carry(request.data, now, data);
    case hart::kReadSubDeviceIdentity: return summary(request.data, data);
    default: return code::kNotImplemented;
  }
}

std::optional<hart::SubDeviceIdentity> IoSystem::identity(int index) const {
  if (index < 0 || index > subDeviceCount()) return std::nullopt;
  hart::SubDeviceIdentity identity;
  identity.index = static_cast<std::uint16_t>(index);
  identity.route = RouteOf(index);
  if (index == 0) {
    identity.manufacturer = static_cast<std::uint16_t>(Identification{}.manufacturerId);
    identity.expandedDeviceType = static_cast<std::uint16_t>(kIoSystemDeviceType);
    identity.deviceId = kIoSystemDeviceId;
    identity.universalRevision = kUniversalRevision;
    identity.longTag = kLongTag;
    identity.deviceRevision = kDeviceRevision;
    identity.deviceProfile = kProcessAutomationProfile;
    identity.privateLabel = identity.manufacturer;
    return identity;
  }
  const Identification& id = subDevice(index).state().identification;
  identity.manufacturer = static_cast<std::uint16_t>(id.manufacturerId);
  identity.expandedDeviceType = static_cast<std::uint16_t>(id.deviceType);
  identity.deviceId = id.serialNumber;
  identity.universalRevision = static_cast<std::uint8_t>(id.universalRevision);
  identity.longTag = id.longTag;
  identity.deviceRevision = static_cast<std::uint8_t>(id.transmitterRevision);
  identity.deviceProfile = static_cast<std::uint8_t>(id.deviceProfile);
  identity.privateLabel = static_cast<std::uint16_t>(id.privateLabel);
  return identity;
}

std::uint8_t IoSystem::summary(hart::ByteView request, hart::Bytes& data) const {
  const Result<std::uint16_t> index = hart::DecodeSubDeviceIndex(request);
  if (!index) return code::kTooFewBytes;
  const std::optional<hart::SubDeviceIdentity> found = identity(*index);
  if (!found) return code::kInvalidSelection;
  Result<hart::Bytes> encoded = hart::EncodeSubDeviceIdentity(*found);
  if (!encoded) return io_code::kReplyTooLong;
  data = std::move(encoded).value();
  return code::kOk;
}

// Command 0 at the polling address on the card's channel, as the I/O
// system's own master asks it.
std::uint8_t IoSystem::poll(hart::ByteView request, Millis now, hart::Bytes& data) {
  const std::optional<hart::Record> asked = Asked(hart::kPollSubDevice, request);
  if (!asked) return code::kTooFewBytes;
  const hart::SubDeviceRoute route{request[0], request[1]};
  HartDevice* device = at(route);
  if (device == nullptr) return code::kInvalidSelection;
  hart::Frame frame;
  frame.address = hart::Address::Polling(request[2]);
  frame.command = hart::kReadUniqueIdentifier;
  const std::optional<Reply> reply =
      request[2] <= hart::kLargestPollingAddress ? device->Answer(frame, now) : std::nullopt;
  if (!reply) return io_code::kSubDeviceSilent;
  data = reply->data;
  return reply->status.first;
}

std::uint8_t IoSystem::carry(hart::ByteView request, Millis now, hart::Bytes& data) {
  if (CutShort(request)) return code::kTooFewBytes;
  const Result<hart::SubDeviceRequest> asked = hart::DecodeSubDeviceRequest(request);
  if (!asked) return code::kInvalidSelection;
  HartDevice* device = at(asked->route);
  if (device == nullptr) return code::kInvalidSelection;
  const hart::DecodeResult frame = hart::DecodeFrame(asked->frame);
  const std::optional<Reply> reply = frame ? device->Answer(frame.frame, now) : std::nullopt;
  if (!reply) return io_code::kSubDeviceSilent;
  Result<hart::Bytes> carried = hart::EncodeSubDeviceReply(asked->route, HartDevice::EncodeWhole(*reply));
  if (!carried) return io_code::kReplyTooLong;
  data = std::move(carried).value();
  return code::kOk;
}

}  // namespace zolin6::device
