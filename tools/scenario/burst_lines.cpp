// `burst on N CMD PERIOD_MS [VARIABLE...]` and `burst off N`: the simulated
// transmitter's burst message N (0 to 2) switched on with its command,
// update period and, for command 9, its device variables; or off. The
// trigger becomes continuous; what the device publishes shows as
// `published` events.

#include "device/burst_rules.h"
#include "device/device_variables.h"
#include "line_parser.h"
#include "scenario_lines.h"

namespace zolin6::scenario {

namespace {

constexpr const char* kUsage = "on N CMD PERIOD_MS [VARIABLE...] or off N";
constexpr std::size_t kOnArgs = 4;  // on, N, CMD, PERIOD_MS

// The device variable codes of command 9: up to eight, each 0 to 249;
// none keeps the message's own.
std::optional<std::array<int, device::kBurstSlots>> ParseVariables(const std::vector<std::string>& args,
                                                                   const std::array<int, device::kBurstSlots>& kept) {
  if (args.size() == kOnArgs) return kept;
  if (args.size() > kOnArgs + device::kBurstSlots) return std::nullopt;
  std::array<int, device::kBurstSlots> codes{};
  codes.fill(device::kNotUsed);
  for (std::size_t i = kOnArgs; i < args.size(); ++i) {
    const std::optional<long long> code = ParseInteger(args[i]);
    if (!code || *code < 0 || *code >= device::kNotUsed) return std::nullopt;
    codes[i - kOnArgs] = static_cast<int>(*code);
  }
  return codes;
}

}  // namespace

std::string ScenarioLines::Burst(const Args& args) {
  const bool on = args.size() >= kOnArgs && args[0] == "on";
  if (!on && (args.size() != 2 || args[0] != "off")) return Mismatch("burst", kUsage);
  transport::SimulatedDevice* sim = host_.sim();
  if (sim == nullptr) return "no simulated transmitter: use `driver sim` or `driver hart` and `init` first";
  const std::optional<long long> number = ParseInteger(args[1]);
  if (!number || *number < 0 || *number >= device::kBurstMessages) return Mismatch("burst", "a message N from 0 to 2");
  device::BurstMessage& message = sim->transmitter().mutableState().bursts[static_cast<std::size_t>(*number)];
  if (!on) {
    message.control = 0;
    return "";
  }
  const std::optional<long long> command = ParseInteger(args[2]);
  if (!command || !device::IsBurstCommand(static_cast<int>(*command))) {
    return Mismatch("burst on", "a command CMD of 1, 2, 3, 9 or 48");
  }
  const std::optional<long long> period = ParseInteger(args[3]);
  constexpr long long kTicks = device::kBurstTicksPerMs;
  if (!period || *period < device::kShortestBurstPeriod / kTicks || *period > device::kLongestBurstPeriod / kTicks) {
    return Mismatch("burst on", "a PERIOD_MS from 250 to 3600000");
  }
  const auto variables = ParseVariables(args, message.variables);
  if (!variables || (*command != 9 && args.size() > kOnArgs)) {
    return Mismatch("burst on", "up to eight VARIABLE codes below 250, for command 9 only");
  }
  const auto update = static_cast<std::uint32_t>(*period * kTicks);
  message = {1, static_cast<int>(*command), *variables, update, std::max(update, message.maxPeriod)};
  sim->link().WakeBursts();
  return "";
}

}  // namespace zolin6::scenario
