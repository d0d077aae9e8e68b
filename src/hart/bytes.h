#pragma once
// The byte types every part of the HART layer passes around: an owned buffer
// for what we build, a read-only view for what we were given.

#include <cstdint>
#include <span>
#include <vector>

namespace zolin6::hart {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

}  // namespace zolin6::hart
