#pragma once
// The commands of zolin6 that need no window: recording the observed values
// for a while, and exporting the device history. Each answers the program's
// exit status: 0 when done, 2 (after a message on standard error) when not.

#include <QString>
#include <memory>
#include <optional>

#include "history/store_location.h"
#include "opened_device.h"
#include "platform/toolkit/clock.h"

namespace zolin6::app {

// "30s", "10m", "2h" in ms; nullopt for anything else.
std::optional<toolkit::Millis> ParseDuration(const QString& text);

// --history-export FILE.csv: the whole history, written atomically (after
// the records an earlier run kept are stored).
int ExportHistory(const history::StoreLocation& store, const QString& file);

// --record FILE.csv --duration D: opens the observation page of `device`
// and records what it shows for `duration`; whatever the control writes
// meanwhile goes to the device history at `store`. A write error stops the
// recording at once; a history that cannot be written fails the command
// after the recording.
//
// With `published` (--published) it records only what the device publishes
// (burst mode), each line at the moment the frame was heard, and leaves the
// observation page closed so that nothing is polled; a device that
// published nothing in that time fails the command.
int RecordObservation(OpenedDevice& device, const QString& iconFolder, const QString& file, toolkit::Millis duration,
                      const history::StoreLocation& store, bool published = false);

}  // namespace zolin6::app
