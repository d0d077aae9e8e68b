#include "driver/hart_driver.h"

#include <charconv>

#include "hart/command_codec.h"
#include "hart/hart_ip.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"

namespace zolin6::driver {

namespace {

using framelink::kStateNotification;
using framelink::kWriteNotification;

constexpr int kStatusRead = 25;
// Not a write code of the device: refused as unknown.
constexpr int kUnknownCode = -1;

std::optional<int> OperationCode(const std::string& code) {
  std::uint16_t value = 0;  // unsigned: a sign makes the code unknown
  auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
  if (code.empty() || ec != std::errc() || end != code.data() + code.size()) return std::nullopt;
  return value;
}

// Outcomes that say nothing came back from the device: the line or the
// device is gone, not the request refused.
bool LinkLostWith(hart::Outcome outcome) {
  switch (outcome) {
    case hart::Outcome::NoReply:
    case hart::Outcome::GarbledReply:
    case hart::Outcome::CommunicationError:
    case hart::Outcome::NotResent:
    case hart::Outcome::NoDevice: return true;
    default: return false;
  }
}

}  // namespace

HartDriver::HartDriver(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, HartDriverOptions options,
                       DriverObserver observer)
    : clock_(clock),
      link_(std::move(link)),
      master_(options.master),
      pacing_(options.pacing),
      subscribe_(options.subscribe),
      observer_(std::move(observer)) {}

// A transaction after which an operation goes no further. A read goes on
// past a warning, which carries its data; a write stops at the first
// command the device did not simply carry out.
bool HartDriver::Stops(const hart::Completion& completion, bool write) {
  if (completion.outcome != hart::Outcome::Replied) return true;
  const std::uint8_t code = completion.status.responseCode();
  return write ? code != 0 : hart::IsErrorCode(code);
}

void HartDriver::Start() {
  link_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->Pump(bytes);
  });
  link_->WatchState([weak = weak_from_this()](bool up, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->OnLineState(up);
  });
}

bool HartDriver::CloseSession(const std::string& invokeId) {
  if (observer_.session) observer_.session("CloseSession", {invokeId});
  updateUI_ = nullptr;
  return true;
}

bool HartDriver::IsReady(bool& ready) {
  if (observer_.session) observer_.session("IsReady", {});
  ready = true;
  return true;
}

bool HartDriver::RegisterControl(const std::string& className, const std::string& invokeId,
                                 fdt::IDtmActiveXControl* control, std::int32_t zero, bool& result) {
  if (observer_.session) observer_.session("RegisterControl", {className, invokeId, "control", std::to_string(zero)});
  updateUI_ = dynamic_cast<framelink::IUpdateUI*>(control);
  published_ = updateUI_ != nullptr ? dynamic_cast<hart::PublishedSink*>(control) : nullptr;
  result = updateUI_ != nullptr;
  if (updateUI_ != nullptr) {
    // The control learns the device is there from command 0's answer.
    At(clock_.now() + (pacing_ ? pacing_->onlineDelay : 0), [](HartDriver& self) {
      if (!self.lineUp_) return;
      self.reportOnline_ = true;
      self.master_.identify();
      self.Pump({});
    });
  }
  return true;
}

bool HartDriver::UnregisterControl(const std::string& invokeId, bool flag, bool& result) {
  if (observer_.session) observer_.session("UnregisterControl", {invokeId, flag ? "True" : "False"});
  updateUI_ = nullptr;
  published_ = nullptr;
  result = true;
  return true;
}

bool HartDriver::WriteRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("write", code, document);
  Enqueue({Kind::Write, code, document});
  result.clear();
  return true;
}

bool HartDriver::ReadRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("read", code, document);
  Enqueue({Kind::Read, code, document});
  result.clear();
  return true;
}

int HartDriver::pendingOperations() const {
  int pending = arriving_ + (running_ ? running_->request.copies : 0);
  for (const Operation& operation : waiting_) pending += operation.copies;
  return pending;
}

void HartDriver::SetLatency(toolkit::Millis latency) {
  if (pacing_) pacing_->latency = latency;
}

void HartDriver::At(toolkit::Millis at, std::function<void(HartDriver&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) {
      ++self->inCallback_;
      work(*self);
      --self->inCallback_;
    }
  });
}

void HartDriver::Transact(HartRequest request, TransactionDone done) {
  Enqueue({Kind::Transaction, {}, {}, 1, std::move(request), std::move(done)});
}

void HartDriver::Enqueue(Operation operation) {
  if (pacing_) {
    // One operation at a time, each taking the pace's time on the line.
    const toolkit::Millis due = std::max(clock_.now(), lineFreeAt_) + pacing_->latency;
    lineFreeAt_ = due;
    ++arriving_;
    At(due, [operation = std::move(operation)](HartDriver& self) {
      --self.arriving_;
      self.Arrive(operation);
    });
    return;
  }
  // A read already waiting, with no write behind it, answers this one too:
  // polling never piles up the same read on a slow line.
  if (operation.kind == Kind::Read) {
    for (auto it = waiting_.rbegin(); it != waiting_.rend() && it->kind == Kind::Read; ++it) {
      if (it->code == operation.code && it->document == operation.document) {
        ++it->copies;
        return;
      }
    }
  }
  if (!lineUp_) return Answer(operation, kStateNotification, std::string(framelink::kOfflineState));
  waiting_.push_back(std::move(operation));
  // Never inside the control's own call: the work starts from the clock.
  At(clock_.now(), [](HartDriver& self) {
    self.StartNext();
    self.Pump({});
  });
}

