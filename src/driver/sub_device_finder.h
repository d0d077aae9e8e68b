#pragma once
// Finds a device behind an I/O system (a multiplexer or a HART-IP gateway)
// and the way to it. Over the byte link to the I/O system: its command 0
// (short frame, polling address 0), its capabilities (74), then who sits at
// each index (84): the one index asked for, or index after index until the
// long tag matches, or all of them for a list. Then one probe: command 0
// long-framed straight to the sub-device's unique address, one try with a
// short timeout. A sub-device that answers as itself is reached directly
// by long frames; otherwise through command 77 (sub_device_link.h).
//
// Runs on the host's clock, as the polling scan does, with a master of its
// own for each step, so retries and timeouts are the master's.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "driver/byte_link.h"
#include "hart/master.h"
#include "hart/sub_device.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

// How long the probe waits for the sub-device's own answer: a transaction
// on a 1200 baud channel behind the I/O system, with room to spare.
inline constexpr hart::Millis kRouteProbeTimeout{1500};

// A sub-device by its index (1..65535) or its long tag; neither: every one.
struct SubDeviceName {
  std::uint16_t index = 0;  // 0: by tag
  std::string longTag;
  bool all() const { return index == 0 && longTag.empty(); }
  // "2", "'TT-101'": as the messages name it.
  std::string describe() const;
};

struct SubDeviceWay {
  hart::SubDeviceIdentity device;
  hart::Address ioSystem;  // the I/O system's unique address, for command 77
  bool direct = false;     // long frames reach the sub-device straight
};

struct FinderCallbacks {
  // Each sub-device read by command 84, in index order.
  std::function<void(const hart::SubDeviceIdentity& device)> found;
  // Once: the way to the named sub-device (none when listing all), or why
  // there is none ("no device 'TT-9' behind this I/O system").
  std::function<void(Result<std::optional<SubDeviceWay>> way)> finished;
};

class SubDeviceFinder : public std::enable_shared_from_this<SubDeviceFinder> {
 public:
  // `timing`: the link's (HART-IP). Call Start() once held by a shared pointer.
  SubDeviceFinder(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, SubDeviceName name, FinderCallbacks callbacks,
                  hart::LinkTiming timing = hart::kHartIpTiming);

  // Takes over the link's listener; whoever uses the link next installs its own.
  void Start();
  // Sends nothing more and says nothing more.
  void Cancel();
  bool running() const { return running_; }

 private:
  void Begin(hart::MasterSettings settings);
  void Pump(hart::ByteView received);
  void OnCompletion(const hart::Completion& completion);
  void OnCapabilities(const hart::Completion& completion);
  void OnIdentity(const hart::Completion& completion);
  void Ask(std::uint16_t index);
  void Probe(const hart::SubDeviceIdentity& device);
  void OnProbe(const hart::Completion& completion);
  void Finish(Result<std::optional<SubDeviceWay>> way);

  toolkit::Clock& clock_;
  std::shared_ptr<ByteLink> link_;
  SubDeviceName name_;
  FinderCallbacks callbacks_;
  hart::LinkTiming timing_;
  std::optional<hart::Master> master_;
  bool probing_ = false;
  bool submitted_ = false;  // a command was queued since the master's last step
  bool running_ = false;
  std::uint16_t lastIndex_ = 0;  // the highest index behind the I/O system
  std::uint16_t asked_ = 0;      // the index command 84 asked for
  std::optional<hart::SubDeviceIdentity> match_;
  hart::Address ioSystem_;
  std::uint64_t generation_ = 0;  // wake-ups of an earlier master are stale
  std::optional<toolkit::Millis> wakeScheduled_;
};

}  // namespace zolin6::driver
