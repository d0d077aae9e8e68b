#include "link/link_tap.h"

#include <algorithm>
#include <charconv>

#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"

namespace zolin6::link {

namespace {

using framelink::kStateNotification;
// Requests that never get an answer (a driver that drops one) must not pile
// up; far more than are ever outstanding at once.
constexpr std::size_t kMostOutstanding = 64;

bool SaysOnline(const std::string& state) { return framelink::StateSaysOnline(state).value_or(false); }

// The notification that answers a request; -1 for a read code that is no
// number, which nothing answers.
std::int32_t AnswerReason(RequestKind kind, const std::string& code) {
  if (kind == RequestKind::Write) return framelink::kWriteNotification;
  int number = 0;
  auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), number);
  if (ec != std::errc() || end != code.data() + code.size()) return -1;
  return framelink::ReadNotification(number);
}

// Stands in for the control at the driver: the driver calls it back, and it
// shows the notification to the tap before handing it to the control.
class ControlRelay : public fdt::IDtmActiveXControl, public framelink::IUpdateUI, public hart::PublishedSink {
 public:
  ControlRelay(std::weak_ptr<LinkTap> tap, fdt::IDtmActiveXControl* control)
      : tap_(std::move(tap)), control_(control), updateUI_(dynamic_cast<framelink::IUpdateUI*>(control)) {}

  bool Init(const std::string& invokeId, const std::string& functionCall,
            std::shared_ptr<framelink::DtmObject> dtm) override {
    return control_ != nullptr && control_->Init(invokeId, functionCall, std::move(dtm));
  }
  bool PrepareToRelease() override { return control_ != nullptr && control_->PrepareToRelease(); }

  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    if (auto tap = tap_.lock(); tap && !tap->Notify(reason, details)) return;
    if (updateUI_ != nullptr) updateUI_->UpdateUI(reason, details);
  }

  void OnPublished(const hart::HeardBurst& burst) override {
    if (auto tap = tap_.lock()) tap->Publish(burst);
  }

  bool relays() const { return updateUI_ != nullptr; }

 private:
  std::weak_ptr<LinkTap> tap_;
  fdt::IDtmActiveXControl* control_;
  framelink::IUpdateUI* updateUI_;
};

class SessionTap : public framelink::IFrameLinkSession {
 public:
  SessionTap(std::shared_ptr<LinkTap> tap, std::shared_ptr<framelink::IFrameLinkSession> inner)
      : tap_(std::move(tap)), inner_(std::move(inner)) {}

  bool CloseSession(const std::string& invokeId) override {
    tap_->SessionEnd();
    return inner_->CloseSession(invokeId);
  }
  bool IsReady(bool& ready) override { return inner_->IsReady(ready); }
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl* control,
                       std::int32_t zero, bool& result) override {
    // A control that takes no notifications is registered as it is, so the
    // driver answers exactly as it would without the tap.
    relay_ = std::make_unique<ControlRelay>(tap_, control);
    fdt::IDtmActiveXControl* registered = relay_->relays() ? relay_.get() : control;
    const bool called = inner_->RegisterControl(className, invokeId, registered, zero, result);
    tap_->ControlRegistered(called && result && relay_->relays());
    return called;
  }
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override {
    tap_->ControlRegistered(false);
    tap_->SessionEnd();
    return inner_->UnregisterControl(invokeId, flag, result);
  }

 private:
  std::shared_ptr<LinkTap> tap_;
  std::shared_ptr<framelink::IFrameLinkSession> inner_;
  // Kept for as long as the driver may call it: the session outlives the
  // registration.
  std::unique_ptr<ControlRelay> relay_;
};

class ChannelTap : public framelink::IFrameLinkChannel {
 public:
  ChannelTap(std::shared_ptr<LinkTap> tap, std::shared_ptr<framelink::IFrameLinkChannel> inner)
      : tap_(std::move(tap)), inner_(std::move(inner)) {}

  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override {
    tap_->Request(LinkTap::Origin::Control, RequestKind::Write, code, document);
    return inner_->WriteRequest(code, document, result);
  }
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override {
    tap_->Request(LinkTap::Origin::Control, RequestKind::Read, code, document);
    return inner_->ReadRequest(code, document, result);
  }

