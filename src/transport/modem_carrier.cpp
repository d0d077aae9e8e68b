#include "transport/modem_carrier.h"

#include <termios.h>
#include <unistd.h>

namespace zolin6::transport {

bool SerialCarrierPort::SetRts(bool on) {
  if (port_.setRequestToSend(on)) return true;
  // A pseudo-terminal has no RTS: the bytes still get through.
  port_.clearError();
  return false;
}

std::function<void()> SerialCarrierPort::DrainWait() {
  const int descriptor = ::dup(port_.handle());
  if (descriptor < 0) return {};
  return [descriptor] {
    ::tcdrain(descriptor);
    ::close(descriptor);
  };
}

}  // namespace zolin6::transport
