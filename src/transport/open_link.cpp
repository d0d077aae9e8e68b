#include "transport/open_link.h"

namespace zolin6::transport {

Result<OpenedLink> OpenLink(const ConnectionTarget& target, EventLoopClock& ticker, LinkReport report) {
  (void)ticker;
  (void)report;
  return Error{target.describe() + ": not available"};
}

}  // namespace zolin6::transport
