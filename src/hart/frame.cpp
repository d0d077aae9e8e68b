#include "hart/frame.h"

#include <algorithm>

namespace zolin6::hart {

namespace {

constexpr std::uint8_t kLongAddressBit = 0x80;
constexpr std::uint8_t kExpansionMask = 0x60;
constexpr unsigned kExpansionShift = 5;
constexpr std::uint8_t kPhysicalLayerMask = 0x18;  // 0: asynchronous (FSK, HART-IP)
constexpr std::uint8_t kFrameTypeMask = 0x07;
constexpr std::uint8_t kMasterBit = 0x80;
constexpr std::uint8_t kBurstBit = 0x40;
constexpr std::uint8_t kAddressMask = 0x3F;
constexpr std::size_t kStatusSize = 2;
constexpr std::size_t kExpandedNumberSize = 2;

bool IsKnownDelimiter(std::uint8_t delimiter) {
  if ((delimiter & kPhysicalLayerMask) != 0) return false;
  const auto type = static_cast<std::uint8_t>(delimiter & kFrameTypeMask);
  return type == static_cast<std::uint8_t>(FrameType::Burst) || type == static_cast<std::uint8_t>(FrameType::Request) ||
         type == static_cast<std::uint8_t>(FrameType::Reply);
}

std::uint8_t DelimiterOf(const Frame& frame) {
  return static_cast<std::uint8_t>((frame.address.isLong ? kLongAddressBit : 0U) |
                                   (static_cast<unsigned>(frame.expansionCount) << kExpansionShift) |
                                   static_cast<std::uint8_t>(frame.type));
}

std::uint8_t FirstAddressByte(const Address& address, std::uint8_t low) {
  return static_cast<std::uint8_t>((address.primaryMaster ? kMasterBit : 0U) | (address.burstMode ? kBurstBit : 0U) |
                                   (low & kAddressMask));
}

void AppendAddress(const Address& address, Bytes& out) {
  if (!address.isLong) {
    out.push_back(FirstAddressByte(address, address.polling));
    return;
  }
  out.push_back(FirstAddressByte(address, address.unique[0]));
  out.insert(out.end(), address.unique.begin() + 1, address.unique.end());
}

Address ReadAddress(bool isLong, ByteView bytes) {
  Address address;
  address.isLong = isLong;
  address.primaryMaster = (bytes[0] & kMasterBit) != 0;
  address.burstMode = (bytes[0] & kBurstBit) != 0;
  if (!isLong) {
    address.polling = bytes[0] & kAddressMask;
    return address;
  }
  std::copy_n(bytes.begin(), kUniqueAddressSize, address.unique.begin());
  address.unique[0] &= kAddressMask;
  return address;
}

DecodeResult Failure(FrameStatus status, std::size_t offset) { return {status, offset, {}}; }

// Status bytes and the expanded command number at the head of the data field.
DecodeResult ReadDataField(DecodeResult result, ByteView field, std::size_t fieldOffset) {
  Frame& frame = result.frame;
  const bool fromDevice = frame.type != FrameType::Request;
  if (fromDevice) {
    if (field.size() < kStatusSize) return Failure(FrameStatus::MissingStatusBytes, fieldOffset - 1);
    frame.status = {field[0], field[1]};
    field = field.subspan(kStatusSize);
  }
  // A bare command 31 is itself a command, answered with "too few data bytes"
  // by the device; one byte of the number is a broken frame.
  if (frame.command == kExpandedCommand && !field.empty()) {
    if (field.size() < kExpandedNumberSize) return Failure(FrameStatus::MissingExpandedCommand, fieldOffset - 1);
    frame.command = static_cast<std::uint16_t>((field[0] << 8U) | field[1]);
    field = field.subspan(kExpandedNumberSize);
  }
  frame.data = field;
  result.status = FrameStatus::Ok;
  return result;
}

}  // namespace

Address Address::Polling(std::uint8_t pollingAddress) {
  Address address;
  address.polling = pollingAddress;
  return address;
}

Address Address::Unique(const std::array<std::uint8_t, kUniqueAddressSize>& bytes) {
  Address address;
  address.isLong = true;
  address.unique = bytes;
  address.unique[0] &= kAddressMask;
  return address;
}

bool Address::sameDevice(const Address& other) const {
  if (isLong != other.isLong) return false;
  return isLong ? unique == other.unique : polling == other.polling;
}

std::uint8_t CheckByte(ByteView bytes) {
  std::uint8_t check = 0;
  for (const std::uint8_t byte : bytes) check ^= byte;
  return check;
}

std::size_t HeaderSize(std::uint8_t delimiter) {
  if (!IsKnownDelimiter(delimiter)) return 0;
  const std::size_t addressSize = (delimiter & kLongAddressBit) != 0 ? kUniqueAddressSize : 1;
  const std::size_t expansion = (delimiter & kExpansionMask) >> kExpansionShift;
  return 1 + addressSize + expansion + 2;
}

Result<std::size_t> EncodeFrame(const Frame& frame, std::size_t preambles, Bytes& out) {
  if (!frame.address.isLong && frame.address.polling > kLargestPollingAddress) {
    return Error{"polling address above 63"};
  }
  if (frame.expansionCount > kMaxExpansionBytes) return Error{"more than three expansion bytes"};
  const bool expanded = frame.command > kLargestOneByteCommand;
  const bool fromDevice = frame.type != FrameType::Request;
  const std::size_t byteCount =
      frame.data.size() + (fromDevice ? kStatusSize : 0) + (expanded ? kExpandedNumberSize : 0);
  if (byteCount > 255) return Error{"data field longer than 255 bytes"};

  out.insert(out.end(), preambles, kPreamble);
  const std::size_t start = out.size();
  out.push_back(DelimiterOf(frame));
  AppendAddress(frame.address, out);
  out.insert(out.end(), frame.expansion.begin(), frame.expansion.begin() + frame.expansionCount);
  out.push_back(expanded ? kExpandedCommand : static_cast<std::uint8_t>(frame.command));
  out.push_back(static_cast<std::uint8_t>(byteCount));
  if (fromDevice) {
    out.push_back(frame.status.first);
    out.push_back(frame.status.deviceStatus);
  }
  if (expanded) {
    out.push_back(static_cast<std::uint8_t>(frame.command >> 8U));
    out.push_back(static_cast<std::uint8_t>(frame.command));
  }
  out.insert(out.end(), frame.data.begin(), frame.data.end());
  out.push_back(CheckByte(ByteView(out).subspan(start)));
  return out.size() - start;
}

DecodeResult DecodeFrame(ByteView bytes) {
  if (bytes.empty()) return Failure(FrameStatus::Truncated, 0);
  const std::uint8_t delimiter = bytes[0];
  const std::size_t headerSize = HeaderSize(delimiter);
  if (headerSize == 0) return Failure(FrameStatus::UnknownDelimiter, 0);
  if (bytes.size() < headerSize) return Failure(FrameStatus::Truncated, bytes.size());
  const std::size_t byteCount = bytes[headerSize - 1];
  const std::size_t frameSize = headerSize + byteCount + 1;
  if (bytes.size() < frameSize) return Failure(FrameStatus::ByteCountPastEnd, headerSize - 1);
  if (bytes.size() > frameSize) return Failure(FrameStatus::TrailingBytes, frameSize);
  if (CheckByte(bytes.first(frameSize - 1)) != bytes[frameSize - 1]) {
    return Failure(FrameStatus::BadCheckByte, frameSize - 1);
  }

  DecodeResult result;
  Frame& frame = result.frame;
  frame.type = static_cast<FrameType>(delimiter & kFrameTypeMask);
  const bool isLong = (delimiter & kLongAddressBit) != 0;
  frame.address = ReadAddress(isLong, bytes.subspan(1));
  const std::size_t expansionAt = isLong ? 1 + kUniqueAddressSize : 2;
  frame.expansionCount = static_cast<std::uint8_t>((delimiter & kExpansionMask) >> kExpansionShift);
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(expansionAt), frame.expansionCount, frame.expansion.begin());
  frame.command = bytes[headerSize - 2];
  return ReadDataField(result, bytes.subspan(headerSize, byteCount), headerSize);
}

const char* Describe(FrameStatus status) {
  switch (status) {
    case FrameStatus::Ok: return "no error";
    case FrameStatus::Truncated: return "frame ends before its byte count";
    case FrameStatus::ByteCountPastEnd: return "byte count reaches past the end of the frame";
    case FrameStatus::TrailingBytes: return "bytes after the check byte";
    case FrameStatus::BadCheckByte: return "check byte does not match";
    case FrameStatus::UnknownDelimiter: return "unknown delimiter";
    case FrameStatus::MissingStatusBytes: return "reply without its two status bytes";
    case FrameStatus::MissingExpandedCommand: return "command 31 without its two-byte command number";
    case FrameStatus::SinglePreamble: return "delimiter after a single preamble";
  }
  return "unknown frame status";
}

}  // namespace zolin6::hart
