#include "device/io_system.h"

#include <algorithm>
#include <cstdio>

#include "hart/command_numbers.h"
#include "hart/receiver.h"

namespace zolin6::device {

namespace {

constexpr std::size_t kIoSystemPreambles = 5;

std::uint64_t Key(const hart::Address& address) {
  std::uint64_t key = 0;
  for (const std::uint8_t byte : address.unique) key = (key << 8U) | byte;
  return key;
}

bool IsBroadcast(const hart::Address& address) {
  return address.isLong && std::ranges::all_of(address.unique, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

struct IoSystem::SubDevice {
  SimulatedTransmitter transmitter;
  HartDevice device;

  SubDevice(const SubDeviceEntry& entry, int index, std::uint32_t firstDeviceId)
      : transmitter(kDefaultSeed + static_cast<std::uint32_t>(index)), device(transmitter) {
    Identification& id = transmitter.mutableState().identification;
    id.manufacturerId = entry.manufacturer;
    id.deviceType = entry.deviceType;
    id.privateLabel = entry.manufacturer;
    id.tag = entry.tag;
    id.longTag = entry.tag;
    id.serialNumber = firstDeviceId + static_cast<std::uint32_t>(index) - 1;
  }
};

std::vector<SubDeviceEntry> OurTransmitters(int count) {
  std::vector<SubDeviceEntry> devices(static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t i = 0; i < devices.size(); ++i) {
    char tag[32];
    std::snprintf(tag, sizeof tag, "TT-%03d", static_cast<int>(i) + 1);
    devices[i].tag = tag;
  }
  return devices;
}

IoSystem::IoSystem(const std::vector<SubDeviceEntry>& devices, SubDeviceRouting routing, std::uint32_t firstDeviceId)
    : routing_(routing) {
  subDevices_.reserve(devices.size());
  for (const SubDeviceEntry& entry : devices) {
    subDevices_.push_back(std::make_unique<SubDevice>(entry, static_cast<int>(subDevices_.size()) + 1, firstDeviceId));
    HartDevice& device = subDevices_.back()->device;
    byAddress_.emplace(Key(device.uniqueAddress()), &device);
  }
}

IoSystem::~IoSystem() = default;

hart::Address IoSystem::uniqueAddress() const {
  const auto type = static_cast<std::uint32_t>(kIoSystemDeviceType);
  return hart::Address::Unique(
      {static_cast<std::uint8_t>(type >> 8U), static_cast<std::uint8_t>(type), 0, 0, kIoSystemDeviceId});
}

HartDevice& IoSystem::subDevice(int index) { return subDevices_.at(static_cast<std::size_t>(index - 1))->device; }

const HartDevice& IoSystem::subDevice(int index) const {
  return subDevices_.at(static_cast<std::size_t>(index - 1))->device;
}

hart::SubDeviceRoute IoSystem::RouteOf(int index) {
  if (index == 0) return {kNoRoute, kNoRoute};
  return {static_cast<std::uint8_t>((index - 1) / kChannelsPerCard),
          static_cast<std::uint8_t>((index - 1) % kChannelsPerCard)};
}

HartDevice* IoSystem::at(hart::SubDeviceRoute route) {
  if (route.channel >= kChannelsPerCard) return nullptr;
  const int index = route.card * kChannelsPerCard + route.channel + 1;
  return index <= subDeviceCount() ? &subDevice(index) : nullptr;
}

hart::IoSystemCapabilities IoSystem::capabilities() const {
  hart::IoSystemCapabilities c;
  c.maxCards = static_cast<std::uint8_t>((subDeviceCount() + kChannelsPerCard - 1) / kChannelsPerCard);
  c.maxChannelsPerCard = kChannelsPerCard;
  c.maxSubDevicesPerChannel = 1;
  c.devicesDetected = static_cast<std::uint16_t>(subDeviceCount() + 1);
  c.maxDelayedResponses = 0;
  c.masterMode = 1;
  c.retryCount = 0;
  return c;
}

bool IoSystem::isForMe(const hart::Frame& request) const {
  if (!request.address.isLong) return request.command == hart::kReadUniqueIdentifier && request.address.polling == 0;
  if (request.address.sameDevice(uniqueAddress())) return true;
  return IsBroadcast(request.address) && (request.command == hart::kReadUniqueIdentifierByTag ||
                                          request.command == hart::kReadUniqueIdentifierByLongTag);
}

std::optional<IoSystem::Answered> IoSystem::answer(const hart::Frame& request, Millis now) {
  if (request.type != hart::FrameType::Request) return std::nullopt;
  if (isForMe(request)) {
    std::optional<Reply> reply = own(request, now);
    if (!reply) return std::nullopt;
    return Answered{std::move(*reply), nullptr};
  }
  if (!request.address.isLong || routing_ == SubDeviceRouting::ThroughCommand) return std::nullopt;
  const auto found = byAddress_.find(Key(request.address));
  if (found == byAddress_.end()) return std::nullopt;
  std::optional<Reply> reply = found->second->Answer(request, now);
  if (!reply) return std::nullopt;
  return Answered{std::move(*reply), found->second};
}

std::optional<Reply> IoSystem::own(const hart::Frame& request, Millis now) {
  hart::Bytes data;
  const std::optional<std::uint8_t> code = handle(request, now, data);
  // Every device hears a broadcast: only the one whose tag matches answers.
  if (!code || (IsBroadcast(request.address) && *code != code::kOk)) return std::nullopt;
  Reply reply{request.address.isLong ? uniqueAddress() : request.address, request.command, {*code, 0}, {}};
  reply.address.primaryMaster = request.address.primaryMaster;
  reply.address.burstMode = false;
  if (!hart::IsErrorCode(*code)) reply.data = std::move(data);
  return reply;
}

std::optional<Reply> IoSystem::Answer(const hart::Frame& request, Millis now) {
  std::optional<Answered> answered = answer(request, now);
  if (!answered) return std::nullopt;
  return std::move(answered->reply);
}

hart::Bytes IoSystem::Receive(hart::ByteView frame, Millis now) {
  const hart::DecodeResult decoded = hart::DecodeFrame(frame);
  if (!decoded) return {};
  const std::optional<Reply> reply = Answer(decoded.frame, now);
  return reply ? HartDevice::EncodeWhole(*reply) : hart::Bytes{};
}

hart::Bytes IoSystem::ReceiveSerial(hart::ByteView line, Millis now) {
  hart::Receiver receiver;
  for (const std::uint8_t byte : line) {
    const hart::ReceiveEvent event = receiver.push(byte);
    if (event.kind != hart::ReceiveKind::Frame) continue;
    const std::optional<Answered> answered = answer(event.frame, now);
    if (!answered) return {};
    if (answered->by != nullptr) return answered->by->EncodeSerial(answered->reply);
    hart::Bytes out(kIoSystemPreambles, hart::kPreamble);
    const hart::Bytes frame = HartDevice::EncodeWhole(answered->reply);
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
  }
  return {};
}

}  // namespace zolin6::device
