#include "window_connection.h"

namespace zolin6::app {

WindowConnection::WindowConnection(transport::EventLoopClock& ticker, std::shared_ptr<transport::SimulatedDevice> sim,
                                   transport::LinkReport report)
    : ticker_(ticker),
      report_(std::move(report)),
      sim_(std::move(sim)),
      switching_(std::make_shared<driver::SwitchingDriver>(ticker.clock(), sim_)) {}

Result<bool> WindowConnection::Connect(const transport::ConnectionTarget& target) {
  std::shared_ptr<driver::HartDriver> hart;
  std::function<std::string()> security;
  if (target.kind != transport::ConnectionTarget::Kind::Simulated) {
    // A serial port in use by the present connection is let go first.
    if (hart_ && target_.kind == transport::ConnectionTarget::Kind::Serial && target_.path == target.path) {
      Disconnect();
    }
    Result<transport::OpenedLink> opened = transport::OpenLink(target, ticker_, report_);
    if (!opened) return opened.error();
    auto line = std::make_shared<driver::TracedLink>(opened->link);
    line->Trace([this](const hart::TracedFrame& frame) {
      for (const FrameSink& sink : sinks_) sink(frame);
    });
    hart = std::make_shared<driver::HartDriver>(ticker_.clock(), line,
                                                driver::HartDriverOptions{opened->settings, {}, opened->publishes});
    hart->Start();
    security = opened->security;
  }
  hart_ = hart;
  security_ = security;
  target_ = target;
  connected_ = true;
  switching_->Switch(hart_ ? std::shared_ptr<framelink::DtmObject>(hart_) : sim_);
  if (changed_) changed_();
  return true;
}

void WindowConnection::Disconnect() {
  switching_->Switch(nullptr);
  hart_.reset();
  security_ = nullptr;
  connected_ = false;
  if (changed_) changed_();
}

QString WindowConnection::describe() const {
  return connected_ ? QString::fromStdString(target_.describe()) : QString("Not connected");
}

Result<bool> WindowConnection::traceTo(const std::string& path) {
  traceFile_.open(path, std::ios::out | std::ios::trunc);
  if (!traceFile_) return Error{"cannot write the trace to " + path};
  addFrameSink([this](const hart::TracedFrame& frame) {
    traceFile_ << hart::FormatTraceLine(frame) << '\n' << std::flush;
  });
  return true;
}

std::shared_ptr<driver::HartDriver> WindowConnection::hartDriver() const {
  if (!connected_) return nullptr;
  return hart_ ? hart_ : sim_->driver().shared_from_this();
}

desktop::BurstLine WindowConnection::burstLine() const {
  auto unavailable = [this]() -> QString {
    if (!connected_) return "No device is connected (File > Connect).";
    return hartDriver()->online() ? QString() : QString("The device at %1 is off line.").arg(describe());
  };
  auto send = [this](driver::HartRequest request, driver::HartDriver::TransactionDone done) {
    const std::shared_ptr<driver::HartDriver> hart = hartDriver();
    if (!hart || !hart->online()) return false;
    hart->Transact(std::move(request), std::move(done));
    return true;
  };
  return {unavailable, send};
}

QString WindowConnection::otherDevice() const {
  if (!hart_ || hart_->commandSet() == driver::CommandSet::Transmitter) return {};
  const hart::Bytes& id = hart_->identity();
  constexpr std::size_t kManufacturerAt = 17;
  if (id.size() < kManufacturerAt + 2) return {};
  const auto word = [&id](std::size_t at) { return (id[at] << 8U) | id[at + 1]; };
  return QString("another maker's device (manufacturer %1, device type %2): only the universal pages")
      .arg(word(kManufacturerAt))
      .arg(word(1));
}

}  // namespace zolin6::app
