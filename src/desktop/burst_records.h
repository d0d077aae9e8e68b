#pragma once
// A burst setting changed is a write like any other: kept in the device
// history before it goes out, completed with the device's answer. The
// Burst Mode dialog and `zolin6 --burst` make the same records.

#include <cstdint>

#include "desktop/burst_settings.h"
#include "history/history_record.h"

namespace zolin6::desktop {

// The record of `change`, sent at `timeUtc` to `device`, not yet answered.
history::Record BurstChangeRecord(const BurstChange& change, const history::DeviceIdentity& device,
                                  std::int64_t timeUtc);
// Completes `record` with how the device answered.
void CompleteBurstRecord(history::Record& record, const hart::Completion& completion);

}  // namespace zolin6::desktop
