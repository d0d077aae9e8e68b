#pragma once
// The device's burst messages as the window's Burst Mode dialog shows and
// changes them: read with command 105, changed with commands 108 (the
// command), 107 (its variables), 103 (its period), 104 (its trigger) and
// 109 (on or off), each change one transaction. Builds the requests and
// reads the replies through the command tables; no I/O here.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/hart_operations.h"
#include "hart/master.h"
#include "platform/result.h"

namespace zolin6::desktop {

inline constexpr int kBurstMessageCount = 3;           // messages 0 to 2, the most a wired device offers
inline constexpr std::size_t kBurstSlotCount = 8;      // command 9's device variable slots
inline constexpr std::uint8_t kSlotNotUsed = 250;      // a slot that names no variable
inline constexpr std::uint32_t kBurstTicksPerMs = 32;  // periods travel in 1/32 ms
// The periods offered; the device says which it keeps.
inline constexpr double kShortestBurstPeriodS = 0.1;
inline constexpr double kLongestBurstPeriodS = 3600.0;  // an hour
// How long one transaction may take before the host gives up on it, ms:
// a 1200 baud line with its retries, behind a bursting device's turns.
inline constexpr int kBurstAnswerTimeoutMs = 10'000;

// 104's trigger modes, in their order on the wire.
enum class BurstTrigger : std::uint8_t { Continuous, Window, Rising, Falling, OnChange };
inline constexpr int kBurstTriggerCount = 5;
const char* TriggerName(BurstTrigger trigger);  // "continuous", "window", ...

struct BurstMessage {
  std::uint8_t number = 0;              // 0 to 2
  bool on = false;                      // published on the line
  std::uint16_t command = 9;            // 1, 2, 3, 9 or 48
  std::vector<std::uint8_t> variables;  // command 9's slots in use, in order
  std::uint32_t updatePeriod = 0;       // 1/32 ms, while the trigger holds
  std::uint32_t maximumPeriod = 0;      // 1/32 ms, whatever the trigger says
  BurstTrigger trigger = BurstTrigger::Continuous;
  std::uint8_t triggerClass = 0;             // classification of the level; 0 for continuous
  std::uint8_t triggerUnits = kSlotNotUsed;  // units of the level
  float triggerLevel = 0;
  bool operator==(const BurstMessage&) const = default;
};

// The commands a message may publish.
inline constexpr std::array<std::uint16_t, 5> kBurstCommands{1, 2, 3, 9, 48};

// Command 105 for message `number`.
driver::HartRequest ReadBurstMessage(std::uint8_t number);
// Message `number` from command 105's completion; fails saying why (no
// reply, refused, too short).
Result<BurstMessage> ParseBurstMessage(std::uint8_t number, const hart::Completion& completion);

// One transaction that changes one setting, with what it changes in words.
struct BurstChange {
  driver::HartRequest request;
  std::string name;    // "Burst message 1 command"
  std::string before;  // as read
  std::string after;   // as sent
};

// The transactions that take message `was` to `wanted`, in the order the
// device takes them: switched off first, on last, the command before its
// variables and trigger.
std::vector<BurstChange> ChangesBetween(const BurstMessage& was, const BurstMessage& wanted);

// What the device's response code to `command` means here, in words;
// empty for 0.
std::string BurstResponseText(std::uint16_t command, std::uint8_t code);
// The device's answer to a change in words: "accepted", what it adjusted
// (with the period it keeps), why it refused, or that no answer came.
std::string BurstAnswerText(const hart::Completion& completion);
// Whether `code` still carried the change out (8: with values the device adjusted).
bool BurstChangeTaken(std::uint8_t code);

// Device variable codes separated by blanks or commas, at most eight, each
// below 250; none when the text is not that.
std::optional<std::vector<std::uint8_t>> ParseBurstVariables(std::string_view text);
// The codes as ParseBurstVariables reads them ("0 1 2").
std::string BurstVariablesText(const std::vector<std::uint8_t>& codes);
// One message in a line: "on, command 9 (variables 0 1), every 0.5 s, at
// most every 1 s, continuous".
std::string DescribeBurstMessage(const BurstMessage& message);

// A period in 1/32 ms as seconds.
double PeriodSeconds(std::uint32_t ticks);
std::uint32_t PeriodTicks(double seconds);

}  // namespace zolin6::desktop
