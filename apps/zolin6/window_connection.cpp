#include "window_connection.h"

namespace zolin6::app {

Result<std::unique_ptr<WindowConnection>> WindowConnection::Open(const transport::ConnectionTarget& target,
                                                                 transport::EventLoopClock& ticker,
                                                                 std::shared_ptr<driver::SimDriver> sim,
                                                                 transport::LinkReport report) {
  std::unique_ptr<WindowConnection> connection(new WindowConnection(target));
  if (target.kind == transport::ConnectionTarget::Kind::Simulated) {
    connection->sim_ = std::move(sim);
    return connection;
  }
  Result<transport::OpenedLink> opened = transport::OpenLink(target, ticker, std::move(report));
  if (!opened) return opened.error();
  connection->line_ = std::make_shared<driver::TracedLink>(opened->link);
  connection->line_->Trace([self = connection.get()](const hart::TracedFrame& frame) {
    for (const FrameSink& sink : self->sinks_) sink(frame);
  });
  connection->hart_ = std::make_shared<driver::HartDriver>(ticker.clock(), connection->line_, opened->settings);
  connection->hart_->Start();
  return connection;
}

std::shared_ptr<framelink::DtmObject> WindowConnection::driver() const {
  if (hart_) return hart_;
  return sim_;
}

Result<bool> WindowConnection::traceTo(const std::string& path) {
  if (!hasLine()) return Error{"--trace needs a HART line: --connect hart-ip://HOST or serial:PATH"};
  traceFile_.open(path, std::ios::out | std::ios::trunc);
  if (!traceFile_) return Error{"cannot write the trace to " + path};
  addFrameSink([this](const hart::TracedFrame& frame) { traceFile_ << hart::FormatTraceLine(frame) << '\n' << std::flush; });
  return true;
}

QString WindowConnection::otherDevice() const {
  if (!hart_ || hart_->commandSet() == driver::CommandSet::Transmitter || hart_->identity().size() < 19) return {};
  const hart::Bytes& id = hart_->identity();
  const auto word = [&id](std::size_t at) { return (id[at] << 8U) | id[at + 1]; };
  return QString("another maker's device (manufacturer %1, device type %2): only the universal pages")
      .arg(word(17))
      .arg(word(1));
}

}  // namespace zolin6::app
