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

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/notification.h"
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

  // Used by the session, channel and relay of the tap.
  void Request(RequestKind kind, const std::string& code, const std::string& document);
  void Notify(std::int32_t reason, const framelink::Variant& details);
  void SessionEnd();

 private:
  explicit LinkTap(std::shared_ptr<framelink::DtmObject> driver);

  std::shared_ptr<framelink::DtmObject> driver_;
  std::vector<LinkListener*> listeners_;
};

}  // namespace zolin6::link
