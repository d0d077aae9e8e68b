#pragma once
// The commands of an I/O system (a multiplexer or a HART-IP gateway) that
// has field devices, its sub-devices, behind it: what it can hold (74), who
// is behind it (84), a poll of one card and channel (75), and a HART frame
// carried to a sub-device and its answer carried back (77).
//
// Sub-device index 0 is the I/O system itself; its sub-devices are 1 to
// the count of devices it detected minus one.

#include <cstdint>
#include <string>

#include "hart/bytes.h"
#include "hart/frame.h"
#include "platform/result.h"

namespace zolin6::hart {

inline constexpr std::uint16_t kReadIoSystemCapabilities = 74;
inline constexpr std::uint16_t kPollSubDevice = 75;
inline constexpr std::uint16_t kSendToSubDevice = 77;
inline constexpr std::uint16_t kReadSubDeviceIdentity = 84;

// Command 74's reply.
struct IoSystemCapabilities {
  std::uint8_t maxCards = 1;
  std::uint8_t maxChannelsPerCard = 1;
  std::uint8_t maxSubDevicesPerChannel = 1;
  std::uint16_t devicesDetected = 1;  // the I/O system itself included
  std::uint8_t maxDelayedResponses = 0;
  std::uint8_t masterMode = 1;  // on its channels: 0 secondary, 1 primary master
  std::uint8_t retryCount = 0;  // resends it makes to a sub-device
  friend bool operator==(const IoSystemCapabilities&, const IoSystemCapabilities&) = default;
};

Bytes EncodeIoSystemCapabilities(const IoSystemCapabilities& capabilities);
Result<IoSystemCapabilities> DecodeIoSystemCapabilities(ByteView data);

// Where a sub-device sits behind its I/O system.
struct SubDeviceRoute {
  std::uint8_t card = 0;
  std::uint8_t channel = 0;
  friend bool operator==(const SubDeviceRoute&, const SubDeviceRoute&) = default;
};

// Command 84's reply: who the sub-device at `index` is.
struct SubDeviceIdentity {
  std::uint16_t index = 0;
  SubDeviceRoute route;
  std::uint16_t manufacturer = 0;
  std::uint16_t expandedDeviceType = 0;
  std::uint32_t deviceId = 0;  // 24 bits
  std::uint8_t universalRevision = 7;
  std::string longTag;  // Latin-1, without its padding
  std::uint8_t deviceRevision = 0;
  std::uint8_t deviceProfile = 0;
  std::uint16_t privateLabel = 0;
  // The sub-device's unique address for long frames.
  Address address() const;
  friend bool operator==(const SubDeviceIdentity&, const SubDeviceIdentity&) = default;
};

// Command 84's request data: the index, two bytes.
Bytes EncodeSubDeviceIndex(std::uint16_t index);
Result<std::uint16_t> DecodeSubDeviceIndex(ByteView data);
Result<Bytes> EncodeSubDeviceIdentity(const SubDeviceIdentity& identity);
Result<SubDeviceIdentity> DecodeSubDeviceIdentity(ByteView data);

// Command 77's request data: the route, the preambles the I/O system puts
// in front on the sub-device's line, and `frame` from its delimiter up to,
// not including, its checksum.
Result<Bytes> EncodeSubDeviceRequest(SubDeviceRoute route, std::uint8_t preambles, const Frame& frame);
struct SubDeviceRequest {
  SubDeviceRoute route;
  std::uint8_t preambles = 5;
  Bytes frame;  // a whole frame from its delimiter, its checksum added
};
Result<SubDeviceRequest> DecodeSubDeviceRequest(ByteView data);

// Command 77's reply data: the route and the sub-device's reply frame from
// its delimiter up to, not including, its checksum.
Result<Bytes> EncodeSubDeviceReply(SubDeviceRoute route, ByteView wholeReplyFrame);
struct SubDeviceReply {
  SubDeviceRoute route;
  Bytes frame;  // a whole frame from its delimiter, its checksum added
};
Result<SubDeviceReply> DecodeSubDeviceReply(ByteView data);

}  // namespace zolin6::hart
