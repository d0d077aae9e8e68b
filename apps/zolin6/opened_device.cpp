#include "opened_device.h"

#include <QEventLoop>
#include <QTimer>

#include "device_file.h"
#include "transport/open_link.h"

namespace zolin6::app {

namespace {

// While waiting for a real line's answer, the event loop runs in slices
// this long, so the answer is taken up within one slice.
constexpr int kWaitSliceMs = 20;

}  // namespace

Result<std::unique_ptr<OpenedDevice>> OpenedDevice::Open(const transport::ConnectionTarget& target,
                                                         const std::string& deviceFile) {
  std::unique_ptr<OpenedDevice> device(new OpenedDevice(target));
  if (target.kind == transport::ConnectionTarget::Kind::Simulated) {
    device->sim_ = std::make_shared<transport::SimulatedDevice>(device->clock_);
    device->deviceFile_ = deviceFile;
    if (!deviceFile.empty()) {
      if (Result<bool> loaded = LoadDeviceFile(*device->sim_, deviceFile); !loaded) return loaded.error();
    }
    return device;
  }
  if (!deviceFile.empty()) {
    return Error{"--device keeps the simulated device's state; it does not go with --connect " + target.url()};
  }
  Result<transport::OpenedLink> opened = transport::OpenLink(target, device->ticker());
  if (!opened) return opened.error();
  device->hart_ = std::make_shared<driver::HartDriver>(
      device->clock_, opened->link, driver::HartDriverOptions{opened->settings, {}, opened->publishes});
  device->hart_->Start();
  return device;
}

OpenedDevice::~OpenedDevice() {
  // The driver's and the line's answers run on the clock: they go first.
  hart_.reset();
  sim_.reset();
}

std::shared_ptr<framelink::DtmObject> OpenedDevice::driver() const {
  if (sim_) return sim_;
  return hart_;
}

std::shared_ptr<driver::HartDriver> OpenedDevice::hart() const {
  if (sim_) return sim_->driver().shared_from_this();
  return hart_;
}

transport::EventLoopClock& OpenedDevice::ticker() {
  if (!ticker_) ticker_ = std::make_unique<transport::EventLoopClock>(clock_);
  return *ticker_;
}

configuration::Wait OpenedDevice::Waiting() {
  if (sim_) return configuration::AdvanceClock(clock_);
  return [this] {
    QEventLoop loop;
    QTimer slice;
    slice.setSingleShot(true);
    QObject::connect(&slice, &QTimer::timeout, &loop, &QEventLoop::quit);
    slice.start(kWaitSliceMs);
    loop.exec();
    ticker().catchUp();
    return true;
  };
}

Result<bool> OpenedDevice::Close() {
  if (deviceFile_.empty() || !sim_) return true;
  return SaveDeviceFile(*sim_, deviceFile_);
}

}  // namespace zolin6::app
