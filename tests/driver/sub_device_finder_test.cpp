// Looking up a device behind an I/O system on a manual clock, against an
// I/O system played from the sub-device commands' codec: which commands go
// out, where a tag search stops, which way is chosen, and each failure's
// sentence.

#include "driver/sub_device_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zolin6::driver {
namespace {

const hart::Address kIoSystem = hart::Address::Unique({0x1F, 0x01, 0x00, 0x00, 0x09});

// Answers command 0 at polling address 0, 74 and 84; a sub-device answers
// command 0 long-framed when `direct`. Replies arrive 10 ms on.
class FakeIoSystem : public ByteLink {
 public:
  explicit FakeIoSystem(toolkit::Clock& clock) : clock_(clock) {
    for (std::uint16_t index = 1; index <= 3; ++index) {
      hart::SubDeviceIdentity device;
      device.index = index;
      device.route = {0, static_cast<std::uint8_t>(index)};
      device.manufacturer = 0x60;
      device.expandedDeviceType = 0x1234;
      device.deviceId = 0x0A0B00 + index;
      device.longTag = "TT-10" + std::to_string(index);
      devices.push_back(device);
    }
  }
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  void Send(hart::ByteView bytes, toolkit::Millis now) override {
    const hart::DecodeResult request = hart::DecodeFrame(bytes);
    ASSERT_TRUE(request);
    asked.push_back(request.frame.command);
    const hart::Frame& frame = request.frame;
    hart::Bytes data;
    std::uint8_t code = 0;
    if (frame.command == 0 && !frame.address.isLong) {
      data = Identifier(0x1F01, 9);
    } else if (frame.command == 0) {
      if (!direct) return;
      data = Identifier(0x1234, static_cast<std::uint32_t>(frame.address.unique[4]) + 0x0A0B00);
    } else if (frame.command == hart::kReadIoSystemCapabilities) {
      if (refuses74)
        code = 64;
      else
        data = hart::EncodeIoSystemCapabilities({.devicesDetected = 4});
    } else if (frame.command == hart::kReadSubDeviceIdentity) {
      data = hart::EncodeSubDeviceIdentity(devices.at(hart::DecodeSubDeviceIndex(frame.data).value() - 1)).value();
    }
    hart::Frame reply;
    reply.type = hart::FrameType::Reply;
    reply.address = frame.address;
    reply.command = frame.command;
    reply.status = {code, 0};
    reply.data = data;
    hart::Bytes out;
    ASSERT_TRUE(hart::EncodeFrame(reply, 0, out));
    clock_.callAt(now + 10, [this, out] { listener_(out, clock_.now()); });
  }

  std::vector<hart::SubDeviceIdentity> devices;
  std::vector<std::uint16_t> asked;
  bool direct = true;
  bool refuses74 = false;

 private:
  static hart::Bytes Identifier(std::uint16_t type, std::uint32_t id) {
    return {254,
            static_cast<std::uint8_t>(type >> 8U),
            static_cast<std::uint8_t>(type),
            5,
            7,
            1,
            1,
            8,
            0,
            static_cast<std::uint8_t>(id >> 16U),
            static_cast<std::uint8_t>(id >> 8U),
            static_cast<std::uint8_t>(id)};
  }
  toolkit::Clock& clock_;
  Listener listener_;
};

struct Case {
  SubDeviceName name;
  bool direct = true;
  bool refuses74 = false;
  std::vector<std::uint16_t> asked;  // the commands sent, in order
  std::string failure;               // empty: found
  bool foundDirect = false;
};

TEST(SubDeviceFinder, AsksOnlyWhatItNeedsAndChoosesTheWay) {
  const std::vector<Case> cases = {
      {{0, "TT-102"}, true, false, {0, 74, 84, 84, 0}, "", true},
      {{3, ""}, false, false, {0, 74, 84, 0}, "", false},
      {{0, "TT-9"}, true, false, {0, 74, 84, 84, 84}, "no device 'TT-9' behind this I/O system"},
      {{0, "tt-101"}, true, false, {0, 74, 84, 84, 84}, "no device 'tt-101' behind this I/O system"},
      {{4, ""}, true, false, {0, 74}, "no device 4 behind this I/O system"},
      {{2, ""}, true, true, {0, 74}, "not an I/O system: it refuses command 74"},
  };
  for (const Case& c : cases) {
    toolkit::Clock clock;
    auto line = std::make_shared<FakeIoSystem>(clock);
    line->direct = c.direct;
    line->refuses74 = c.refuses74;
    std::optional<Result<std::optional<SubDeviceWay>>> way;
    int found = 0;
    FinderCallbacks callbacks{[&found](const hart::SubDeviceIdentity&) { ++found; },
                              [&way](Result<std::optional<SubDeviceWay>> result) { way = std::move(result); }};
    auto finder = std::make_shared<SubDeviceFinder>(clock, line, c.name, callbacks);
    finder->Start();
    for (int step = 0; step < 100 && !way; ++step) clock.advance(100);
    const std::string what = c.name.describe();
    ASSERT_TRUE(way) << what << " asked " << line->asked.size();
    EXPECT_EQ(line->asked, c.asked) << what;
    if (!c.failure.empty()) {
      ASSERT_FALSE(*way) << what;
      EXPECT_EQ(way->error().message, c.failure);
      continue;
    }
    ASSERT_TRUE(*way && **way) << what;
    const SubDeviceWay& reached = ***way;
    EXPECT_EQ(reached.device, line->devices[reached.device.index - 1]) << what;
    EXPECT_TRUE(reached.ioSystem.sameDevice(kIoSystem)) << what;
    EXPECT_EQ(reached.direct, c.foundDirect) << what;
    EXPECT_EQ(found, static_cast<int>(c.asked.size()) - 3) << what;
  }
}

// Listing all: every index once, and no probe.
TEST(SubDeviceFinder, ListsEverySubDevice) {
  toolkit::Clock clock;
  auto line = std::make_shared<FakeIoSystem>(clock);
  std::vector<std::uint16_t> indexes;
  std::optional<Result<std::optional<SubDeviceWay>>> way;
  FinderCallbacks callbacks{[&](const hart::SubDeviceIdentity& device) { indexes.push_back(device.index); },
                            [&way](Result<std::optional<SubDeviceWay>> result) { way = std::move(result); }};
  auto finder = std::make_shared<SubDeviceFinder>(clock, line, SubDeviceName{}, callbacks);
  finder->Start();
  for (int step = 0; step < 100 && !way; ++step) clock.advance(100);
  ASSERT_TRUE(way && *way);
  EXPECT_FALSE(**way);
  EXPECT_EQ(indexes, (std::vector<std::uint16_t>{1, 2, 3}));
  EXPECT_EQ(line->asked, (std::vector<std::uint16_t>{0, 74, 84, 84, 84}));
}

}  // namespace
}  // namespace zolin6::driver
