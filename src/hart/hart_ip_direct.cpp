#include "hart/hart_ip_direct.h"

#include <string>

#include "hart/encoding.h"
#include "hart/hart_ip.h"

namespace zolin6::hart::ip {

namespace {

constexpr std::size_t kLargestByteCount = 255;
constexpr std::size_t kMaxBody = kMaxMessageSize - kHeaderSize;
constexpr std::size_t kResponseCodeSize = 1;

std::string Ordinal(std::size_t index) { return "command " + std::to_string(index + 1); }

Result<Bytes> Encode(const DirectPdu& pdu, bool response) {
  if (pdu.commands.empty()) return Error{"a direct PDU carries at least one command"};
  Bytes body{pdu.deviceStatus, pdu.extendedStatus};
  const std::size_t codeSize = response ? kResponseCodeSize : 0;
  for (std::size_t i = 0; i < pdu.commands.size(); ++i) {
    const DirectCommand& c = pdu.commands[i];
    const std::size_t byteCount = codeSize + c.data.size();
    if (byteCount > kLargestByteCount) {
      return Error{Ordinal(i) + " of the direct PDU has more data than a byte count says"};
    }
    AppendUnsigned(body, c.command, 2);
    body.push_back(static_cast<std::uint8_t>(byteCount));
    if (response) body.push_back(c.responseCode);
    body.insert(body.end(), c.data.begin(), c.data.end());
  }
  if (body.size() > kMaxBody) {
    return Error{"a direct PDU body of " + std::to_string(body.size()) + " bytes is longer than a message may be"};
  }
  return body;
}

Result<DirectPdu> Decode(ByteView body, bool response) {
  if (body.size() < kDirectStatusSize) return Error{"a direct PDU body ends before its two status bytes"};
  DirectPdu pdu{body[0], body[1], {}};
  std::size_t at = kDirectStatusSize;
  while (at < body.size()) {
    const std::string which = Ordinal(pdu.commands.size());
    if (body.size() - at < kDirectCommandHeaderSize) {
      return Error{which + " of the direct PDU ends before its number and byte count"};
    }
    DirectCommand c;
    c.command = static_cast<std::uint16_t>(ReadUnsigned(body.subspan(at), 2));
    const std::size_t byteCount = body[at + 2];
    at += kDirectCommandHeaderSize;
    if (byteCount > body.size() - at) {
      return Error{which + "'s byte count " + std::to_string(byteCount) + " reaches past the end of the direct PDU"};
    }
    ByteView data = body.subspan(at, byteCount);
    at += byteCount;
    if (response) {
      if (data.empty()) return Error{which + " of the direct PDU response has no response code"};
      c.responseCode = data[0];
      data = data.subspan(kResponseCodeSize);
    }
    c.data.assign(data.begin(), data.end());
    pdu.commands.push_back(std::move(c));
  }
  if (pdu.commands.empty()) return Error{"a direct PDU carries no command"};
  return pdu;
}

}  // namespace

Result<Bytes> EncodeDirectRequest(const DirectPdu& pdu) { return Encode(pdu, false); }
Result<Bytes> EncodeDirectResponse(const DirectPdu& pdu) { return Encode(pdu, true); }
Result<DirectPdu> DecodeDirectRequest(ByteView body) { return Decode(body, false); }
Result<DirectPdu> DecodeDirectResponse(ByteView body) { return Decode(body, true); }

}  // namespace zolin6::hart::ip
