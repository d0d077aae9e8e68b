#pragma once
// The driver behind the window's control when the user can change the
// device while the window is open (File > Connect): the control binds to it
// once, at start, and it passes every call on to the driver of the present
// connection. On a change the control hears that the old device is off
// line, and is registered with the new driver, which brings it on line once
// its device answers, as a device coming back does. With no driver at all
// (disconnected) every request is answered with the off-line state.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/framelink/framelink.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

class SwitchingDriver : public framelink::DtmObject,
                        public framelink::IFrameLinkSession,
                        public framelink::IFrameLinkChannel,
                        public std::enable_shared_from_this<SwitchingDriver> {
 public:
  SwitchingDriver(toolkit::Clock& clock, std::shared_ptr<framelink::DtmObject> first);

  // Hands the control over to `next` (null: no device).
  void Switch(std::shared_ptr<framelink::DtmObject> next);
  const std::shared_ptr<framelink::DtmObject>& current() const { return current_; }

  // framelink::DtmObject
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }

  // framelink::IFrameLinkSession
  bool CloseSession(const std::string& invokeId) override;
  bool IsReady(bool& ready) override;
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl* control,
                       std::int32_t zero, bool& result) override;
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override;

  // framelink::IFrameLinkChannel
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override;
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override;

 private:
  struct Registration {
    std::string className;
    std::string invokeId;
    fdt::IDtmActiveXControl* control = nullptr;
    std::int32_t zero = 0;
  };

  bool Register(const Registration& registration);
  // Tells the control the device is off line, from the clock: never inside
  // the control's own call.
  void SayOffline();

  toolkit::Clock& clock_;
  std::shared_ptr<framelink::DtmObject> current_;
  std::optional<Registration> registration_;
};

}  // namespace zolin6::driver
