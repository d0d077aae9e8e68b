// The on-line state, learnt only from the state elements among the driver's
// notifications, and its display in panel 1 of the status bar.

#include <filesystem>

#include "host/user_cntrl.h"

namespace zolin6 {

namespace {
constexpr std::string_view kStatePrefix = "<DTMInfo state='";              // 16 characters
constexpr std::string_view kOnlineElement = "<DTMInfo state='Online' />";  // 26 characters
}  // namespace

void UserCntrl::UpdateConnectionState(const std::string& details) {
  // Only a text that starts with the state prefix and is long enough to hold
  // the whole on-line element decides the state; only its first 26
  // characters count.
  if (details.starts_with(kStatePrefix) && details.size() >= kOnlineElement.size()) {
    s_.sConnState = details.starts_with(kOnlineElement) ? "Connected" : "Disconnected";
  }

  if (s_.sConnState == "Connected" && s_.bFirstRead) {
    s_.sRequestDoc = DocXML(NoneAttributes());
    // A failed read leaves bFirstRead set; the next notification tries again.
    if (!SendRead("1")) return;
    s_.bFirstRead = false;
  }

  const bool connected = s_.sConnState == "Connected";
  statusBar().setText(1, connected ? "Connected" : "Disconnected");
  // The icon is loaded anew each time; a missing file keeps the old picture.
  const std::string icon = connected ? "connected.ico" : "no connection.ico";
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(host_.iconFolder) / icon, error)) return;
  statusBar().setPicture(1, icon);
}

}  // namespace zolin6
