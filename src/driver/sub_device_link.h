#pragma once
// The way to a device behind an I/O system that answers its sub-devices
// only through command 77: each frame the master sends goes inside a
// command 77 to the I/O system, with the sub-device's card and channel,
// and the sub-device's reply comes back unwrapped, as if the sub-device
// had answered on the line itself.
//
// A command 77 reply that carries an error, or that cannot be read, gives
// the master nothing: it times out and resends as on a line that lost the
// frame, and never resends what is not repeatable. An I/O system that is
// busy, or working on a delayed response, says so to the master as the
// sub-device would: it sends the same request again later. Burst frames
// and the line's news pass through.
//
// The inner link carries whole frames (HART-IP).

#include <cstdint>
#include <memory>
#include <optional>

#include "driver/byte_link.h"
#include "hart/frame.h"
#include "hart/sub_device.h"

namespace zolin6::driver {

// The preambles the I/O system puts in front of a request on its channel.
inline constexpr std::uint8_t kSubDevicePreambles = 5;

class SubDeviceLink : public ByteLink {
 public:
  // `ioSystem`: the I/O system's unique address; `route`: where the
  // sub-device sits behind it.
  SubDeviceLink(std::shared_ptr<ByteLink> inner, const hart::Address& ioSystem, hart::SubDeviceRoute route);

  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override;
  void WatchState(const StateListener& listener) override { inner_->WatchState(listener); }

 private:
  void Heard(hart::ByteView bytes, toolkit::Millis now);

  std::shared_ptr<ByteLink> inner_;
  hart::Address ioSystem_;
  hart::SubDeviceRoute route_;
  Listener listener_;
  // The request now carried: whom it went to, its command.
  std::optional<std::pair<hart::Address, std::uint16_t>> carried_;
};

}  // namespace zolin6::driver
