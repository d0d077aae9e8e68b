#pragma once
// HART-IP messages: the 8-byte header (version, message type,
// message id, status, sequence number and a byte count that includes the
// header), then the body. A UDP datagram carries one whole message; on TCP
// the stream assembler cuts messages out of whatever the reads deliver.
// No I/O: the client and server transports feed it bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "hart/bytes.h"
#include "platform/result.h"

namespace zolin6::hart::ip {

inline constexpr std::uint16_t kDefaultPort = 5094;
// The plain-text version, and the secure one: version 2 opens its session
// in plain text, then runs TLS with pre-shared keys on the same connection.
// AgreeVersion is where a server decides what to make of a client that
// asks for a version.
inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::uint8_t kSecureVersion = 2;
inline constexpr std::size_t kHeaderSize = 8;
// Four HART frames and a little: what gateways accept; anything longer is
// garbage, not a message to wait for.
inline constexpr std::size_t kMaxMessageSize = 1042;
// The only master type a session may be opened for.
inline constexpr std::uint8_t kPrimaryMaster = 1;
// Command 533, answered by the server itself: a session subscribes to the
// data a device publishes; flag 0x0001 asks for its process data.
inline constexpr std::uint16_t kSubscribeCommand = 533;
inline constexpr std::uint16_t kSubscribeProcessData = 0x0001;

enum class MessageType : std::uint8_t { Request = 0, Response = 1, Publish = 2, Nak = 15 };
// Direct PDU and audit log are version 2 messages (hart_ip_direct.h for the former's body).
enum class MessageId : std::uint8_t {
  SessionInitiate = 0,
  SessionClose = 1,
  KeepAlive = 2,
  PassThrough = 3,
  DirectPdu = 4,
  ReadAuditLog = 5,
};

// The status byte of a response.
namespace status {
inline constexpr std::uint8_t kSuccess = 0;
inline constexpr std::uint8_t kInvalidMasterType = 2;
inline constexpr std::uint8_t kTooFewDataBytes = 5;
inline constexpr std::uint8_t kDeviceSpecificError = 6;
inline constexpr std::uint8_t kSetToNearest = 8;  // the inactivity timer was changed; still a success
inline constexpr std::uint8_t kSecurityNotInitialized = 9;
inline constexpr std::uint8_t kVersionNotSupported = 14;  // a warning: the session runs at the server's version
inline constexpr std::uint8_t kAllSessionsInUse = 15;
inline constexpr std::uint8_t kSessionExists = 16;
inline constexpr std::uint8_t kInsecureSessionExists = 30;
}  // namespace status

// Whether a response status lets the session go on.
constexpr bool IsSuccess(std::uint8_t code) { return code == status::kSuccess || code == status::kSetToNearest; }
// The status in words, for a message to the user.
const char* DescribeStatus(std::uint8_t code);
// "status 15: all sessions in use".
std::string StatusText(std::uint8_t code);

// What a server offers: plain text only, or the secure version as well
// (it has keys), or the secure version alone; or nothing, where it must be
// secure and cannot be (no TLS on that transport).
enum class Security : std::uint8_t { PlainOnly, Offered, Required, Unavailable };

// What a server makes of a session initiate asking for `asked` (never 0:
// the decoder refuses that): the version the session runs at, and status
// 14 when that is not the one asked, so the client can adapt. A server
// that requires security answers a plain-text client with its own version
// and refuses the session.
struct VersionAgreement {
  std::uint8_t version = kVersion;
  std::uint8_t status = status::kSuccess;
  bool refused = false;
};
constexpr VersionAgreement AgreeVersion(std::uint8_t asked, Security security = Security::PlainOnly) {
  if (security == Security::Unavailable) return {kSecureVersion, status::kSecurityNotInitialized, true};
  const std::uint8_t highest = security == Security::PlainOnly ? kVersion : kSecureVersion;
  if (asked > highest) return {highest, status::kVersionNotSupported};
  if (security == Security::Required && asked < kSecureVersion) {
    return {kSecureVersion, status::kVersionNotSupported, true};
  }
  return {asked, status::kSuccess};
}

struct Header {
  std::uint8_t version = kVersion;
  MessageType type = MessageType::Request;
  MessageId id = MessageId::KeepAlive;
  std::uint8_t status = status::kSuccess;
  std::uint16_t sequence = 0;
  std::uint16_t byteCount = kHeaderSize;  // header included; the encoder fills it in
};

struct Message {
  Header header;
  Bytes body;
};

// The message with its byte count set from the body.
Bytes EncodeMessage(const Message& message);
// A request or a response of `id` with `sequence` and `body`.
Message MakeMessage(MessageType type, MessageId id, std::uint16_t sequence, Bytes body = {},
                    std::uint8_t code = status::kSuccess);

enum class MessageStatus : std::uint8_t {
  Ok,
  TooShort,           // fewer bytes than a header
  ByteCountTooSmall,  // the byte count does not even cover the header
  ByteCountTooLarge,  // the byte count is past what any message needs
  ByteCountMismatch,  // a datagram longer or shorter than its byte count
  BadVersion,         // version 0: no HART-IP version has that number
  ReservedBits,       // the high nibble of the message type byte is not 0
  UnknownType,
  UnknownId,
};

const char* Describe(MessageStatus status);

struct DecodedHeader {
  MessageStatus status = MessageStatus::TooShort;
  Header header;
  explicit operator bool() const { return status == MessageStatus::Ok; }
};

struct DecodedMessage {
  MessageStatus status = MessageStatus::TooShort;
  Message message;  // complete only when status is Ok
  explicit operator bool() const { return status == MessageStatus::Ok; }
  const char* description() const { return Describe(status); }
};

// The first kHeaderSize bytes of `bytes` as a header, checked on its own.
// Any version but 0 decodes: whether it suits a session is the session's
// business, and a server must answer a newer one.
DecodedHeader DecodeHeader(ByteView bytes);
// One whole message, as a datagram carries it.
DecodedMessage DecodeMessage(ByteView datagram);

// Cuts TCP reads into messages: a header, then byte count - 8 body bytes.
// A bad header leaves the stream without a way to find the next message,
// so once one is reported the assembler reports it again and takes nothing.
class StreamAssembler {
 public:
  void feed(ByteView bytes);
  // The next whole message, an error for a bad header, or nullopt until
  // more bytes come.
  std::optional<DecodedMessage> next();
  bool failed() const { return failed_.has_value(); }
  // Whether bytes wait that make no whole message yet.
  bool holdsBytes() const { return !pending_.empty(); }

 private:
  Bytes pending_;
  std::optional<MessageStatus> failed_;
};

// The body of a session initiate, request and response alike.
struct SessionInitiate {
  std::uint8_t masterType = kPrimaryMaster;
  std::uint32_t inactivityMs = 0;  // the session ends after this long without a message
};

inline constexpr std::size_t kSessionInitiateSize = 5;

Bytes EncodeSessionInitiate(const SessionInitiate& body);
// Fails unless the body is exactly five bytes.
Result<SessionInitiate> DecodeSessionInitiate(ByteView body);

}  // namespace zolin6::hart::ip
