#pragma once
// What the driver and the control say to each other through the framework
// link besides the interface calls: the notification codes and the state
// element. Everything that watches or speaks on the link (the control, the
// link tap, the device history, the configuration files' client, the
// drivers) takes them from here.

#include <cstdint>
#include <optional>
#include <string_view>

namespace zolin6::framelink {

// A state element: the device came on line or went off line.
inline constexpr std::int32_t kStateNotification = 0;
// The answer to read N is notification 100 × N.
inline constexpr std::int32_t kReadNotificationStep = 100;
// The device's answer to a write: its response codes.
inline constexpr std::int32_t kWriteNotification = 4000;
// The read codes a driver answers.
inline constexpr int kFirstReadCode = 1;
inline constexpr int kLastReadCode = 33;

// The two state elements a driver sends. A text is a state element when it
// starts with the prefix and is long enough to hold the on-line element;
// only its first 26 characters count.
inline constexpr std::string_view kStatePrefix = "<DTMInfo state='";
inline constexpr std::string_view kOnlineState = "<DTMInfo state='Online' />";
inline constexpr std::string_view kOfflineState = "<DTMInfo state='Offline' />";

constexpr std::int32_t ReadNotification(int code) { return code * kReadNotificationStep; }

// The read code a notification answers, or nullopt for any other code.
constexpr std::optional<int> AnsweredRead(std::int32_t reason) {
  if (reason % kReadNotificationStep != 0) return std::nullopt;
  const std::int32_t code = reason / kReadNotificationStep;
  if (code < kFirstReadCode || code > kLastReadCode) return std::nullopt;
  return code;
}

// What a notification text says of the device: nullopt when it is no state
// element (a parameter document, a prefix too short), else whether it is on
// line.
constexpr std::optional<bool> StateSaysOnline(std::string_view text) {
  if (!text.starts_with(kStatePrefix) || text.size() < kOnlineState.size()) return std::nullopt;
  return text.starts_with(kOnlineState);
}

}  // namespace zolin6::framelink
