#pragma once
// The numbers of the universal commands that more than one part of the
// program sends or answers by name. Command layouts live in the tables of
// layout.h; these are only the numbers.

#include <cstdint>

namespace zolin6::hart {

inline constexpr std::uint16_t kReadUniqueIdentifier = 0;
inline constexpr std::uint16_t kReadDynamicVariables = 3;
inline constexpr std::uint16_t kReadVariablesWithStatus = 9;
inline constexpr std::uint16_t kReadUniqueIdentifierByTag = 11;
inline constexpr std::uint16_t kReadTag = 13;
inline constexpr std::uint16_t kReadLongTag = 20;
inline constexpr std::uint16_t kReadUniqueIdentifierByLongTag = 21;
inline constexpr std::uint16_t kReadAdditionalStatus = 48;
// Below it universal and common-practice commands; from it each maker's own.
inline constexpr std::uint16_t kFirstDeviceSpecificCommand = 128;

}  // namespace zolin6::hart
