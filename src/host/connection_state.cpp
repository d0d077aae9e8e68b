// The on-line state, learnt only from the state elements among the driver's
// notifications, and its display in panel 1 of the status bar.

#include <filesystem>

#include "host/user_cntrl.h"
#include "platform/framelink/contract.h"

namespace zolin6 {

void UserCntrl::UpdateConnectionState(const std::string& details) {
  // Only a text that starts with the state prefix and is long enough to hold
  // the whole on-line element decides the state; only its first 26
  // characters count.
  if (const std::optional<bool> online = framelink::StateSaysOnline(details)) {
    s_.sConnState = *online ? "Connected" : "Disconnected";
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
