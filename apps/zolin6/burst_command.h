#pragma once
// `zolin6 --burst-show` and `zolin6 --burst "on N CMD PERIOD_MS [VARIABLE...]"`
// or `--burst "off N"`: the burst messages of the device --connect names
// (the built-in simulated device by default, its state kept in --device),
// read and changed without a window, with the HART commands and the device
// history records of the Burst Mode dialog. A change switches the message
// on with a continuous trigger, or off, and prints the messages as the
// device keeps them afterwards. Exit status: 0 when the device answered
// every read and took every change; 2 (after a message on standard error)
// when a request was malformed, refused or not answered.

#include <QString>

#include <iosfwd>
#include <optional>

#include "desktop/burst_settings.h"
#include "history/store_location.h"
#include "opened_device.h"
#include "platform/result.h"

namespace zolin6::app {

// The change --burst asks for, applied to message `was` as read.
struct BurstRequest {
  std::uint8_t number = 0;
  bool on = false;
  std::uint16_t command = 0;
  std::uint32_t periodMs = 0;
  std::optional<std::vector<std::uint8_t>> variables;  // none: keep the message's own
  desktop::BurstMessage appliedTo(const desktop::BurstMessage& was) const;
};

// The words of --burst; the error says what is wrong with them.
Result<BurstRequest> ParseBurstRequest(const QString& words);

// Prints the messages (`change` empty) or changes one and prints them.
int RunBurstCommand(OpenedDevice& device, const history::StoreLocation& store,
                    const std::optional<BurstRequest>& change, std::ostream& out);

}  // namespace zolin6::app
