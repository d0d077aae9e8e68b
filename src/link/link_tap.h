#pragma once
// A device driver seen through a tap: the control binds to the tap as to any
// driver, and the tap passes every call on to the real driver unchanged while
// it shows every request and every notification to its listeners (the trend,
// the recorder, the device history). It knows nothing of the driver behind
// it: the simulated transmitter today, a HART driver tomorrow.
//
// The driver calls the control back through the object it was registered
// with; the tap registers a relay of its own in the control's place, so the
// notifications pass through it on their way to the control.
//
// The tap also lends the link to one more client beside the control (the
// desktop's configuration upload and download): a driver serves one control,
// so the second client's requests go out on the control's session, and the
// tap hands each answer to whoever asked for it. The driver answers requests
// in the order they were sent, one notification each, so the oldest
// outstanding request awaiting that notification is the one answered.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hart/published_sink.h"
#include "link/notification.h"
#include "link/published.h"
#include "platform/framelink/framelink.h"

namespace zolin6::link {

enum class RequestKind { Read, Write };

// Who wants to see the traffic. Listeners are called on the user-interface
// thread, in the order they were added; they must not throw.
class LinkListener {
 public:
  virtual ~LinkListener() = default;
  // A request just before it goes to the driver.
  virtual void OnRequest(RequestKind kind, const std::string& code, const std::string& document) = 0;
  // A notification just before the control handles it.
  virtual void OnNotification(const Notification& notification) = 0;
  // The control unregistered or closed the session: no answer will come.
  virtual void OnSessionEnd() {}
  // The values of a frame the device published unasked (a HART device in
  // burst mode), with the moment it was heard.
  virtual void OnPublished(const Published& /*published*/) {}
};

class LinkTap : public framelink::DtmObject, public std::enable_shared_from_this<LinkTap> {
 public:
  static std::shared_ptr<LinkTap> Wrap(std::shared_ptr<framelink::DtmObject> driver);
  ~LinkTap() override;

  // framelink::DtmObject: the driver's own interfaces behind the tap, or
  // nullptr when the driver does not offer one.
  std::shared_ptr<framelink::IFrameLinkSession> session() override;
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override;

  // Listeners are not owned; remove one before it is destroyed.
  void AddListener(LinkListener* listener);
  void RemoveListener(LinkListener* listener);

  const std::shared_ptr<framelink::DtmObject>& driver() const { return driver_; }

  // A driver object for the second client: its session registers the client
  // with the tap (not with the driver, which keeps serving the control) and
  // tells it the device's last known state at once; its channel sends on the
  // control's link. Registration fails while no control is registered.
  std::shared_ptr<framelink::DtmObject> Share();

  // Who sent a request, and so who gets its answer.
  enum class Origin { Control, Borrower };

  // Used by the session, channel and relay of the tap.
  void Request(Origin origin, RequestKind kind, const std::string& code, const std::string& document);
  // Shows the notification to the listeners and hands it to the borrower
  // when it answers the borrower's request (or is a state, which both get);
  // true when the control gets it too.
  bool Notify(std::int32_t reason, const framelink::Variant& details);
  void SessionEnd();
  // A frame the device published: decoded once and shown to the listeners;
  // one that carries no values the host takes is let go.
  void Publish(const hart::HeardBurst& burst);
  void ControlRegistered(bool registered) { controlRegistered_ = registered; }
  bool Lend(framelink::IUpdateUI* borrower);
  void EndLoan();

 private:
  explicit LinkTap(std::shared_ptr<framelink::DtmObject> driver);
  // Whose request `reason` answers; the control's when no outstanding
  // request awaits it.
  Origin AnswerOrigin(std::int32_t reason);

  struct Outstanding {
    Origin origin;
    std::int32_t reason;  // the notification that answers it
  };

  std::shared_ptr<framelink::DtmObject> driver_;
  std::vector<LinkListener*> listeners_;
  std::deque<Outstanding> outstanding_;
  framelink::IUpdateUI* borrower_ = nullptr;
  std::optional<std::string> lastState_;  // the driver's last state element
  bool controlRegistered_ = false;
};

}  // namespace zolin6::link
