#pragma once
// Finds the field devices on a line: command 0 in a short frame to each
// polling address of a range, with the master's retries, and for every
// address that answers its tag from command 13. Runs on the host's clock over a byte
// link, as the HART driver does, so a test drives it by advancing a manual
// clock and a serial modem by its event loop.
//
// Each address gets its own master that looks only there: the master's
// identification, retries and long-frame addressing are reused as they
// are. A silent address costs at most hart::NoReplyBudget for command 0:
// on FSK 4 x (230 + 305 + 75) ms, 2.4 s; all 64 take under 2.6 minutes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/byte_link.h"
#include "hart/link_timing.h"
#include "hart/master.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

struct FoundDevice {
  std::uint8_t pollingAddress = 0;
  std::string tag;  // empty when command 13 got no answer
  std::uint16_t manufacturer = 0;
  std::uint16_t expandedDeviceType = 0;
  std::uint32_t deviceId = 0;
  friend bool operator==(const FoundDevice&, const FoundDevice&) = default;
};

struct PollingRange {
  std::uint8_t first = 0;
  std::uint8_t last = hart::kLargestPollingAddress;
};

struct ScanCallbacks {
  std::function<void(const FoundDevice& device)> found;
  // After each address: `scanned` of `total` addresses are done.
  std::function<void(int scanned, int total)> progress;
  // Once, when the last address is done or the scan was cancelled.
  std::function<void(const std::vector<FoundDevice>& devices, bool cancelled)> finished;
};

class PollingScan : public std::enable_shared_from_this<PollingScan> {
 public:
  // Call Start() once the scan is held by a shared pointer.
  PollingScan(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, ScanCallbacks callbacks, PollingRange range = {},
              hart::LinkTiming timing = hart::kFskTiming);

  // Takes over the link's listener and polls the first address. A driver
  // on the same link starts listening again with its Start() afterwards. A range that is
  // empty or reaches past 63 finishes at once with nothing found.
  void Start();
  // Sends nothing more and reports the scan finished as cancelled; a
  // request on the wire is left to end on its own.
  void Cancel();

  bool running() const { return running_; }
  const std::vector<FoundDevice>& devices() const { return devices_; }

 private:
  void PollNext();
  void Pump(hart::ByteView received);
  void OnCompletion(const hart::Completion& completion);
  void AddressDone();
  void Finish(bool cancelled);
  void At(toolkit::Millis at, std::function<void(PollingScan&)> work);

  toolkit::Clock& clock_;
  std::shared_ptr<ByteLink> link_;
  ScanCallbacks callbacks_;
  PollingRange range_;
  hart::LinkTiming timing_;
  std::optional<hart::Master> master_;  // the current address's
  std::uint32_t tagRead_ = 0;           // the master's id of command 13
  int address_ = 0;
  bool running_ = false;
  std::uint64_t generation_ = 0;  // wake-ups of an earlier address or scan are stale
  std::optional<toolkit::Millis> wakeScheduled_;
  std::vector<FoundDevice> devices_;
};

}  // namespace zolin6::driver
