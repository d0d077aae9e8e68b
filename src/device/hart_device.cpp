#include "device/hart_device.h"

#include <algorithm>

#include "device/burst_rules.h"
#include "device/change_counters.h"
#include "device/command_table.h"
#include "hart/command_numbers.h"
#include "hart/receiver.h"

namespace zolin6::device {

namespace {

bool IsBroadcast(const hart::Address& address) {
  return address.isLong && std::ranges::all_of(address.unique, [](std::uint8_t b) { return b == 0; });
}

hart::Bytes Encode(const Reply& reply, std::size_t preambles) {
  const hart::Frame frame{reply.type, reply.address, 0, {}, reply.command, reply.status, reply.data};
  hart::Bytes bytes;
  if (!hart::EncodeFrame(frame, preambles, bytes)) return {};
  return bytes;
}

bool IsThisTransmitter(const DeviceState& state) {
  const Identification ours;
  return state.identification.manufacturerId == ours.manufacturerId &&
         state.identification.deviceType == ours.deviceType;
}

}  // namespace

HartDevice::HartDevice(SimulatedTransmitter& transmitter) : transmitter_(transmitter) {}

hart::Address HartDevice::uniqueAddress() const {
  const Identification& id = transmitter_.state().identification;
  const auto type = static_cast<std::uint32_t>(id.deviceType);
  const std::uint32_t serial = id.serialNumber;
  return hart::Address::Unique({static_cast<std::uint8_t>(type >> 8U), static_cast<std::uint8_t>(type),
                                static_cast<std::uint8_t>(serial >> 16U), static_cast<std::uint8_t>(serial >> 8U),
                                static_cast<std::uint8_t>(serial)});
}

std::uint8_t HartDevice::pollingAddress() const {
  return static_cast<std::uint8_t>(transmitter_.state().identification.pollingAddress);
}

bool HartDevice::isForMe(const hart::Frame& request) const {
  if (request.type != hart::FrameType::Request) return false;
  if (!request.address.isLong) {
    return request.command == hart::kReadUniqueIdentifier && request.address.polling == pollingAddress();
  }
  if (request.address.sameDevice(uniqueAddress())) return true;
  return IsBroadcast(request.address) && (request.command == hart::kReadUniqueIdentifierByTag ||
                                          request.command == hart::kReadUniqueIdentifierByLongTag);
}

// Busy, then write protection, then too few bytes, before the command's own codes.
std::uint8_t HartDevice::sharedChecks(const CommandRow& row, hart::ByteView data, Millis now) const {
  if (row.access != Access::Read && transmitter_.Restarting(now)) return code::kBusy;
  const bool protectedNow = transmitter_.state().writeProtect != 0;
  // Protection can always be switched off again.
  const bool unprotects = row.access == Access::Unprotects && !data.empty() && data[0] == 0;
  if (protectedNow && (row.access == Access::Write || (row.access == Access::Unprotects && !unprotects))) {
    return code::kWriteProtected;
  }
  if (data.size() < row.requestSize) return code::kTooFewBytes;
  return code::kOk;
}

// Identifying the device reads no process value: command 0 leaves the
// process where it is, and its status byte tells of the last measurement.
Measurements HartDevice::measure(std::uint16_t command, Millis now) {
  return command == hart::kReadUniqueIdentifier ? transmitter_.LastMeasured() : transmitter_.Measure(now);
}

std::uint8_t HartDevice::statusByte(const Measurements& m) {
  const DeviceState& state = transmitter_.state();
  const bool news = StatusNews(BuildAdditionalStatus(state, m), primaryLastRead_);
  return BaseDeviceStatus(state, m) | (news ? hart::device_status::kMoreStatusAvailable : 0);
}

std::optional<Reply> HartDevice::Answer(const hart::Frame& request, Millis now) {
  if (!isForMe(request)) return std::nullopt;
  const Measurements measured = measure(request.command, now);
  DeviceState& state = transmitter_.mutableState();
  DeviceState next = state;
  Exchange x{request.data, next, measured, transmitter_.process(), now};
  // Given another maker's identity (a device state file can), the device
  // stands for another maker's HART device: it keeps the universal and
  // common-practice commands and knows none of this transmitter's own.
  const CommandRow* row = request.command >= hart::kFirstDeviceSpecificCommand && !IsThisTransmitter(state)
                              ? nullptr
                              : FindCommandRow(request.command);
  std::uint8_t response = row == nullptr ? code::kNotImplemented : sharedChecks(*row, request.data, now);
  if (row != nullptr && response == code::kOk) response = row->handler(x);
  // Every device hears a broadcast: only the one whose tag matches answers.
  if (x.silent || (IsBroadcast(request.address) && response != code::kOk)) return std::nullopt;
  // Periods or a trigger the device adjusted are kept as adjusted.
  const bool carriedOut = response == code::kOk || response == code::kAdjusted;
  if (carriedOut) {
    CountChanges(state, next);
    if (row->configurationChange) CountConfigurationChange(next);
    state = std::move(next);
  }
  const bool primary = request.address.primaryMaster;
  if (primary && request.command == hart::kReadAdditionalStatus && response == code::kOk) {
    std::ranges::copy_n(x.reply.begin(), static_cast<long>(primaryLastRead_.size()), primaryLastRead_.begin());
  }
  // A reply to the broadcast address names the device.
  Reply reply{request.address.isLong ? uniqueAddress() : request.address,
              request.command,
              {response, statusByte(measure(request.command, now))},
              {}};
  reply.address.primaryMaster = primary;
  // The burst bit tells the masters to leave the device its turns.
  reply.address.burstMode = std::ranges::any_of(state.bursts, [](const BurstMessage& m) { return m.control != 0; });
  if (!hart::IsErrorCode(response)) reply.data = std::move(x.reply);
  // A cold start is reported to the primary master once.
  if (primary) state.coldStart = false;
  if (x.restart && response == code::kOk) transmitter_.Restart(now);
  return reply;
}

hart::Bytes HartDevice::Receive(hart::ByteView frame, Millis now) {
  const hart::DecodeResult decoded = hart::DecodeFrame(frame);
  if (!decoded) return {};
  const std::optional<Reply> reply = Answer(decoded.frame, now);
  return reply ? Encode(*reply, 0) : hart::Bytes{};
}

hart::Bytes HartDevice::EncodeSerial(const Reply& reply) const {
  return Encode(reply, static_cast<std::size_t>(transmitter_.state().responsePreambles));
}

hart::Bytes HartDevice::EncodeWhole(const Reply& reply) { return Encode(reply, 0); }

Reply HartDevice::BurstReply(int message, Millis now) {
  const BurstMessage& m = transmitter_.state().bursts.at(static_cast<std::size_t>(message));
  const auto command = static_cast<std::uint16_t>(m.command);
  hart::Bytes codes;
  if (command == hart::kReadVariablesWithStatus) {
    for (const int c : m.variables) {
      if (c != kNotUsed) codes.push_back(static_cast<std::uint8_t>(c));
    }
  }
  const Measurements measured = transmitter_.Measure(now);
  DeviceState unchanged = transmitter_.state();
  Exchange x{codes, unchanged, measured, transmitter_.process(), now};
  const CommandRow* row = FindCommandRow(command);
  const std::uint8_t response = row != nullptr ? row->handler(x) : code::kNotImplemented;
  Reply reply{uniqueAddress(), command, {response, statusByte(measured)}, {}, hart::FrameType::Burst};
  reply.address.burstMode = true;
  if (!hart::IsErrorCode(response)) reply.data = std::move(x.reply);
  return reply;
}

std::optional<float> HartDevice::BurstTriggerValue(int message, Millis now) {
  const BurstMessage& m = transmitter_.state().bursts.at(static_cast<std::size_t>(message));
  const Measurements measured = transmitter_.Measure(now);
  const bool firstSlot = m.command == hart::kReadVariablesWithStatus && m.variables[0] != kNotUsed;
  const DeviceVariable v =
      FindVariable(static_cast<std::uint8_t>(firstSlot ? m.variables[0] : kPvCode), transmitter_.state(), measured);
  if (!v.value || !IsTemperatureUnit(v.units) || !IsTemperatureUnit(m.triggerUnits)) return v.value;
  return static_cast<float>(ConvertValue(*v.value, v.units, m.triggerUnits));
}

hart::Bytes HartDevice::ReceiveSerial(hart::ByteView line, Millis now) {
  hart::Receiver receiver;
  for (const std::uint8_t byte : line) {
    const hart::ReceiveEvent event = receiver.push(byte);
    if (event.kind != hart::ReceiveKind::Frame) continue;
    const std::optional<Reply> reply = Answer(event.frame, now);
    return reply ? Encode(*reply, static_cast<std::size_t>(transmitter_.state().responsePreambles)) : hart::Bytes{};
  }
  return {};
}

}  // namespace zolin6::device
