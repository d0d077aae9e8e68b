#pragma once
// A device behind an I/O system as the user names it: by its index
// (1..65535) or its long tag; neither: every one.

#include <cstdint>
#include <string>

namespace zolin6::driver {

struct SubDeviceName {
  std::uint16_t index = 0;  // 0: by tag
  std::string longTag;      // Latin-1, as the device keeps it
  bool all() const { return index == 0 && longTag.empty(); }
  // "2", "'TT-101'": as the messages name it.
  std::string describe() const { return index != 0 ? std::to_string(index) : "'" + longTag + "'"; }
};

}  // namespace zolin6::driver
