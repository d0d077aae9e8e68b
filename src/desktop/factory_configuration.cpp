#include "desktop/factory_configuration.h"

#include <memory>

#include "configuration/link_client.h"
#include "configuration/transfer.h"
#include "transport/simulated_device.h"

namespace zolin6::desktop {

Result<configuration::Configuration> FactoryConfiguration() {
  toolkit::Clock clock;
  auto factory = std::make_shared<transport::SimulatedDevice>(clock);
  configuration::LinkClient link(clock, configuration::AdvanceClock(clock));
  if (Result<bool> connected = link.Connect(factory); !connected) return connected.error();
  // Not read from any device: the file says so by having no time of reading.
  Result<configuration::Configuration> read = configuration::Upload(link, {});
  link.PrepareToRelease();
  return read;
}

}  // namespace zolin6::desktop
