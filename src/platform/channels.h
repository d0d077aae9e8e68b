#pragma once
// The transmitter's shape: six sensor channels, each with its own 4-20 mA
// output. Every table indexed by channel is sized by this one number.

namespace zolin6 {

inline constexpr int kChannels = 6;

}  // namespace zolin6
