#pragma once
// A simulated transmitter on its own manual clock with a link client bound
// to it: one device of the configuration tests. The device is changed
// through its own fault-injection door (SetValue), never through the link
// client; the writes it receives are recorded by code.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "configuration/link_client.h"
#include "transport/simulated_device.h"

namespace zolin6::configuration::testing {

struct SimDevice {
  SimDevice() {
    driver::DriverObserver observer;
    observer.request = [this](const std::string& kind, const std::string& code, const std::string&) {
      if (kind == "write") {
        writes.push_back(code);
        if (onWrite) onWrite(static_cast<int>(writes.size()));
      }
    };
    sim = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{}, std::move(observer));
    Result<bool> connected = link.Connect(sim);
    EXPECT_TRUE(connected) << connected.error().message;
  }

  void Set(const std::string& tag, const std::string& value) {
    ASSERT_EQ(sim->transmitter().SetValue(tag, value, clock.now()), "") << tag;
  }

  toolkit::Clock clock;
  std::vector<std::string> writes;   // the write codes the device received, in order
  std::function<void(int)> onWrite;  // called as the n-th write arrives, before it is carried out
  std::shared_ptr<transport::SimulatedDevice> sim;
  LinkClient link{clock, AdvanceClock(clock)};
};

}  // namespace zolin6::configuration::testing