void HartDriver::Arrive(Operation operation) {
  if (!lineUp_) return Answer(operation, kStateNotification, std::string(framelink::kOfflineState));
  waiting_.push_back(std::move(operation));
  StartNext();
  Pump({});
}

void HartDriver::StartNext() {
  while (!running_ && !waiting_.empty()) {
    const Operation operation = waiting_.front();
    waiting_.pop_front();
    if (Begin(operation)) SubmitNext();
  }
}

// Plans the operation's transactions; false when it is answered (or, for a
// read code the device does not know, not answered at all) without any.
bool HartDriver::Begin(const Operation& operation) {
  Running run;
  run.request = operation;
  if (operation.kind == Kind::Transaction) {
    run.requests = {operation.transaction};
    running_ = std::move(run);
    return true;
  }
  run.attributes = ParseRequestDocument(operation.document);
  const std::optional<int> code = OperationCode(operation.code);
  if (operation.kind == Kind::Read) {
    if (!code) return false;
    Result<std::vector<HartRequest>> requests = ReadTransactions(*code, run.attributes, commandSet_);
    if (!requests) return false;
    run.requests = std::move(requests).value();
  } else {
    WritePlan plan = PlanWrite(code.value_or(kUnknownCode), run.attributes, commandSet_);
    if (plan.refusal != 0) {
      Answer(operation, kWriteNotification, ResponseDocument(plan.refusal));
      return false;
    }
    run.requests = std::move(plan.requests);
  }
  run.code = code.value_or(kUnknownCode);
  running_ = std::move(run);
  return true;
}

void HartDriver::SubmitNext() {
  if (running_->requests.empty()) {
    // Answered from what command 0 gave: once the device is known.
    if (!identity_.empty()) return FinishRead();
    running_->awaitsIdentity = true;
    master_.identify();
    submitted_ = true;
    return;
  }
  if (TrySendDirect()) return;
  const HartRequest& request = running_->requests[running_->completions.size()];
  running_->waitingFor = master_.submit(request.command, request.data, request.effect);
  submitted_ = true;
}

void HartDriver::Pump(hart::ByteView received) {
  // The line may answer inside our own Send (the instant line does): what
  // it says then waits for the loop below.
  inbox_.insert(inbox_.end(), received.begin(), received.end());
  if (pumping_) return;
  pumping_ = true;
  hart::Step step;
  do {
    submitted_ = false;
    const hart::Bytes heard = std::exchange(inbox_, {});
    step = master_.step(hart::Millis{clock_.now()}, heard);
    if (!step.transmit.empty()) link_->Send(step.transmit, clock_.now());
    for (const hart::Completion& completion : step.completed) OnCompletion(completion);
    for (hart::HeardBurst& burst : step.bursts) Publish(std::move(burst));
    StartNext();
  } while (submitted_ || !inbox_.empty());
  pumping_ = false;
  if (step.wakeAt && step.wakeAt->count() != wakeScheduled_) {
    wakeScheduled_ = step.wakeAt->count();
    At(*wakeScheduled_, [](HartDriver& self) {
      self.wakeScheduled_.reset();
      self.Pump({});
    });
  }
}

void HartDriver::OnLineState(bool up) {
  lineUp_ = up;
  // Heard while the master is at work: taken up once it is done.
  if (pumping_) return At(clock_.now(), [up](HartDriver& self) { self.LineChanged(up); });
  LineChanged(up);
}

// The line's news is acted on when it comes, so news in quick succession
// reaches the control in its order.
void HartDriver::LineChanged(bool up) {
  if (!up) return LinkLost();
  // The way to the device is back: look for it, and say so once it answers.
  reportOnline_ = true;
  master_.identify();
  Pump({});
}

void HartDriver::OnCompletion(const hart::Completion& completion) {
  if (completion.outcome == hart::Outcome::Replied && completion.status.has(hart::device_status::kColdStart)) {
    coldStartSeen_ = true;
  }
  if (completion.id == 0 && completion.command == 0) return OnIdentified(completion);
  KeepIdentity(completion);
  if (completion.id == 0 || !running_ || completion.id != running_->waitingFor) return;
  running_->completions.push_back(completion);
  if (running_->request.kind == Kind::Transaction) return FinishTransaction(completion);
  if (LinkLostWith(completion.outcome)) return LinkLost();
  const bool allDone = running_->completions.size() == running_->requests.size();
  if (allDone || Stops(completion, running_->request.kind == Kind::Write)) {
    return running_->request.kind == Kind::Read ? FinishRead() : FinishWrite();
  }
  SubmitNext();
}

