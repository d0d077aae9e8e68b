#include "driver/sub_device_link.h"

#include <algorithm>

namespace zolin6::driver {

namespace {

hart::ByteView FromDelimiter(hart::ByteView bytes) {
  const auto delimiter = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != hart::kPreamble; });
  return bytes.subspan(static_cast<std::size_t>(delimiter - bytes.begin()));
}

}  // namespace

SubDeviceLink::SubDeviceLink(std::shared_ptr<ByteLink> inner, const hart::Address& ioSystem, hart::SubDeviceRoute route)
    : inner_(std::move(inner)), ioSystem_(ioSystem), route_(route) {}

// A frame that cannot be carried is not sent: the master times out on it.
void SubDeviceLink::Send(hart::ByteView bytes, toolkit::Millis now) {
  const hart::DecodeResult request = hart::DecodeFrame(FromDelimiter(bytes));
  if (!request) return;
  const Result<hart::Bytes> data = hart::EncodeSubDeviceRequest(route_, kSubDevicePreambles, request.frame);
  if (!data) return;
  hart::Frame outer;
  outer.address = ioSystem_;
  outer.command = hart::kSendToSubDevice;
  outer.data = *data;
  hart::Bytes frame;
  if (!hart::EncodeFrame(outer, 0, frame)) return;
  carried_.emplace(request.frame.address, request.frame.command);
  inner_->Send(frame, now);
}

void SubDeviceLink::Listen(Listener listener) {
  listener_ = std::move(listener);
  if (!listener_) return inner_->Listen({});
  inner_->Listen([this](hart::ByteView bytes, toolkit::Millis now) { Heard(bytes, now); });
}

void SubDeviceLink::Heard(hart::ByteView bytes, toolkit::Millis now) {
  const hart::DecodeResult heard = hart::DecodeFrame(FromDelimiter(bytes));
  if (!heard) return;
  const hart::Frame& frame = heard.frame;
  if (frame.type == hart::FrameType::Burst) return listener_(bytes, now);
  const bool answers77 = frame.type == hart::FrameType::Reply && frame.command == hart::kSendToSubDevice &&
                         frame.address.sameDevice(ioSystem_) && frame.address.primaryMaster;
  if (!answers77 || !carried_ || frame.status.communicationError()) return;
  if (frame.status.asksToResend()) {
    // The sub-device's request waits in the I/O system: the master asks again.
    hart::Frame later;
    later.type = hart::FrameType::Reply;
    later.address = carried_->first;
    later.command = carried_->second;
    later.status = {frame.status.first, 0};
    hart::Bytes reply;
    if (hart::EncodeFrame(later, 0, reply)) listener_(reply, now);
    return;
  }
  if (frame.status.isError()) return;
  const Result<hart::SubDeviceReply> reply = hart::DecodeSubDeviceReply(frame.data);
  if (!reply || reply->route != route_) return;
  listener_(reply->frame, now);
}

}  // namespace zolin6::driver
