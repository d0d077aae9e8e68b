#pragma once
// A line to the simulated transmitter's HART device that a test can make
// misbehave, command by command: the device stays silent, refuses with a
// response code (an error reply carries no data), or answers with its data
// cut short. Everything not scripted is the device's own answer. Replies
// arrive from the clock a millisecond after the request, whole, as over
// HART-IP, or, held, when the test hands them over, as a socket does from
// outside the clock.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/byte_link.h"
#include "hart/frame.h"
#include "platform/toolkit/clock.h"

namespace zolin6::fakes {

class ScriptedDeviceLink : public driver::ByteLink, public std::enable_shared_from_this<ScriptedDeviceLink> {
 public:
  enum class Reaction { Silence, Refuse, CutShort };
  struct Spoil {
    Reaction reaction = Reaction::Silence;
    std::uint8_t responseCode = 0;  // Refuse: the code
    int times = -1;                 // how many requests it spoils; -1: all
  };

  explicit ScriptedDeviceLink(toolkit::Clock& clock) : clock_(clock) {}

  void Script(std::uint16_t command, Spoil spoil) { scripts_[command] = spoil; }
  // Replies wait for Release() from now on.
  void Hold() { held_ = true; }
  void Release() {
    for (const hart::Bytes& reply : std::exchange(waiting_, {})) listener_(reply, clock_.now());
  }
  // Requests of `command` the line carried.
  int sent(std::uint16_t command) const { return sent_.contains(command) ? sent_.at(command) : 0; }
  device::SimulatedTransmitter transmitter{device::kDefaultSeed};

  void Listen(Listener listener) override { listener_ = std::move(listener); }
  // One whole request frame, preambles or none.
  void Send(hart::ByteView bytes, toolkit::Millis now) override {
    while (!bytes.empty() && bytes.front() == hart::kPreamble) bytes = bytes.subspan(1);
    const hart::DecodeResult decoded = hart::DecodeFrame(bytes);
    if (decoded) Answer(decoded.frame, now);
  }

 private:
  void Answer(const hart::Frame& request, toolkit::Millis now) {
    ++sent_[request.command];
    std::optional<device::Reply> reply = device_.Answer(request, now);
    auto script = scripts_.find(request.command);
    if (script != scripts_.end() && script->second.times != 0) {
      if (script->second.times > 0) --script->second.times;
      if (script->second.reaction == Reaction::Silence) return;
      if (reply && script->second.reaction == Reaction::Refuse) {
        reply->status.first = script->second.responseCode;
        reply->data.clear();
      }
      if (reply && script->second.reaction == Reaction::CutShort && !reply->data.empty()) reply->data.pop_back();
    }
    if (!reply) return;
    const hart::Frame frame{hart::FrameType::Reply, reply->address, 0, {}, reply->command, reply->status, reply->data};
    auto bytes = std::make_shared<hart::Bytes>();
    (void)hart::EncodeFrame(frame, 2, *bytes);
    if (held_) return waiting_.push_back(*bytes);
    clock_.callAt(now + 1, [weak = weak_from_this(), bytes] {
      if (auto self = weak.lock(); self && self->listener_) self->listener_(*bytes, self->clock_.now());
    });
  }

  toolkit::Clock& clock_;
  device::HartDevice device_{transmitter};
  Listener listener_;
  std::map<std::uint16_t, Spoil> scripts_;
  std::map<std::uint16_t, int> sent_;
  bool held_ = false;
  std::vector<hart::Bytes> waiting_;
};

}  // namespace zolin6::fakes
