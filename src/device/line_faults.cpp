#include "device/line_faults.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "hart/frame.h"

namespace zolin6::device {

namespace {

constexpr std::string_view kForm = "drop=P,corrupt=P[,delay=MS][,seed=N]";

Error Wrong(std::string_view part, std::string_view why) {
  return Error{"--faults " + std::string(part) + ": " + std::string(why)};
}

// The whole of `text` as a number of type T, or nothing.
template <class T>
bool ParseWhole(std::string_view text, T& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc{} && stop == end && !text.empty();
}

struct Seen {
  bool drop = false;
  bool corrupt = false;
  bool delay = false;
  bool seed = false;
};

// One NAME=VALUE part into `rates`; `seen` catches a name given twice.
Result<bool> ParsePart(std::string_view part, FaultRates& rates, Seen& seen) {
  const std::size_t equals = part.find('=');
  if (equals == std::string_view::npos) return Wrong(part, "write NAME=VALUE, as in " + std::string(kForm));
  const std::string_view name = part.substr(0, equals);
  const std::string_view value = part.substr(equals + 1);
  auto once = [&](bool& flag) {
    const bool first = !flag;
    flag = true;
    return first;
  };
  if (name == "drop" || name == "corrupt") {
    if (!once(name == "drop" ? seen.drop : seen.corrupt)) return Wrong(part, std::string(name) + " is given twice");
    double share = 0;
    if (!ParseWhole(value, share) || !(share >= 0 && share <= 1)) {
      return Wrong(part, "a share is a number from 0 to 1");
    }
    (name == "drop" ? rates.drop : rates.corrupt) = share;
  } else if (name == "delay") {
    if (!once(seen.delay)) return Wrong(part, "delay is given twice");
    if (!ParseWhole(value, rates.delay) || rates.delay < 0 || rates.delay > kLongestFaultDelay) {
      return Wrong(part, "the delay is a whole number of milliseconds from 0 to 60000");
    }
  } else if (name == "seed") {
    if (!once(seen.seed)) return Wrong(part, "seed is given twice");
    if (!ParseWhole(value, rates.seed)) return Wrong(part, "the seed is a whole number from 0 to 2^64 - 1");
  } else {
    return Wrong(part, "unknown fault " + std::string(name) + "; the faults are drop, corrupt, delay and seed");
  }
  return true;
}

}  // namespace

Result<FaultRates> ParseFaultRates(std::string_view text) {
  if (text.empty()) return Error{"--faults: nothing given; write " + std::string(kForm)};
  FaultRates rates;
  Seen seen;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view part = text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (part.empty()) return Error{"--faults " + std::string(text) + ": an empty part; write " + std::string(kForm)};
    if (Result<bool> parsed = ParsePart(part, rates, seen); !parsed) return parsed.error();
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (rates.drop + rates.corrupt > 1) {
    return Error{"--faults " + std::string(text) + ": drop and corrupt together are more than every reply"};
  }
  return rates;
}

LineFaults::LineFaults(const FaultRates& rates) : rates_(rates), random_(rates.seed) {}

FaultDecision LineFaults::next(std::size_t frameSize) {
  FaultDecision decision;
  decision.delay = rates_.delay;
  // One draw splits every frame three ways: dropped, corrupted or whole, so
  // each share is of all replies.
  const double draw = std::uniform_real_distribution<double>(0, 1)(random_);
  if (draw < rates_.drop) {
    decision.drop = true;
  } else if (draw < rates_.drop + rates_.corrupt && frameSize > 0) {
    decision.corruptAt = std::uniform_int_distribution<std::size_t>(0, frameSize - 1)(random_);
    decision.mask = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 0xFF)(random_));
  }
  return decision;
}

bool ApplyFault(const FaultDecision& decision, hart::Bytes& frame) {
  if (decision.drop) return false;
  if (decision.mask != 0 && decision.corruptAt < frame.size()) frame[decision.corruptAt] ^= decision.mask;
  return true;
}

std::optional<Millis> ApplyToSerialReply(LineFaults& faults, hart::Bytes& reply) {
  const auto frame = std::find_if(reply.begin(), reply.end(), [](std::uint8_t b) { return b != hart::kPreamble; });
  const auto preambles = static_cast<std::size_t>(frame - reply.begin());
  FaultDecision decision = faults.next(reply.size() - preambles);
  decision.corruptAt += preambles;
  if (!ApplyFault(decision, reply)) return std::nullopt;
  return decision.delay;
}

}  // namespace zolin6::device
