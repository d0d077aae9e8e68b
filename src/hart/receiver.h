#pragma once
// Finds HART frames in the bytes a modem delivers: it waits for two or more
// preambles, then collects the frame its delimiter and byte count announce,
// and reports it or what was wrong with it. Bytes before the preambles (line
// noise, the tail of someone else's frame) are skipped. A master's receiver
// may skip master-to-device frames, its own echo among them.
//
// One byte at a time with a fixed buffer: nothing is allocated per byte and
// nothing is read twice.

#include <array>
#include <cstddef>
#include <cstdint>

#include "hart/frame.h"

namespace zolin6::hart {

enum class ReceiveKind : std::uint8_t {
  Nothing,  // the byte was taken; no frame ended with it
  Frame,    // `frame` holds a complete frame
  Error,    // `error` says why the frame that ended here was refused
};

struct ReceiveEvent {
  ReceiveKind kind = ReceiveKind::Nothing;
  FrameStatus error = FrameStatus::Ok;  // set when kind is Error
  bool request = false;                 // with Error: the delimiter was a master's request (STX)
  Frame frame;                          // set when kind is Frame; its data views the receiver's buffer
};

class Receiver {
 public:
  // With `skipRequests` no request frame is reported, whole or broken.
  explicit Receiver(bool skipRequests = false) : skipRequests_(skipRequests) {}

  // Takes one byte. A reported frame's data stays valid until the next call.
  ReceiveEvent push(std::uint8_t byte);
  // Forgets a partly received frame and the preambles counted so far.
  void reset();

  // Inside a frame from a device: a reply has begun and is still arriving.
  bool inDeviceFrame() const;
  // Preambles heard and no delimiter yet: a frame is starting.
  bool countingPreambles() const { return state_ == State::Hunting && preambles_ > 0; }

  std::size_t skippedBytes() const { return skippedBytes_; }    // noise bytes outside any frame
  std::size_t skippedEchoes() const { return skippedEchoes_; }  // request frames dropped as echo

 private:
  enum class State : std::uint8_t { Hunting, Header, Body };

  ReceiveEvent hunt(std::uint8_t byte);
  ReceiveEvent finishFrame();

  bool skipRequests_;
  State state_ = State::Hunting;
  std::size_t preambles_ = 0;  // consecutive preambles while hunting, counted up to 2
  std::size_t length_ = 0;     // bytes of the frame received so far
  std::size_t expected_ = 0;   // bytes needed before the next step
  std::size_t skippedBytes_ = 0;
  std::size_t skippedEchoes_ = 0;
  std::array<std::uint8_t, kMaxFrameSize> buffer_{};
};

}  // namespace zolin6::hart
