// The transmitter's own commands 128-151: each table's request and reply
// sizes and effect as the command reference lists them, so that a table
// that drifts by a byte or loses NotRepeatable fails here.

#include "hart/commands_device.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace zolin6::hart {
namespace {

std::size_t FullSize(const Layout& layout) {
  std::size_t size = FixedSize(layout);
  for (const Field& field : layout.group) size += std::size_t{field.size} * layout.maxGroups;
  return size;
}

TEST(DeviceCommands, SizesAndEffectsAsTheReferenceLists) {
  constexpr auto R = Effect::Repeatable;
  constexpr auto O = Effect::NotRepeatable;
  const std::vector<std::tuple<std::uint16_t, std::size_t, std::size_t, Effect>> table = {
      {128, 0, 27, R},  {129, 1, 25, R}, {130, 13, 13, R}, {131, 10, 10, R}, {132, 2, 2, R}, {133, 0, 29, R},
      {134, 29, 29, R}, {135, 0, 6, R},  {136, 6, 6, R},   {137, 0, 3, R},   {138, 3, 3, R}, {139, 2, 2, R},
      {140, 0, 28, R},  {141, 0, 0, O},  {142, 0, 20, R},  {143, 2, 2, R},   {144, 1, 1, O}, {145, 0, 54, R},
      {146, 5, 5, O},   {147, 6, 6, O},  {148, 7, 7, O},   {149, 5, 5, O},   {150, 5, 5, O}, {151, 0, 0, O},
  };
  ASSERT_EQ(DeviceSpecificCommands().size(), table.size());
  for (const auto& [number, request, reply, effect] : table) {
    const CommandLayout* command = FindDeviceCommand(number);
    ASSERT_NE(command, nullptr) << number;
    EXPECT_EQ(FullSize(command->request), request) << number;
    EXPECT_EQ(FullSize(command->reply), reply) << number;
    EXPECT_EQ(command->effect, effect) << number;
  }
  EXPECT_EQ(FindDeviceCommand(152), nullptr);
  EXPECT_EQ(FindDeviceCommand(48)->number, 48);
}

}  // namespace
}  // namespace zolin6::hart
