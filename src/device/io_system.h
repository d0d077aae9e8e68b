#pragma once
// A simulated I/O system (a HART multiplexer or a HART-IP gateway) with
// field devices behind it, its sub-devices: each a simulated transmitter of
// its own (its own state, process and unique address) on a channel of its
// own, sixteen channels to a card, cards and channels counted from 0.
//
// It answers for itself at polling address 0 (command 0) and at its own
// unique address: who it is (0, 11, 12, 13, 20, 21, 48), what it holds
// (74), who is behind it (84), a poll of a channel (75) and a frame carried
// to a sub-device (77); 64 for any other command. A long frame to a
// sub-device's unique address goes to that sub-device (direct routing), as
// a HART-IP gateway does; a multiplexer answers sub-devices through 77
// only, and a frame to one of their addresses is heard by nobody.
//
// Response codes of its own commands: 5 for too few data bytes (for 77
// also a carried frame cut short); 2 for a card and channel without a
// device, a sub-device index past the last, or a carried frame that is no
// request; 9 (75, 77) when the sub-device there does not answer the frame
// (another polling or unique address); 10 (77) for a sub-device reply too
// long to carry back.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "device/hart_device.h"
#include "device/served_device.h"
#include "device/simulated_transmitter.h"
#include "hart/sub_device.h"
#include "platform/result.h"

namespace zolin6::device {

// The device type our I/O system identifies itself with (the transmitter is 58113).
inline constexpr int kIoSystemDeviceType = 58114;
inline constexpr std::uint8_t kIoSystemDeviceId = 1;
// Command 84's card and channel for the I/O system itself: on none.
inline constexpr std::uint8_t kNoRoute = 0xFF;
inline constexpr int kChannelsPerCard = 16;
inline constexpr int kMaxSubDevices = 1000;
// The device id of sub-device 1 unless told otherwise; the others follow it.
// Two I/O systems of one plant need bases kMaxSubDevices apart, so that no
// two of their devices share maker, type and id.
inline constexpr std::uint32_t kFirstSubDeviceId = 200001;
inline constexpr std::uint32_t kLargestDeviceId = 0xFFFFFF;

// Response codes of the I/O system's own commands, beyond the shared ones.
namespace io_code {
inline constexpr std::uint8_t kSubDeviceSilent = 9;  // 75, 77: the sub-device did not answer
inline constexpr std::uint8_t kReplyTooLong = 10;    // 77: its reply does not fit command 77's reply
}  // namespace io_code

// One field device behind the I/O system: its maker, device type and tag.
// A device of another maker answers the universal and common-practice
// commands, 64 to any device-specific one.
struct SubDeviceEntry {
  int manufacturer = Identification{}.manufacturerId;
  int deviceType = Identification{}.deviceType;
  std::string tag;  // also its long tag
};

// `count` of our transmitters, tagged TT-001, TT-002, ...
std::vector<SubDeviceEntry> OurTransmitters(int count);
// The lines of a gateway file: `maker, device type, tag`, numbers decimal or
// 0x-hex, '#' starting a comment, blank lines skipped. An error names the
// first bad line by its number.
Result<std::vector<SubDeviceEntry>> ParseGatewayDevices(const std::string& text);

// How frames reach the sub-devices.
enum class SubDeviceRouting : std::uint8_t {
  Both,            // through 77 and by their unique addresses
  ThroughCommand,  // through 77 only, as a multiplexer
  Direct,          // by their unique addresses only; 77 answers 64
};

class IoSystem : public ServedDevice {
 public:
  // 1 to kMaxSubDevices devices, in the order of their sub-device indexes (from 1).
  // Sub-device i gets device id firstDeviceId + i - 1, which must fit 24 bits.
  explicit IoSystem(const std::vector<SubDeviceEntry>& devices, SubDeviceRouting routing = SubDeviceRouting::Both,
                    std::uint32_t firstDeviceId = kFirstSubDeviceId);
  ~IoSystem() override;

  hart::Address uniqueAddress() const override;
  std::optional<Reply> Answer(const hart::Frame& request, Millis now) override;
  hart::Bytes Receive(hart::ByteView frame, Millis now) override;
  hart::Bytes ReceiveSerial(hart::ByteView line, Millis now) override;
  // The I/O system publishes no burst messages, nor those of its sub-devices.
  HartDevice* burstSource() override { return nullptr; }

  int subDeviceCount() const { return static_cast<int>(subDevices_.size()); }
  // Sub-device `index` (1..count); its route.
  HartDevice& subDevice(int index);
  const HartDevice& subDevice(int index) const;
  static hart::SubDeviceRoute RouteOf(int index);
  hart::IoSystemCapabilities capabilities() const;
  // Command 84's answer for `index` (0: the I/O system itself), nullopt past the last.
  std::optional<hart::SubDeviceIdentity> identity(int index) const;

 private:
  struct SubDevice;
  struct Answered {
    Reply reply;
    HartDevice* by = nullptr;  // null: the I/O system itself
  };

  std::optional<Answered> answer(const hart::Frame& request, Millis now);
  bool isForMe(const hart::Frame& request) const;
  std::optional<Reply> own(const hart::Frame& request, Millis now);
  // Its own commands (io_system_commands.cpp): the response code, nullopt
  // for silence (11 or 21 with another tag); `data` the reply's data field.
  std::optional<std::uint8_t> handle(const hart::Frame& request, Millis now, hart::Bytes& data);
  std::uint8_t poll(hart::ByteView request, Millis now, hart::Bytes& data);
  std::uint8_t carry(hart::ByteView request, Millis now, hart::Bytes& data);
  std::uint8_t summary(hart::ByteView request, hart::Bytes& data) const;
  // The sub-device at a route, or nullptr.
  HartDevice* at(hart::SubDeviceRoute route);

  std::vector<std::unique_ptr<SubDevice>> subDevices_;
  std::unordered_map<std::uint64_t, HartDevice*> byAddress_;  // direct routing
  SubDeviceRouting routing_;
};

}  // namespace zolin6::device
