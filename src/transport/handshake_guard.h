#pragma once
// Keeps a secure device from being worn down by guessed keys: an address
// whose TLS handshakes fail again and again is refused for a while. It
// remembers a bounded number of addresses, so a flood from many addresses
// cannot use up memory: the one heard from longest ago is forgotten first.

#include <cstddef>
#include <map>
#include <string>

#include "platform/toolkit/clock.h"

namespace zolin6::transport {

// Failed handshakes an address may have within kHandshakeWindowMs before
// it is refused for kHandshakeRefusalMs: a technician mistyping a key gets
// a few tries, a key-guessing program a handful a minute.
inline constexpr int kHandshakeFailuresAllowed = 5;
inline constexpr toolkit::Millis kHandshakeWindowMs = 60000;
inline constexpr toolkit::Millis kHandshakeRefusalMs = 60000;
inline constexpr std::size_t kHandshakePeersKept = 1024;

class HandshakeGuard {
 public:
  // Whether a connection from `address` is refused at `now`.
  bool refuses(const std::string& address, toolkit::Millis now) const;
  void failed(const std::string& address, toolkit::Millis now);
  // A good handshake clears the address's record.
  void succeeded(const std::string& address) { peers_.erase(address); }
  std::size_t remembered() const { return peers_.size(); }

 private:
  struct Record {
    int failures = 0;
    toolkit::Millis windowStart = 0;
    toolkit::Millis refusedUntil = 0;
    toolkit::Millis lastFailure = 0;
  };
  void forgetStalest(toolkit::Millis now);

  std::map<std::string, Record> peers_;
};

}  // namespace zolin6::transport
