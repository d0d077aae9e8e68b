#pragma once
// The simulated device's answer to a HART-IP direct PDU: each command goes
// to the device as the long-frame request of a primary master to its own
// unique address, and its reply comes back as that command's response
// code and data, in the order asked.

#include "device/hart_device.h"
#include "hart/bytes.h"
#include "hart/hart_ip_direct.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::transport {

// The answer to a decoded request. A command the device would not answer
// (11 or 21 with another tag) answers 64 without data. Commands stop when
// the answer fills a message: the one that did not fit whole answers 30
// with what fits, and later ones are neither carried out nor answered.
hart::ip::DirectPdu AnswerDirectPdu(device::ServedDevice& device, const hart::ip::DirectPdu& request,
                                    toolkit::Millis now);
// The same from the request's body to the response's; an error names what
// is wrong with a request body that does not decode.
Result<hart::Bytes> AnswerDirectPduBody(device::ServedDevice& device, hart::ByteView requestBody, toolkit::Millis now);

}  // namespace zolin6::transport
