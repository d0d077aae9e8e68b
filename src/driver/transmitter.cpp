#include "driver/transmitter.h"

#include <charconv>
#include <cstdint>

#include "driver/device_writes.h"

namespace zolin6::driver {

namespace {

constexpr std::int32_t kWriteNotification = 4000;
constexpr int kStatusRead = 25;

std::optional<int> OperationCode(const std::string& code) {
  std::uint16_t value = 0;  // unsigned: a sign makes the code unknown
  auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
  if (code.empty() || ec != std::errc() || end != code.data() + code.size()) return std::nullopt;
  return value;
}

}  // namespace

SimulatedTransmitter::SimulatedTransmitter(std::uint32_t seed, Millis restartTime)
    : state_(FactoryState()), process_(seed), restartTime_(restartTime) {}

Measurements SimulatedTransmitter::Measure(Millis now) {
  process_.AdvanceTo(now, state_);
  return process_.Measure(state_);
}

std::optional<Answer> SimulatedTransmitter::Read(const std::string& code, const RequestAttributes& attributes,
                                                 Millis now) {
  const std::optional<int> number = OperationCode(code);
  if (!number) return std::nullopt;
  const Measurements m = Measure(now);
  std::optional<std::string> document = ReadDocument(*number, attributes, state_, m);
  if (!document) return std::nullopt;
  // A cold start is reported once, with the first status read after it.
  if (*number == kStatusRead) state_.coldStart = false;
  return Answer{*number * 100, std::move(*document)};
}

Answer SimulatedTransmitter::Write(const std::string& code, const RequestAttributes& attributes, Millis now) {
  process_.AdvanceTo(now, state_);
  if (now < busyUntil_) return {kWriteNotification, ResponseDocument(kResponseBusy)};
  const std::optional<int> number = OperationCode(code);
  const WriteResult result =
      number ? ApplyWrite(*number, attributes, state_, process_) : WriteResult{kResponseNotImplemented, false};
  if (result.restart) busyUntil_ = now + restartTime_;
  return {kWriteNotification, ResponseDocument(result.responseCode)};
}

std::string SimulatedTransmitter::SetValue(const std::string& tag, const std::string& value, Millis now) {
  process_.AdvanceTo(now, state_);
  return SetDeviceValue(tag, value, state_, process_);
}

void SimulatedTransmitter::SetBroken(int channel, bool broken) {
  if (channel == 0) {
    process_.SetLocalBroken(broken);
  } else if (channel >= 1 && channel <= kChannels) {
    process_.SetBroken(channel - 1, broken);
  }
}

void SimulatedTransmitter::Replace(DeviceState state) {
  state_ = std::move(state);
  state_.coldStart = true;
  for (LoopOutput& output : state_.outputs) output.fixed = false;
}

}  // namespace zolin6::driver