 private:
  std::shared_ptr<LinkTap> tap_;
  std::shared_ptr<framelink::IFrameLinkChannel> inner_;
};

}  // namespace

LinkTap::LinkTap(std::shared_ptr<framelink::DtmObject> driver) : driver_(std::move(driver)) {}
LinkTap::~LinkTap() = default;

std::shared_ptr<LinkTap> LinkTap::Wrap(std::shared_ptr<framelink::DtmObject> driver) {
  return std::shared_ptr<LinkTap>(new LinkTap(std::move(driver)));
}

std::shared_ptr<framelink::IFrameLinkSession> LinkTap::session() {
  if (driver_ == nullptr) return nullptr;
  std::shared_ptr<framelink::IFrameLinkSession> inner = driver_->session();
  if (inner == nullptr) return nullptr;
  return std::make_shared<SessionTap>(shared_from_this(), std::move(inner));
}

std::shared_ptr<framelink::IFrameLinkChannel> LinkTap::channel() {
  if (driver_ == nullptr) return nullptr;
  std::shared_ptr<framelink::IFrameLinkChannel> inner = driver_->channel();
  if (inner == nullptr) return nullptr;
  return std::make_shared<ChannelTap>(shared_from_this(), std::move(inner));
}

void LinkTap::AddListener(LinkListener* listener) { listeners_.push_back(listener); }

void LinkTap::RemoveListener(LinkListener* listener) { std::erase(listeners_, listener); }

void LinkTap::Request(Origin origin, RequestKind kind, const std::string& code, const std::string& document) {
  // A copy: a listener may remove itself while it is called.
  const std::vector<LinkListener*> listeners = listeners_;
  for (LinkListener* listener : listeners) listener->OnRequest(kind, code, document);
  outstanding_.push_back({origin, AnswerReason(kind, code)});
  if (outstanding_.size() > kMostOutstanding) outstanding_.pop_front();
}

bool LinkTap::Notify(std::int32_t reason, const framelink::Variant& details) {
  if (!listeners_.empty() && details.text()) {
    const Notification notification = ParseNotification(reason, *details.text());
    const std::vector<LinkListener*> listeners = listeners_;
    for (LinkListener* listener : listeners) listener->OnNotification(notification);
  }
  if (reason == kStateNotification) {
    if (details.text()) {
      lastState_ = *details.text();
      // An off-line device answers what is outstanding with its state, never with data.
      if (!SaysOnline(*lastState_)) outstanding_.clear();
    }
    if (borrower_ != nullptr) borrower_->UpdateUI(reason, details);
    return true;
  }
  if (AnswerOrigin(reason) == Origin::Control) return true;
  // The answer to a borrower that has gone is nobody's: the control never asked.
  if (borrower_ != nullptr) borrower_->UpdateUI(reason, details);
  return false;
}

LinkTap::Origin LinkTap::AnswerOrigin(std::int32_t reason) {
  auto match = std::find_if(outstanding_.begin(), outstanding_.end(),
                            [reason](const Outstanding& request) { return request.reason == reason; });
  if (match == outstanding_.end()) return Origin::Control;
  const Origin origin = match->origin;
  outstanding_.erase(match);
  return origin;
}

bool LinkTap::Lend(framelink::IUpdateUI* borrower) {
  if (!controlRegistered_ || borrower_ != nullptr || borrower == nullptr) return false;
  borrower_ = borrower;
  if (lastState_) borrower_->UpdateUI(kStateNotification, *lastState_);
  return true;
}

void LinkTap::EndLoan() { borrower_ = nullptr; }

void LinkTap::Publish(const hart::HeardBurst& burst) {
  if (listeners_.empty()) return;
  const Result<Published> published = DecodePublished(burst);
  if (!published) return;
  const std::vector<LinkListener*> listeners = listeners_;
  for (LinkListener* listener : listeners) listener->OnPublished(*published);
}

void LinkTap::SessionEnd() {
  const std::vector<LinkListener*> listeners = listeners_;
  for (LinkListener* listener : listeners) listener->OnSessionEnd();
}

}  // namespace zolin6::link
