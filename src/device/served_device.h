#pragma once
// What a HART-IP server, a pseudo-terminal device or the in-process line
// serves: one field device (hart_device.h) or an I/O
// system with field devices behind it (io_system.h). It takes request
// frames and gives back reply frames or nothing, answers a decoded request
// (a direct PDU's commands go to its unique address), and may have a
// device whose burst messages the server publishes.

#include <cstdint>
#include <optional>

#include "device/device_time.h"
#include "hart/frame.h"

namespace zolin6::device {

class HartDevice;

// A reply before framing.
struct Reply {
  hart::Address address;                          // the device's address, with the request's master bit
  std::uint16_t command = 0;                      // the request's command
  hart::ReplyStatus status;                       // response code and field device status
  hart::Bytes data;                               // after the status bytes; empty for an error
  hart::FrameType type = hart::FrameType::Reply;  // or a burst frame, published unasked
};

class ServedDevice {
 public:
  virtual ~ServedDevice() = default;

  virtual hart::Address uniqueAddress() const = 0;
  // The reply to one decoded request at `now`, or nullopt for silence.
  virtual std::optional<Reply> Answer(const hart::Frame& request, Millis now) = 0;
  // One whole frame from its delimiter; the reply frame without preambles,
  // or no bytes for a frame that does not decode or that nobody answers.
  virtual hart::Bytes Receive(hart::ByteView frame, Millis now) = 0;
  // The bytes of a serial line: preambles, then one request frame; the
  // reply with the answering device's response preambles in front.
  virtual hart::Bytes ReceiveSerial(hart::ByteView line, Millis now) = 0;
  // The device whose burst messages are published; nullptr when none is.
  virtual HartDevice* burstSource() = 0;
};

}  // namespace zolin6::device
