#pragma once
// The messages the product shows for the device's response codes to a write.
// Code 11 has no one message: what it means depends on what was asked last,
// so its three texts are named here and chosen by whoever knows that.

#include <optional>
#include <string_view>

namespace zolin6::pages {

inline constexpr const char* kHeldCurrentMessage = "Loop current no active!";  // 11 while a current is held
inline constexpr const char* kBackupModeMessage = "Backup mode is enabled!";   // 11 after a unit change
inline constexpr const char* kInvalidUnitMessage = "Invalid Unit!";            // 11 otherwise

// The message of a code other than 11, or nothing for a code the product
// does not list.
std::optional<std::string_view> ResponseCodeMessage(long code);

}  // namespace zolin6::pages
