#include "transport/handshake_guard.h"

#include <algorithm>
#include <utility>

namespace zolin6::transport {

bool HandshakeGuard::refuses(const std::string& address, toolkit::Millis now) const {
  const auto found = peers_.find(address);
  return found != peers_.end() && now < found->second.refusedUntil;
}

void HandshakeGuard::failed(const std::string& address, toolkit::Millis now) {
  if (peers_.size() >= kHandshakePeersKept && peers_.count(address) == 0) forgetStalest(now);
  Record& record = peers_[address];
  if (record.failures == 0 || now - record.windowStart >= kHandshakeWindowMs) {
    record.failures = 0;
    record.windowStart = now;
  }
  record.lastFailure = now;
  if (++record.failures >= kHandshakeFailuresAllowed) {
    record.refusedUntil = now + kHandshakeRefusalMs;
    record.failures = 0;  // the next window starts after the refusal
  }
}

// Linear in the bound, and only when the bound is reached. A refused
// address goes last: forgetting it would lift its refusal.
void HandshakeGuard::forgetStalest(toolkit::Millis now) {
  const auto rank = [now](const auto& peer) {
    return std::pair{now < peer.second.refusedUntil, peer.second.lastFailure};
  };
  peers_.erase(std::ranges::min_element(peers_, [&](const auto& a, const auto& b) { return rank(a) < rank(b); }));
}

}  // namespace zolin6::transport
