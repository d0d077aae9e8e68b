#pragma once
// The simulated transmitter as a HART field device: it takes request
// frames (whole, as HART-IP carries them, or with preambles, as a serial
// line does), and returns the reply frame or nothing. The device values
// live in the simulated transmitter it wraps, which a bench may change from
// outside.
//
// Addressing: command 0 in a short frame to the device's polling address;
// every command in a long frame to its unique address (expanded device
// type and device ID); 11 and 21 also to the broadcast address, answered
// only when the tag matches. Anything else is not for this device and gets
// no reply. Replies carry the master bit of their request.

#include <cstdint>
#include <optional>

#include "device/command_table.h"
#include "device/device_variables.h"
#include "device/served_device.h"
#include "device/simulated_transmitter.h"
#include "hart/frame.h"

namespace zolin6::device {

// How long the device takes on a serial line from the end of a request to
// the start of its reply; well inside a master's reply timeout.
inline constexpr Millis kTurnaround = 20;

class HartDevice : public ServedDevice {
 public:
  explicit HartDevice(SimulatedTransmitter& transmitter);

  hart::Address uniqueAddress() const override;
  const DeviceState& state() const { return transmitter_.state(); }
  std::uint8_t pollingAddress() const;

  // The reply to one decoded request at `now`, or nullopt for silence.
  std::optional<Reply> Answer(const hart::Frame& request, Millis now) override;
  // One whole frame from its delimiter; the reply frame without preambles,
  // or no bytes for a frame that does not decode or is not for the device.
  hart::Bytes Receive(hart::ByteView frame, Millis now) override;
  // The bytes of a serial line: preambles, then one request frame; the
  // reply with the device's response preambles in front.
  hart::Bytes ReceiveSerial(hart::ByteView line, Millis now) override;
  // It publishes its own burst messages.
  HartDevice* burstSource() override { return this; }

  // Burst message `message` (0..2) as a burst frame at `now`: the reply to
  // its command (command 9 with its variables), the burst bit set.
  Reply BurstReply(int message, Millis now);
  // The value the message's trigger watches at `now`, in the trigger's
  // units: command 9's first variable, else PV; nullopt without a value.
  std::optional<float> BurstTriggerValue(int message, Millis now);
  // A reply or burst frame with the device's response preambles in front,
  // and without them, from its delimiter.
  hart::Bytes EncodeSerial(const Reply& reply) const;
  static hart::Bytes EncodeWhole(const Reply& reply);

 private:
  bool isForMe(const hart::Frame& request) const;
  std::uint8_t sharedChecks(const CommandRow& row, hart::ByteView data, Millis now) const;
  Measurements measure(std::uint16_t command, Millis now);
  std::uint8_t statusByte(const Measurements& measured);

  SimulatedTransmitter& transmitter_;
  AdditionalStatus primaryLastRead_{};  // the 48 bytes the primary master last read
};

}  // namespace zolin6::device
