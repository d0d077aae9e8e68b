#pragma once
// The whole simulated HART set-up in one call: a simulated transmitter as a
// HART device, the FSK line to it, and the HART driver the control is
// handed. What `driver hart` of the scenario runner uses, and the tests.

#include <cstdint>
#include <memory>

#include "device/in_process_link.h"
#include "driver/hart_driver.h"
#include "driver/sim_driver.h"
#include "driver/transmitter.h"

namespace zolin6::device {

struct InProcessHart {
  std::shared_ptr<driver::HartDriver> driver;
  std::shared_ptr<InProcessLink> link;
  // The device's values, owned by the link; valid while the link lives.
  driver::SimulatedTransmitter* transmitter = nullptr;
};

// `seed`: the process simulation's, as for the simulated transmitter's
// driver, so both show the same device.
InProcessHart MakeInProcessHart(toolkit::Clock& clock, std::uint32_t seed = driver::SimOptions{}.seed,
                                driver::SimObserver observer = {});

}  // namespace zolin6::device
