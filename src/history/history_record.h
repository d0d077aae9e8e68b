#pragma once
// One change the product made to a device, as the device history keeps it.

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace zolin6::history {

// Which device a record is about, as last read from it.
struct DeviceIdentity {
  std::string tag;           // the HART tag (short tag), blanks trimmed
  std::string manufacturer;  // manufacturer id, decimal
  std::string deviceType;    // device type, decimal
  std::string deviceId;      // device serial number, decimal

  bool operator==(const DeviceIdentity&) const = default;
};

// A device as the plant list knows it, wherever it is reached: manufacturer
// id, expanded device type and device id (24 bits).
struct DeviceKey {
  std::uint16_t manufacturer = 0;
  std::uint16_t deviceType = 0;
  std::uint32_t deviceId = 0;

  auto operator<=>(const DeviceKey&) const = default;
};

// One value the operation changes, with the texts the page showed.
struct ValueChange {
  std::string name;    // what the page calls it ("Sensor 2 Upper Range Value")
  std::string before;  // as last read from the device; empty when never read
  std::string after;   // as sent

  bool operator==(const ValueChange&) const = default;
};

enum class Outcome {
  Pending,   // sent, no answer yet
  Accepted,  // the device answered without a response code
  Refused,   // the device answered with a response code (outcomeText says which)
  NoAnswer,  // no answer came (timed out, or the session ended first)
};

const char* OutcomeName(Outcome outcome);  // "pending", "accepted", "refused", "no answer"
bool ParseOutcome(const std::string& name, Outcome& outcome);

struct Record {
  std::int64_t id = 0;       // the store's id; 0 until stored
  std::string key;           // unique to the record, made when it is sent; the store keeps a key once
  std::int64_t timeUtc = 0;  // when it was sent, ms since 1970-01-01 UTC
  std::string user;          // the user's login name
  DeviceIdentity device;
  std::string page;       // the page on screen when it was sent
  std::string operation;  // "write", "copy to all channels", "unit change", ...
  std::string writeCode;  // the operation code sent
  std::vector<ValueChange> values;
  Outcome outcome = Outcome::Pending;
  std::string outcomeText;  // "accepted", the response-code texts, or "no answer"

  bool operator==(const Record&) const = default;
};

// The time in ISO 8601 with milliseconds, in UTC ("2026-03-01T08:15:00.250Z").
std::string IsoUtc(std::int64_t timeUtc);

}  // namespace zolin6::history
