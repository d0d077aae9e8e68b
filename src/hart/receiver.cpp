#include "hart/receiver.h"

namespace zolin6::hart {

namespace {

constexpr std::size_t kMinimumPreambles = 2;
constexpr std::uint8_t kFrameTypeMask = 0x07;

bool IsRequestDelimiter(std::uint8_t delimiter) {
  return (delimiter & kFrameTypeMask) == static_cast<std::uint8_t>(FrameType::Request);
}

ReceiveEvent ErrorEvent(FrameStatus status, bool request) { return {ReceiveKind::Error, status, request, {}}; }

}  // namespace

void Receiver::reset() {
  state_ = State::Hunting;
  preambles_ = 0;
  length_ = 0;
  expected_ = 0;
}

bool Receiver::inDeviceFrame() const { return state_ != State::Hunting && !IsRequestDelimiter(buffer_[0]); }

ReceiveEvent Receiver::push(std::uint8_t byte) {
  switch (state_) {
    case State::Hunting: return hunt(byte);
    case State::Header:
      buffer_[length_++] = byte;
      if (length_ == expected_) {
        // The byte count is the last header byte; the check byte follows the data.
        expected_ += byte + 1U;
        state_ = State::Body;
      }
      return {};
    case State::Body: buffer_[length_++] = byte; return length_ == expected_ ? finishFrame() : ReceiveEvent{};
  }
  return {};
}

ReceiveEvent Receiver::hunt(std::uint8_t byte) {
  if (byte == kPreamble) {
    if (preambles_ < kMinimumPreambles) ++preambles_;
    return {};
  }
  const std::size_t preambles = preambles_;
  preambles_ = 0;
  const std::size_t headerSize = HeaderSize(byte);
  if (preambles < kMinimumPreambles) {
    // One preamble before a delimiter is a frame whose start was lost;
    // anything else outside a frame is noise.
    if (preambles == 1 && headerSize != 0) return ErrorEvent(FrameStatus::SinglePreamble, IsRequestDelimiter(byte));
    ++skippedBytes_;
    return {};
  }
  if (headerSize == 0) return ErrorEvent(FrameStatus::UnknownDelimiter, false);
  buffer_[0] = byte;
  length_ = 1;
  expected_ = headerSize;
  state_ = State::Header;
  return {};
}

ReceiveEvent Receiver::finishFrame() {
  const ByteView frameBytes(buffer_.data(), length_);
  reset();
  if (skipRequests_ && IsRequestDelimiter(frameBytes[0])) {
    // Our own request coming back, whole or garbled: never a reply.
    ++skippedEchoes_;
    return {};
  }
  DecodeResult decoded = DecodeFrame(frameBytes);
  if (!decoded) return ErrorEvent(decoded.status, IsRequestDelimiter(frameBytes[0]));
  return {ReceiveKind::Frame, FrameStatus::Ok, false, decoded.frame};
}

}  // namespace zolin6::hart
