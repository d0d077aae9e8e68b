#pragma once
// `zolin6 --connect hart-ip://HOST[:PORT]?v2 --psk-file FILE --audit-log`:
// the device's audit log of its HART-IP sessions, read over a secure
// session (message ID 5) and printed one line per session, oldest first,
// after a line on the device itself. Exit status 0 when it was read; 2,
// after a sentence on standard error, when the device could not be reached
// securely or did not answer.

#include <iosfwd>

#include "transport/connection_target.h"

namespace zolin6::app {

int ShowAuditLog(const transport::ConnectionTarget& target, std::ostream& out, std::ostream& err);

}  // namespace zolin6::app
