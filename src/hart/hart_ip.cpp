#include "hart/hart_ip.h"

#include <string>

namespace zolin6::hart::ip {

namespace {

std::uint16_t ReadU16(ByteView bytes, std::size_t at) {
  return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

void AppendU16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

bool KnownType(std::uint8_t type) {
  switch (static_cast<MessageType>(type)) {
    case MessageType::Request:
    case MessageType::Response:
    case MessageType::Publish:
    case MessageType::Nak: return true;
  }
  return false;
}

bool KnownId(std::uint8_t id) { return id <= static_cast<std::uint8_t>(MessageId::ReadAuditLog); }

}  // namespace

const char* DescribeStatus(std::uint8_t code) {
  switch (code) {
    case status::kSuccess: return "success";
    case status::kInvalidMasterType: return "invalid master type";
    case status::kTooFewDataBytes: return "too few data bytes";
    case status::kDeviceSpecificError: return "device-specific command error";
    case status::kSetToNearest: return "inactivity timer set to the nearest possible value";
    case status::kSecurityNotInitialized: return "security not initialized";
    case status::kVersionNotSupported: return "HART-IP version not supported";
    case status::kAllSessionsInUse: return "all sessions in use";
    case status::kSessionExists: return "a session from this client already exists";
    case status::kInsecureSessionExists: return "an insecure session already exists";
    default: return "unknown status";
  }
}

std::string StatusText(std::uint8_t code) { return "status " + std::to_string(code) + ": " + DescribeStatus(code); }

Bytes EncodeMessage(const Message& message) {
  Bytes out;
  out.reserve(kHeaderSize + message.body.size());
  const Header& header = message.header;
  out.push_back(header.version);
  out.push_back(static_cast<std::uint8_t>(header.type));
  out.push_back(static_cast<std::uint8_t>(header.id));
  out.push_back(header.status);
  AppendU16(out, header.sequence);
  AppendU16(out, static_cast<std::uint16_t>(kHeaderSize + message.body.size()));
  out.insert(out.end(), message.body.begin(), message.body.end());
  return out;
}

Message MakeMessage(MessageType type, MessageId id, std::uint16_t sequence, Bytes body, std::uint8_t code) {
  Message message;
  message.header.type = type;
  message.header.id = id;
  message.header.status = code;
  message.header.sequence = sequence;
  message.header.byteCount = static_cast<std::uint16_t>(kHeaderSize + body.size());
  message.body = std::move(body);
  return message;
}

const char* Describe(MessageStatus status) {
  switch (status) {
    case MessageStatus::Ok: return "ok";
    case MessageStatus::TooShort: return "shorter than a HART-IP header";
    case MessageStatus::ByteCountTooSmall: return "byte count smaller than the header";
    case MessageStatus::ByteCountTooLarge: return "byte count larger than any HART-IP message";
    case MessageStatus::ByteCountMismatch: return "byte count does not match the message length";
    case MessageStatus::BadVersion: return "version 0 is no HART-IP version";
    case MessageStatus::ReservedBits: return "reserved bits of the message type are set";
    case MessageStatus::UnknownType: return "unknown message type";
    case MessageStatus::UnknownId: return "unknown message id";
  }
  return "unknown message status";
}

DecodedHeader DecodeHeader(ByteView bytes) {
  DecodedHeader decoded;
  if (bytes.size() < kHeaderSize) return decoded;
  Header& header = decoded.header;
  header.version = bytes[0];
  header.status = bytes[3];
  header.sequence = ReadU16(bytes, 4);
  header.byteCount = ReadU16(bytes, 6);
  const std::uint8_t type = bytes[1];
  if (header.version == 0) {
    decoded.status = MessageStatus::BadVersion;
  } else if ((type & 0xF0) != 0) {
    decoded.status = MessageStatus::ReservedBits;
  } else if (!KnownType(type)) {
    decoded.status = MessageStatus::UnknownType;
  } else if (!KnownId(bytes[2])) {
    decoded.status = MessageStatus::UnknownId;
  } else if (header.byteCount < kHeaderSize) {
    decoded.status = MessageStatus::ByteCountTooSmall;
  } else if (header.byteCount > kMaxMessageSize) {
    decoded.status = MessageStatus::ByteCountTooLarge;
  } else {
    header.type = static_cast<MessageType>(type);
    header.id = static_cast<MessageId>(bytes[2]);
    decoded.status = MessageStatus::Ok;
  }
  return decoded;
}

DecodedMessage DecodeMessage(ByteView datagram) {
  DecodedMessage decoded;
  const DecodedHeader header = DecodeHeader(datagram);
  decoded.status = header.status;
  if (!header) return decoded;
  if (header.header.byteCount != datagram.size()) {
    decoded.status = MessageStatus::ByteCountMismatch;
    return decoded;
  }
  decoded.message.header = header.header;
  decoded.message.body.assign(datagram.begin() + kHeaderSize, datagram.end());
  return decoded;
}

void StreamAssembler::feed(ByteView bytes) {
  if (failed_) return;
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<DecodedMessage> StreamAssembler::next() {
  if (failed_) return DecodedMessage{*failed_, {}};
  if (pending_.size() < kHeaderSize) return std::nullopt;
  const DecodedHeader header = DecodeHeader(pending_);
  if (!header) {
    failed_ = header.status;
    pending_.clear();
    return DecodedMessage{header.status, {}};
  }
  const std::size_t size = header.header.byteCount;
  if (pending_.size() < size) return std::nullopt;
  DecodedMessage decoded;
  decoded.status = MessageStatus::Ok;
  decoded.message.header = header.header;
  decoded.message.body.assign(pending_.begin() + kHeaderSize, pending_.begin() + static_cast<std::ptrdiff_t>(size));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size));
  return decoded;
}

Bytes EncodeSessionInitiate(const SessionInitiate& body) {
  Bytes out{body.masterType};
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(body.inactivityMs >> shift));
  return out;
}

Result<SessionInitiate> DecodeSessionInitiate(ByteView body) {
  if (body.size() != kSessionInitiateSize) {
    return Error{"a session initiate body has " + std::to_string(kSessionInitiateSize) + " bytes, not " +
                 std::to_string(body.size())};
  }
  SessionInitiate decoded;
  decoded.masterType = body[0];
  decoded.inactivityMs = (std::uint32_t{body[1]} << 24) | (std::uint32_t{body[2]} << 16) |
                         (std::uint32_t{body[3]} << 8) | std::uint32_t{body[4]};
  return decoded;
}

}  // namespace zolin6::hart::ip
