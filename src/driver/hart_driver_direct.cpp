// Reads over a secure HART-IP session: the commands of a read go to the
// device as one direct PDU, one round trip instead of one per command.
// Whatever the answer leaves open (a device asking for the request again,
// a message too full to answer every command, an answer that never came)
// goes on by frames through the master, as every read does elsewhere:
// reads are safe to send again.

#include "driver/hart_driver.h"

namespace zolin6::driver {

bool HartDriver::TrySendDirect() {
  Running& run = *running_;
  const std::size_t done = run.completions.size();
  if (run.request.kind != Kind::Read || run.directTried || run.requests.size() - done < 2) return false;
  run.directTried = true;
  hart::ip::DirectPdu pdu;
  for (std::size_t i = done; i < run.requests.size(); ++i) {
    pdu.commands.push_back({run.requests[i].command, 0, run.requests[i].data});
  }
  const std::uint32_t token = ++directSent_;
  const bool sent = link_->SendDirect(pdu, [weak = weak_from_this(), token](std::optional<hart::ip::DirectPdu> answer) {
    if (auto self = weak.lock()) self->OnDirectAnswer(token, std::move(answer));
  });
  if (sent) run.waitingDirect = token;
  return sent;
}

void HartDriver::OnDirectAnswer(std::uint32_t token, std::optional<hart::ip::DirectPdu> answer) {
  // Heard while the master is at work: taken up once it is done.
  if (pumping_) {
    return At(clock_.now(), [token, answer = std::move(answer)](HartDriver& self) mutable {
      self.OnDirectAnswer(token, std::move(answer));
    });
  }
  // The read ended meanwhile (the device was lost): nothing waits for this.
  if (!running_ || running_->waitingDirect != token) return;
  running_->waitingDirect = 0;
  if (answer) TakeDirectAnswers(*answer);
  if (running_ && running_->completions.size() < running_->requests.size()) SubmitNext();
  Pump({});
}

// Takes the answers in order up to the first the device wants asked again;
// the read ends at an error, as by frames.
void HartDriver::TakeDirectAnswers(const hart::ip::DirectPdu& answer) {
  for (const hart::ip::DirectCommand& answered : answer.commands) {
    Running& run = *running_;
    const std::size_t next = run.completions.size();
    if (next == run.requests.size() || answered.command != run.requests[next].command) return;
    hart::Completion completion;
    completion.command = answered.command;
    completion.outcome = hart::Outcome::Replied;
    completion.status = {answered.responseCode, answer.deviceStatus};
    completion.data = answered.data;
    completion.attempts = 1;
    // Asked again by frames: a device that wants the request again, and a
    // command cut short because the message was full.
    if (completion.status.asksToResend() || answered.responseCode == hart::response_code::kResponseTruncated) return;
    if (completion.status.has(hart::device_status::kColdStart)) coldStartSeen_ = true;
    KeepIdentity(completion);
    run.completions.push_back(std::move(completion));
    if (Stops(run.completions.back(), false)) return FinishRead();
  }
  if (running_->completions.size() == running_->requests.size()) FinishRead();
}

}  // namespace zolin6::driver
