#pragma once
// How the transmitter carries out a write: the request's attributes are
// decoded (one-byte codes as hexadecimal digits, numbers as the 8 digits of
// their IEEE single-precision bits, texts in packed ASCII or one byte per
// character, the date as three bytes) and applied to the device state, or
// the write is refused with a HART response code and changes nothing.
//
// Response codes the device answers with:
//   0  done                          9  a value above its limit
//   2  a code the device does not    10 a value below its limit
//      know (an invalid selection)   11 a unit that does not fit the
//   3  a value too large                sensor, a unit change while the
//   4  a value too small                backup mode is on, a trim or fixed
//   5  a value missing or malformed     current the output cannot take
//   7  write protection is on        12 a combination the device refuses
//   14 a span below the minimum      29 an upper value not above the lower
//   32 busy restarting               64 a write code the device does not know

#include <cstdint>

#include "driver/device_documents.h"
#include "driver/device_model.h"
#include "driver/process_simulation.h"

namespace zolin6::driver {

inline constexpr int kResponseInvalidSelection = 2;
inline constexpr int kResponseTooLarge = 3;
inline constexpr int kResponseTooSmall = 4;
inline constexpr int kResponseTooFewBytes = 5;
inline constexpr int kResponseWriteProtected = 7;
inline constexpr int kResponseTooHigh = 9;
inline constexpr int kResponseTooLow = 10;
inline constexpr int kResponseNotPossible = 11;
inline constexpr int kResponseInvalidMode = 12;
inline constexpr int kResponseSpanTooSmall = 14;
inline constexpr int kResponseInvalidSpan = 29;
inline constexpr int kResponseBusy = 32;
inline constexpr int kResponseNotImplemented = 64;

struct WriteResult {
  int responseCode = 0;  // 0 when the write was carried out
  bool restart = false;  // the device restarts (reset, factory restore)
};

// Carries out write `code` on `state`. The process gives the sensor inputs
// the trims are taken at. A refused write leaves `state` as it was; a write
// that is carried out also counts in the change counters of what it
// changed, and a configuration write raises the configuration change
// counter and the "Configuration Changed" status.
WriteResult ApplyWrite(int code, const RequestAttributes& attributes, DeviceState& state,
                       const ProcessSimulation& process);

}  // namespace zolin6::driver
