#pragma once
// Command 0's reply, also the reply of 11 and 21, and of 75 for a device
// behind an I/O system. HART 5 devices stop after the device ID, HART 6
// after the extended device status.

#include <array>
#include <cstddef>

#include "hart/layout.h"

namespace zolin6::hart {

inline constexpr std::array kUniqueIdentifier{
    U8("expansion code"),  // always 254
    U16("expanded device type"),
    U8("request preambles"),  // the fewest preambles the device needs from us
    U8("universal revision"),
    U8("device revision"),
    U8("software revision"),
    U8("hardware revision and signalling"),  // revision in bits 7..3, signalling code in 2..0
    U8("flags"),
    U24("device id"),
    U8("response preambles"),
    U8("last device variable"),
    U16("configuration change counter"),
    U8("extended device status"),
    U16("manufacturer"),
    U16("private label distributor"),
    U8("device profile"),
};
inline constexpr std::size_t kHart5IdentifierFields = 9;

}  // namespace zolin6::hart
