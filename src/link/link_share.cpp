// The second client's view of the tap: a session that registers with the tap
// instead of the driver, and a channel that marks its requests as the
// borrower's so their answers come back to it.

#include "link/link_tap.h"
#include "platform/fdt/dtm_activex_control.h"

namespace zolin6::link {

namespace {

class BorrowedSession : public framelink::IFrameLinkSession {
 public:
  BorrowedSession(std::shared_ptr<LinkTap> tap, std::shared_ptr<framelink::IFrameLinkSession> inner)
      : tap_(std::move(tap)), inner_(std::move(inner)) {}

  // The session is the control's: the borrower never closes it.
  bool CloseSession(const std::string&) override {
    tap_->EndLoan();
    return true;
  }
  bool IsReady(bool& ready) override { return inner_->IsReady(ready); }
  bool RegisterControl(const std::string&, const std::string&, fdt::IDtmActiveXControl* control, std::int32_t,
                       bool& result) override {
    result = tap_->Lend(dynamic_cast<framelink::IUpdateUI*>(control));
    return true;
  }
  bool UnregisterControl(const std::string&, bool, bool& result) override {
    tap_->EndLoan();
    result = true;
    return true;
  }

 private:
  std::shared_ptr<LinkTap> tap_;
  std::shared_ptr<framelink::IFrameLinkSession> inner_;
};

class BorrowedChannel : public framelink::IFrameLinkChannel {
 public:
  BorrowedChannel(std::shared_ptr<LinkTap> tap, std::shared_ptr<framelink::IFrameLinkChannel> inner)
      : tap_(std::move(tap)), inner_(std::move(inner)) {}

  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override {
    tap_->Request(LinkTap::Origin::Borrower, RequestKind::Write, code, document);
    return inner_->WriteRequest(code, document, result);
  }
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override {
    tap_->Request(LinkTap::Origin::Borrower, RequestKind::Read, code, document);
    return inner_->ReadRequest(code, document, result);
  }

 private:
  std::shared_ptr<LinkTap> tap_;
  std::shared_ptr<framelink::IFrameLinkChannel> inner_;
};

class SharedDriver : public framelink::DtmObject {
 public:
  explicit SharedDriver(std::shared_ptr<LinkTap> tap) : tap_(std::move(tap)) {}

  std::shared_ptr<framelink::IFrameLinkSession> session() override {
    std::shared_ptr<framelink::IFrameLinkSession> inner = tap_->driver() ? tap_->driver()->session() : nullptr;
    if (inner == nullptr) return nullptr;
    return std::make_shared<BorrowedSession>(tap_, std::move(inner));
  }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override {
    std::shared_ptr<framelink::IFrameLinkChannel> inner = tap_->driver() ? tap_->driver()->channel() : nullptr;
    if (inner == nullptr) return nullptr;
    return std::make_shared<BorrowedChannel>(tap_, std::move(inner));
  }

 private:
  std::shared_ptr<LinkTap> tap_;
};

}  // namespace

std::shared_ptr<framelink::DtmObject> LinkTap::Share() { return std::make_shared<SharedDriver>(shared_from_this()); }

}  // namespace zolin6::link