// The master's own command 0 tells whether the device is there, and who it is.
void HartDriver::OnIdentified(const hart::Completion& completion) {
  if (completion.outcome != hart::Outcome::Replied) {
    if (online_ || (running_ && running_->awaitsIdentity)) LinkLost();
    return;
  }
  identity_ = completion.data;
  commandSet_ = CommandSetFor(identity_);
  if (!online_ || reportOnline_) {
    online_ = true;
    reportOnline_ = false;
    Deliver(kStateNotification, std::string(framelink::kOnlineState));
    if (subscribe_) Subscribe();
  }
  if (running_ && running_->awaitsIdentity) FinishRead();
}

// The replies that change what command 0 said keep our copy of it current,
// and the master looks for a device that moved at its new address.
void HartDriver::KeepIdentity(const hart::Completion& completion) {
  constexpr std::uint16_t kWritePollingAddress = 6;
  if (completion.outcome != hart::Outcome::Replied || hart::IsErrorCode(completion.status.responseCode())) return;
  UpdateIdentity(identity_, completion, commandSet_);
  if (completion.command == kWritePollingAddress && !completion.data.empty()) {
    master_.movePollingAddress(completion.data[0]);
  }
}

void HartDriver::FinishRead() {
  const Running run = std::move(*running_);
  running_.reset();
  const std::string document =
      ReadAnswer(run.code, run.completions, run.attributes, identity_, coldStartSeen_, commandSet_);
  if (run.code == kStatusRead && run.completions.size() == run.requests.size()) coldStartSeen_ = false;
  Answer(run.request, framelink::ReadNotification(run.code), document);
}

void HartDriver::FinishTransaction(const hart::Completion& completion) {
  const Operation operation = std::move(running_->request);
  running_.reset();
  At(clock_.now(), [done = operation.done, completion](HartDriver&) { done(completion); });
  if (LinkLostWith(completion.outcome)) LinkLost();
}

void HartDriver::FinishWrite() {
  const Running run = std::move(*running_);
  running_.reset();
  const Result<int> code = WriteResponseCode(run.completions);
  if (!code) {
    waiting_.push_front(run.request);
    return LinkLost();
  }
  Answer(run.request, kWriteNotification, ResponseDocument(*code));
}

void HartDriver::LinkLost() {
  // Every request still outstanding is answered with the off-line state,
  // and so the control learns of it; with none, it is told once.
  master_.forgetDevice();
  const bool wasOnline = online_;
  online_ = false;
  identity_.clear();
  std::deque<Operation> unanswered = std::exchange(waiting_, {});
  if (running_) unanswered.push_front(running_->request);
  running_.reset();
  const std::string offline(framelink::kOfflineState);
  for (const Operation& operation : unanswered) Answer(operation, kStateNotification, offline);
  if (unanswered.empty() && (wasOnline || pacing_)) Deliver(kStateNotification, offline);
  // On a real line, look for the device once more: back at once, it is
  // reported on line; gone, the next request looks again.
  if (!pacing_ && lineUp_) {
    master_.identify();
    if (!pumping_) Pump({});
  }
}

void HartDriver::Answer(const Operation& operation, std::int32_t reason, const std::string& details) {
  if (operation.kind == Kind::Transaction) {
    const hart::Completion never{0, operation.transaction.command, hart::Outcome::NoDevice, {}, {}, 0};
    return At(clock_.now(), [done = operation.done, never](HartDriver&) { done(never); });
  }
  for (int copy = 0; copy < operation.copies; ++copy) Deliver(reason, details);
}

void HartDriver::Deliver(std::int32_t reason, const std::string& details) {
  // From the clock, so an answer waits while the window shows a modal box,
  // and never reaches the control inside one of its own calls.
  if (inCallback_ == 0) {
    At(clock_.now(), [reason, details](HartDriver& self) { self.Deliver(reason, details); });
    return;
  }
  if (updateUI_ == nullptr) return;
  if (observer_.notify) observer_.notify(reason, details);
  framelink::IUpdateUI* control = updateUI_;
  control->UpdateUI(reason, details);
}

// Every device behind the server (the all-zero address), process data only.
// Its reply answers no request of the control's and is let go.
void HartDriver::Subscribe() {
  const hart::Record fields{{"device address", hart::Bytes(5, 0)},
                            {"subscription flags", std::uint32_t{hart::ip::kSubscribeProcessData}}};
  const Result<hart::Bytes> request = hart::BuildRequest(hart::ip::kSubscribeCommand, fields);
  if (!request) return;
  master_.submit(hart::ip::kSubscribeCommand, *request);
  submitted_ = true;
}

void HartDriver::Publish(hart::HeardBurst burst) {
  // From the clock, as an answer is: never inside the control's own call.
  if (inCallback_ == 0) {
    burst.frame.data = {};  // views bytes the master no longer holds
    At(clock_.now(), [burst = std::move(burst)](HartDriver& self) { self.Publish(burst); });
    return;
  }
  if (published_ != nullptr) published_->OnPublished(burst);
}

}  // namespace zolin6::driver
