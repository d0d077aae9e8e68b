#pragma once
// What the HART-IP server answers one session, without sockets: the
// session initiate with the version and timer it grants, keep-alive,
// close, and pass-through to the shared HART device. A request that breaks
// the rules ends the session, and nothing else. Command 533 in a
// pass-through is the server's own: it subscribes the session to what the
// device publishes, which then reaches it as publish messages numbered by
// the session's own count from 1. A device with keys grants version 2:
// its answer to the initiate goes in plain text, then TLS runs on the
// connection before anything else is read. A secure session may read the
// server's audit log (ID 5); in a plain one that request ends it.

#include <cstdint>
#include <optional>
#include <string>

#include "device/hart_device.h"
#include "hart/hart_ip.h"
#include "hart/hart_ip_audit.h"
#include "platform/toolkit/clock.h"
#include "transport/session_audit.h"

namespace zolin6::transport {

// Timers below this are too short to keep a session alive over a network.
inline constexpr std::uint32_t kMinInactivityMs = 1000;
// What a session gets that asked too little.
inline constexpr std::uint32_t kDefaultInactivityMs = 90000;
// An hour: longer would keep a vanished client's session for good.
inline constexpr std::uint32_t kMaxInactivityMs = 3600000;
// A connection that has not initiated a session is dropped after this long.
inline constexpr std::uint32_t kUninitiatedTimeoutMs = 10000;

struct ServerAnswer {
  std::optional<hart::ip::Message> reply;  // nothing for a silent device or a request not worth an answer
  bool endSession = false;                 // after the reply, if any
  std::string why;                         // why the session ends
  hart::ip::SessionEnd endedBy = hart::ip::SessionEnd::MalformedMessage;  // as the audit log tells it
  bool startSecurity = false;  // after the reply: TLS on the connection, before anything else
};

class ServerSession {
 public:
  // `audit`: the log a secure session may read; none answers no session.
  explicit ServerSession(device::ServedDevice& device, hart::ip::Security security = hart::ip::Security::PlainOnly,
                         const SessionAudit* audit = nullptr)
      : device_(device), security_(security), audit_(audit) {}

  // `full`: no further session may be opened now.
  ServerAnswer handle(const hart::ip::Message& request, toolkit::Millis now, bool full = false);
  bool initiated() const { return initiated_; }
  // The HART-IP version the session runs at, once initiated.
  std::uint8_t version() const { return version_; }
  bool secure() const { return initiated_ && version_ >= hart::ip::kSecureVersion; }
  // How long the session may stay quiet before it is closed.
  std::uint32_t inactivityMs() const { return initiated_ ? inactivityMs_ : kUninitiatedTimeoutMs; }
  // The publish message of a burst frame (from its delimiter) for this
  // session, or nullopt when it has not subscribed to the device's process data.
  std::optional<hart::ip::Message> publish(hart::ByteView burstFrame);

 private:
  ServerAnswer initiate(const hart::ip::Message& request, bool full);
  ServerAnswer passThrough(const hart::ip::Message& request, toolkit::Millis now);
  ServerAnswer directPdu(const hart::ip::Message& request, toolkit::Millis now);
  ServerAnswer readAuditLog(const hart::ip::Message& request);
  ServerAnswer subscribe(const hart::ip::Message& request, const hart::Frame& frame);
  // Command 533's response code; 0 when the subscription was taken.
  std::uint8_t takeSubscription(hart::ByteView data);
  ServerAnswer reply(const hart::ip::Message& request, hart::Bytes body = {},
                     std::uint8_t code = hart::ip::status::kSuccess) const;

  device::ServedDevice& device_;
  hart::ip::Security security_;
  const SessionAudit* audit_;
  bool initiated_ = false;
  std::uint8_t version_ = hart::ip::kVersion;
  std::uint32_t inactivityMs_ = kDefaultInactivityMs;
  // The initiate that opened the session and its answer: a UDP client
  // whose answer was lost sends the same initiate again and gets the same.
  std::uint16_t initiateSequence_ = 0;
  std::optional<hart::ip::Message> initiateAnswer_;
  bool subscribed_ = false;
  std::uint16_t publishSequence_ = 0;  // of the last publish message
};

}  // namespace zolin6::transport
