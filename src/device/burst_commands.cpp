// Burst mode settings: the period (103), the trigger (104), reading a
// message's configuration (105), the variables of command 9's message
// (107), the command published (108) and switching a message on or off
// (109). What the device publishes from them is burst_publisher.h's.

#include <algorithm>

#include "device/burst_rules.h"
#include "device/command_table.h"
#include "device/device_variables.h"

namespace zolin6::device {

namespace {

constexpr std::size_t kLegacySlots = 4;  // 107 from an older host: up to four codes, message 0
constexpr std::size_t kFullSlotsRequest = kBurstSlots + 1;
constexpr std::uint8_t kHighestControl = 1;  // 0 off, 1 on this wired line; 2-4 are wireless

// The message named at `at`, or nullptr when there is no such message.
BurstMessage* MessageAt(Exchange& x, std::size_t at) {
  const std::uint32_t number = at < x.request.size() ? x.u8(at) : 0;
  return number < kBurstMessages ? &x.state.bursts[number] : nullptr;
}

void PutMessage(Exchange& x, const BurstMessage& m, std::uint8_t number) {
  x.put8(static_cast<std::uint32_t>(m.control));
  x.put8(static_cast<std::uint32_t>(m.command));  // every burst command fits the older one-byte form
  for (const int code : m.variables) x.put8(static_cast<std::uint32_t>(code));
  x.put8(number);
  x.put8(kBurstMessages);
  x.put16(static_cast<std::uint32_t>(m.command));
  x.put32(m.updatePeriod);
  x.put32(m.maxPeriod);
  x.put8(static_cast<std::uint32_t>(m.triggerMode));
  x.put8(static_cast<std::uint32_t>(m.triggerClass));
  x.put8(static_cast<std::uint32_t>(m.triggerUnits));
  x.putF(m.triggerLevel);
}

}  // namespace

std::uint8_t WriteBurstPeriod(Exchange& x) {
  BurstMessage* m = MessageAt(x, 0);
  if (m == nullptr) return code::kInvalidBurstMessage;
  const BurstPeriods asked{x.unsignedAt(1, 4), x.unsignedAt(5, 4)};
  const BurstPeriods kept = AdjustPeriods(asked);
  m->updatePeriod = kept.update;
  m->maxPeriod = kept.maximum;
  x.put8(x.u8(0));
  x.put32(kept.update);
  x.put32(kept.maximum);
  return kept == asked ? code::kOk : code::kAdjusted;
}

std::uint8_t WriteBurstTrigger(Exchange& x) {
  BurstMessage* m = MessageAt(x, 0);
  if (m == nullptr) return code::kInvalidBurstMessage;
  const BurstMessage asked{.triggerMode = static_cast<int>(x.u8(1)),
                           .triggerClass = static_cast<int>(x.u8(2)),
                           .triggerUnits = static_cast<int>(x.u8(3)),
                           .triggerLevel = x.f32(4)};
  if (!TriggerFitsCommand(asked.triggerMode, m->command)) return code::kTriggerNotAllowed;
  if (asked.triggerMode != kTriggerContinuous && asked.triggerMode != kTriggerOnChange) {
    if (asked.triggerClass != kTemperatureClass) return code::kBadTriggerClass;
    if (!IsTemperatureUnit(asked.triggerUnits)) return code::kBadTriggerUnits;
    if (!Finite(asked.triggerLevel)) return code::kInvalidSelection;
  }
  m->triggerMode = asked.triggerMode;
  m->triggerClass = asked.triggerClass;
  m->triggerUnits = asked.triggerUnits;
  m->triggerLevel = asked.triggerLevel;
  x.echo(8);
  return code::kOk;
}

// Without a message number: message 0, as an older host asks.
std::uint8_t ReadBurstConfiguration(Exchange& x) {
  const BurstMessage* m = MessageAt(x, 0);
  if (m == nullptr) return code::kInvalidBurstMessage;
  PutMessage(x, *m, x.request.empty() ? 0 : static_cast<std::uint8_t>(x.u8(0)));
  return code::kOk;
}

// The full form names eight slots and the message; an older host sends up
// to four codes for message 0, and the slots after them are not used.
std::uint8_t WriteBurstVariables(Exchange& x) {
  const bool legacy = x.request.size() <= kLegacySlots;
  if (!legacy && x.request.size() < kFullSlotsRequest) return code::kTooFewBytes;
  BurstMessage* m = legacy ? &x.state.bursts[0] : MessageAt(x, kBurstSlots);
  if (m == nullptr) return code::kInvalidBurstMessage;
  const hart::ByteView codes = x.request.first(legacy ? x.request.size() : kBurstSlots);
  if (codes[0] == kNotUsed) return code::kFirstSlotUnused;
  for (const std::uint8_t c : codes) {
    if (c != kNotUsed && !FindVariable(c, x.state, x.measured).exists) return code::kInvalidSelection;
  }
  m->variables.fill(kNotUsed);
  std::ranges::copy(codes, m->variables.begin());
  x.echo(legacy ? codes.size() : kFullSlotsRequest);
  return code::kOk;
}

// An older host sends the command in one byte, for message 0.
std::uint8_t WriteBurstCommand(Exchange& x) {
  const bool legacy = x.request.size() == 1;
  if (!legacy && x.request.size() < 3) return code::kTooFewBytes;
  BurstMessage* m = legacy ? &x.state.bursts[0] : MessageAt(x, 2);
  if (m == nullptr) return code::kInvalidBurstMessage;
  const auto command = static_cast<int>(legacy ? x.u8(0) : x.unsignedAt(0, 2));
  if (!IsBurstCommand(command)) return code::kInvalidSelection;
  m->command = command;
  x.echo(legacy ? 1 : 3);
  if (TriggerFitsCommand(m->triggerMode, command)) return code::kOk;
  m->triggerMode = kTriggerContinuous;
  return code::kAdjusted;
}

std::uint8_t BurstModeControl(Exchange& x) {
  BurstMessage* m = MessageAt(x, 1);
  if (m == nullptr) return code::kInvalidBurstMessage;
  if (x.u8(0) > kHighestControl) return code::kInvalidSelection;
  m->control = static_cast<int>(x.u8(0));
  x.echo(std::min<std::size_t>(x.request.size(), 2));
  return code::kOk;
}

}  // namespace zolin6::device
