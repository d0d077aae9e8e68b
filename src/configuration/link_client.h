#pragma once
// A client of the framework link for the file operations: it registers with
// the device driver like the control does, sends one request at a time and
// waits for that request's answer. Waiting means letting the host's time
// run: `wait` is called until the answer has arrived or `timeout` of the
// host's clock has passed (headless: advance the manual clock to its next
// due moment; a window: run its event loop).
//
// It knows only the framework-link interfaces, so it works with any driver.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "configuration/device_codec.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::configuration {

// How long one transaction may take on the host's clock before the device
// counts as not answering: several HART exchanges with retries.
inline constexpr toolkit::Millis kAnswerTimeout = 10'000;

// Lets the host's time move on; false when nothing can happen any more.
using Wait = std::function<bool()>;

// The waiting of a headless host: the manual clock is advanced to its next
// due moment.
Wait AdvanceClock(toolkit::Clock& clock);

class LinkClient : public framelink::IUpdateUI, public fdt::IDtmActiveXControl {
 public:
  LinkClient(toolkit::Clock& clock, Wait wait, toolkit::Millis timeout = kAnswerTimeout);
  ~LinkClient() override;
  LinkClient(const LinkClient&) = delete;
  LinkClient& operator=(const LinkClient&) = delete;

  // fdt::IDtmActiveXControl: binds to the driver and waits until it says
  // the device is on line.
  bool Init(const std::string& invokeId, const std::string& functionCall,
            std::shared_ptr<framelink::DtmObject> dtm) override;
  bool PrepareToRelease() override;

  // Init with what went wrong.
  Result<bool> Connect(std::shared_ptr<framelink::DtmObject> dtm);

  // The parameter document of read `code`.
  Result<std::string> Read(int code, const Attributes& attributes);
  // The device's response code to write `code` (0: done).
  Result<int> Write(int code, const Attributes& attributes);

  // framelink::IUpdateUI
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override;

 private:
  Result<std::string> AwaitAnswer(const std::string& what);
  // Unregisters from the driver and drops its interfaces.
  void Release();

  toolkit::Clock& clock_;
  Wait wait_;
  toolkit::Millis timeout_;
  std::shared_ptr<framelink::IFrameLinkSession> session_;
  std::shared_ptr<framelink::IFrameLinkChannel> channel_;
  bool online_ = false;
  std::optional<std::int32_t> expected_;  // the notification awaited
  std::optional<std::string> answer_;     // its text, once it has come
};

}  // namespace zolin6::configuration
