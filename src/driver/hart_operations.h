#pragma once
// The HART driver's command side: which HART transactions each operation
// code of the control takes (docs/hart-commands.md, section 2), and how
// their replies become the documents the control reads. Tags and value
// texts are the ones the simulated transmitter's documents carry today, so
// the pages cannot tell the two drivers apart. No I/O and no timing here:
// the caller runs the transactions through hart::Master.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "driver/hart_read_table.h"
#include "driver/request_document.h"
#include "hart/bytes.h"
#include "hart/layout.h"
#include "hart/master.h"
#include "platform/result.h"

namespace zolin6::driver {

// One HART transaction to run: its command, the request's data field and
// whether the master may resend it.
struct HartRequest {
  std::uint16_t command = 0;
  hart::Bytes data;
  hart::Effect effect = hart::Effect::Repeatable;
  friend bool operator==(const HartRequest&, const HartRequest&) = default;
};

// The transactions read `code` (1 to 33) takes, in order; none for a read
// that command 0's data answers alone. Read 32 takes its device variables
// from Attribute1-8. A code the device does not answer fails.
Result<std::vector<HartRequest>> ReadTransactions(int code, const RequestAttributes& attributes,
                                                  CommandSet set = CommandSet::Transmitter);

// The parameter document answering read `code`, from the completions of
// its transactions in the order ReadTransactions gave them (all of them, or
// those up to the one that stopped the read) and from `identity`, the data
// of the device's command 0 as kept. Read 28 takes its output from
// Attribute1; read 25 adds the cold start bit when `coldStartSeen` (a reply
// since the previous read 25 carried it). A tag whose reply is missing,
// refused or too short is left out; a read the device refused or stayed
// busy on carries that response code as "Response Code 1".
std::string ReadAnswer(int code, std::span<const hart::Completion> replies, const RequestAttributes& attributes,
                       hart::ByteView identity, bool coldStartSeen = false, CommandSet set = CommandSet::Transmitter);

// Keeps `identity` (command 0's data) current from a reply that carries
// part of it: the response preambles a command 59 set, and on this
// transmitter the configuration change counter of every command 48 reply.
void UpdateIdentity(hart::Bytes& identity, const hart::Completion& reply, CommandSet set);

// What a write sends: its transactions in order (stop at the first that
// does not answer 0), or, when an attribute cannot be encoded or fails the
// driver's own checks, the response code it is answered with and nothing
// to send. A write code the device does not know is refused with 64, and so
// is, on another HART device, a write that takes a device-specific command.
struct WritePlan {
  std::vector<HartRequest> requests;
  int refusal = 0;  // non-zero: answer "Response Code 1" with it, send nothing
};
WritePlan PlanWrite(int code, const RequestAttributes& attributes, CommandSet set = CommandSet::Transmitter);

// "Response Code 1" of a write from the completions of the transactions it
// ran: the response code of the first command that did not answer 0 (a
// warning counts), 32 for one that stayed busy, else 0. A transaction that
// ended without a reply is a link failure and fails.
Result<int> WriteResponseCode(std::span<const hart::Completion> completions);

}  // namespace zolin6::driver
