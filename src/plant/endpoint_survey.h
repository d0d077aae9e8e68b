#pragma once
// Surveys one endpoint of the plant over its byte link, on the host's
// clock as the HART driver runs (see driver/polling_scan.h): command 0 to
// the device at the endpoint, then command 74. A device that refuses 74 is
// a field device and is read itself (13, 20, 3, and 48 when its status
// says more status is available). One that answers is an I/O system: who
// is behind it comes from 84 for each index from 1, and each sub-device is
// read through 77 (13, 3, 48 when flagged; its long tag comes with 84).
// The I/O system itself is no plant device.
//
// A refresh reads only what changes: 3, and 48 when flagged, of each known
// device. One request is on the line at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/byte_link.h"
#include "hart/master.h"
#include "hart/sub_device.h"
#include "plant/plant_row.h"
#include "platform/toolkit/clock.h"

namespace zolin6::plant {

// A device as a survey found it, and for a sub-device how its I/O system
// reaches it (the route and long address a refresh needs).
struct SurveyedDevice {
  PlantDevice row;                                  // lastSeenUtc is left to the caller, who knows the wall clock
  std::optional<hart::SubDeviceIdentity> identity;  // sub-devices only
};

struct EndpointReport {
  bool reached = false;  // the endpoint's device answered and the line held to the end
  std::string why;       // when not reached, in words: "no connection", "no answer to command 0", "the line went down"
  bool cancelled = false;
  std::vector<SurveyedDevice> devices;  // found, or (refresh) answering
};

class EndpointSurvey : public std::enable_shared_from_this<EndpointSurvey> {
 public:
  using Finished = std::function<void(const EndpointReport& report)>;

  // `endpoint` names the rows' endpoint. Call Start() or Refresh() once the
  // survey is held by a shared pointer; `finished` hears once.
  EndpointSurvey(toolkit::Clock& clock, std::shared_ptr<driver::ByteLink> link, hart::MasterSettings settings,
                 std::string endpoint, Finished finished);

  // Who is at the endpoint, and how each device is.
  void Start();
  // How the `known` devices of this endpoint are now. A sub-device without
  // its identity is looked up with 84 at its index first.
  void Refresh(std::vector<SurveyedDevice> known);
  // Sends nothing more and finishes as cancelled.
  void Cancel();

  bool running() const { return running_; }

 private:
  // A device's answer, directly or carried back by its I/O system.
  struct Answer {
    bool answered = false;  // a reply without a communication error
    hart::ReplyStatus status;
    hart::Bytes data;
    hart::Outcome outcome = hart::Outcome::NoReply;  // the request to the endpoint's device
  };
  using Then = std::function<void(const Answer& answer)>;

  void Begin();
  void Ask(std::uint16_t command, hart::Bytes data, Then then);
  // To the device devices_[at], through its I/O system when it is a sub-device.
  void AskDevice(std::size_t at, std::uint16_t command, Then then);
  void Pump(hart::ByteView received);
  void OnCapabilities(const Answer& answer);
  void ReadIdentity(std::uint16_t index);
  void ReadNext();
  void ReadTags(std::size_t at);
  void ReadStatus(std::size_t at);
  bool StillThere(const SurveyedDevice& device) const;
  void DeviceDone(std::size_t at, bool answered);
  void Finish(bool reached, std::string why, bool cancelled = false);
  void At(toolkit::Millis at, std::function<void(EndpointSurvey&)> work);

  toolkit::Clock& clock_;
  std::shared_ptr<driver::ByteLink> link_;
  hart::MasterSettings settings_;
  std::string endpoint_;
  Finished finished_;
  std::optional<hart::Master> master_;
  bool running_ = false;
  bool refresh_ = false;
  std::uint64_t generation_ = 0;
  std::optional<toolkit::Millis> wakeScheduled_;
  std::uint32_t waitingFor_ = 0;  // the master's id of the request under way
  Then then_;
  std::uint16_t devicesDetected_ = 0;
  std::vector<SurveyedDevice> devices_;  // to read, in order
  std::size_t next_ = 0;                 // the next of devices_ to read
  std::vector<SurveyedDevice> done_;     // read
};

}  // namespace zolin6::plant
