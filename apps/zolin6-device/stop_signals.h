#pragma once
// SIGINT and SIGTERM as an event on the Qt event loop, so the program stops
// the way it stops on its own: sessions closed, the device state saved.

#include <functional>

namespace zolin6::device_app {

// Call before the QCoreApplication starts any thread: the two signals are
// blocked and read from a descriptor instead. True, or false when the
// descriptor cannot be made.
bool BlockStopSignals();

// Calls `stop` from the event loop when either signal arrives.
void OnStopSignal(std::function<void()> stop);

}  // namespace zolin6::device_app
