#include "driver/hart_driver.h"

#include <charconv>

#include "platform/fdt/dtm_activex_control.h"

namespace zolin6::driver {

namespace {

constexpr std::int32_t kWriteNotification = 4000;
constexpr std::int32_t kReadNotificationStep = 100;
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
bool LinkLost(hart::Outcome outcome) {
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

HartDriver::HartDriver(toolkit::Clock& clock, std::shared_ptr<ByteLink> link, hart::MasterSettings settings,
                       SimObserver observer)
    : clock_(clock), link_(std::move(link)), master_(settings), observer_(std::move(observer)) {}

void HartDriver::Start() {
  link_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis /*now*/) {
    if (auto self = weak.lock()) self->Pump(bytes);
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
  result = updateUI_ != nullptr;
  if (updateUI_ != nullptr) {
    // The control learns the device is there from command 0's answer.
    master_.identify();
    At(clock_.now(), [](HartDriver& self) { self.Pump({}); });
  }
  return true;
}

bool HartDriver::UnregisterControl(const std::string& invokeId, bool flag, bool& result) {
  if (observer_.session) observer_.session("UnregisterControl", {invokeId, flag ? "True" : "False"});
  updateUI_ = nullptr;
  result = true;
  return true;
}

bool HartDriver::WriteRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("write", code, document);
  Enqueue(Kind::Write, code, document);
  result.clear();
  return true;
}

bool HartDriver::ReadRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("read", code, document);
  Enqueue(Kind::Read, code, document);
  result.clear();
  return true;
}

int HartDriver::pendingOperations() const { return static_cast<int>(waiting_.size()) + (running_ ? 1 : 0); }

void HartDriver::At(toolkit::Millis at, std::function<void(HartDriver&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void HartDriver::Enqueue(Kind kind, const std::string& code, const std::string& document) {
  // Never inside the control's own call: the work starts from the clock.
  waiting_.push_back({kind, code, document});
  At(clock_.now(), [](HartDriver& self) {
    self.StartNext();
    self.Pump({});
  });
}

void HartDriver::StartNext() {
  while (!running_ && !waiting_.empty()) {
    const Operation operation = waiting_.front();
    waiting_.pop_front();
    if (Begin(operation)) SubmitNext();
  }
}

// Plans the operation's transactions; false when it is answered (or not
// answered at all) without any.
bool HartDriver::Begin(const Operation& operation) {
  Running run;
  run.kind = operation.kind;
  run.attributes = ParseRequestDocument(operation.document);
  const std::optional<int> code = OperationCode(operation.code);
  if (operation.kind == Kind::Read) {
    // A read code the device does not answer gets no answer, as before.
    if (!code) return false;
    Result<std::vector<HartRequest>> requests = ReadTransactions(*code, run.attributes, commandSet_);
    if (!requests) return false;
    run.requests = std::move(requests).value();
  } else {
    WritePlan plan = PlanWrite(code.value_or(kUnknownCode), run.attributes, commandSet_);
    if (plan.refusal != 0) {
      Deliver(kWriteNotification, ResponseDocument(plan.refusal));
      return false;
    }
    run.requests = std::move(plan.requests);
  }
  run.code = code.value_or(kUnknownCode);
  running_ = std::move(run);
  return true;
}

void HartDriver::SubmitNext() {
  const HartRequest& request = running_->requests[running_->completions.size()];
  running_->waitingFor = master_.submit(request.command, request.data, request.effect);
  submitted_ = true;
}

void HartDriver::Pump(hart::ByteView received) {
  hart::Step step;
  do {
    submitted_ = false;
    step = master_.step(hart::Millis{clock_.now()}, received);
    received = {};
    if (!step.transmit.empty()) link_->Send(step.transmit, clock_.now());
    for (const hart::Completion& completion : step.completed) OnCompletion(completion);
    StartNext();
  } while (submitted_);
  if (step.wakeAt && step.wakeAt->count() != wakeScheduled_) {
    wakeScheduled_ = step.wakeAt->count();
    At(*wakeScheduled_, [](HartDriver& self) { self.Pump({}); });
  }
}

void HartDriver::OnCompletion(const hart::Completion& completion) {
  if (completion.outcome == hart::Outcome::Replied && completion.status.has(hart::device_status::kColdStart)) {
    coldStartSeen_ = true;
  }
  if (completion.id == 0) return OnOwnCompletion(completion);
  if (!running_ || completion.id != running_->waitingFor) return;
  running_->completions.push_back(completion);
  if (LinkLost(completion.outcome)) return LinkFailed();
  const bool allDone = running_->completions.size() == running_->requests.size();
  if (running_->kind == Kind::Read) {
    if (allDone) return FinishRead();
  } else if (allDone || completion.outcome != hart::Outcome::Replied || completion.status.responseCode() != 0) {
    // A write stops at the first command the device did not carry out.
    return FinishWrite();
  }
  SubmitNext();
}

// The master's own command 0 tells whether the device is there.
void HartDriver::OnOwnCompletion(const hart::Completion& completion) {
  if (completion.command != 0) return;
  const bool found = completion.outcome == hart::Outcome::Replied;
  identity_ = found ? completion.data : hart::Bytes{};
  if (found) commandSet_ = CommandSetFor(identity_);
  if (found == online_) return;
  online_ = found;
  Deliver(0, found ? kOnlineState : kOfflineState);
}

void HartDriver::FinishRead() {
  const Running run = std::move(*running_);
  running_.reset();
  Result<std::string> document =
      ReadDocumentFromReplies(run.code, run.completions, run.attributes, coldStartSeen_, commandSet_);
  // A reply the table cannot read leaves the read unanswered, as an unknown
  // code is.
  if (!document) return;
  if (run.code == kStatusRead) coldStartSeen_ = false;
  Deliver(kReadNotificationStep * run.code, *document);
}

void HartDriver::FinishWrite() {
  const Running run = std::move(*running_);
  running_.reset();
  Result<int> code = WriteResponseCode(run.completions);
  if (!code) return LinkFailed();
  Deliver(kWriteNotification, ResponseDocument(*code));
}

void HartDriver::LinkFailed() {
  // The operation under way is answered with the off-line state; the next
  // one looks for the device again.
  running_.reset();
  master_.forgetDevice();
  online_ = false;
  identity_.clear();
  Deliver(0, kOfflineState);
}

void HartDriver::Deliver(std::int32_t reason, const std::string& details) {
  if (updateUI_ == nullptr) return;
  if (observer_.notify) observer_.notify(reason, details);
  framelink::IUpdateUI* control = updateUI_;
  control->UpdateUI(reason, details);
}

}  // namespace zolin6::driver
