#include "driver/switching_driver.h"

#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"

namespace zolin6::driver {

SwitchingDriver::SwitchingDriver(toolkit::Clock& clock, std::shared_ptr<framelink::DtmObject> first)
    : clock_(clock), current_(std::move(first)) {}

void SwitchingDriver::Switch(std::shared_ptr<framelink::DtmObject> next) {
  if (registration_ && current_ && current_->session()) {
    bool result = false;
    current_->session()->UnregisterControl(registration_->invokeId, true, result);
  }
  current_ = std::move(next);
  if (!registration_) return;
  SayOffline();
  Register(*registration_);
}

bool SwitchingDriver::CloseSession(const std::string& invokeId) {
  if (!current_ || !current_->session()) return true;
  return current_->session()->CloseSession(invokeId);
}

bool SwitchingDriver::IsReady(bool& ready) {
  ready = true;
  if (!current_ || !current_->session()) return true;
  return current_->session()->IsReady(ready);
}

bool SwitchingDriver::RegisterControl(const std::string& className, const std::string& invokeId,
                                      fdt::IDtmActiveXControl* control, std::int32_t zero, bool& result) {
  registration_ = Registration{className, invokeId, control, zero};
  result = Register(*registration_);
  return true;
}

bool SwitchingDriver::Register(const Registration& registration) {
  if (!current_ || !current_->session()) return true;
  bool result = false;
  current_->session()->RegisterControl(registration.className, registration.invokeId, registration.control,
                                       registration.zero, result);
  return result;
}

bool SwitchingDriver::UnregisterControl(const std::string& invokeId, bool flag, bool& result) {
  registration_.reset();
  result = true;
  if (!current_ || !current_->session()) return true;
  return current_->session()->UnregisterControl(invokeId, flag, result);
}

bool SwitchingDriver::WriteRequest(const std::string& code, const std::string& document, std::string& result) {
  result.clear();
  if (!current_ || !current_->channel()) {
    SayOffline();
    return true;
  }
  return current_->channel()->WriteRequest(code, document, result);
}

bool SwitchingDriver::ReadRequest(const std::string& code, const std::string& document, std::string& result) {
  result.clear();
  if (!current_ || !current_->channel()) {
    SayOffline();
    return true;
  }
  return current_->channel()->ReadRequest(code, document, result);
}

void SwitchingDriver::SayOffline() {
  clock_.callAt(clock_.now(), [weak = weak_from_this()] {
    auto self = weak.lock();
    if (!self || !self->registration_) return;
    auto* control = dynamic_cast<framelink::IUpdateUI*>(self->registration_->control);
    if (control != nullptr)
      control->UpdateUI(framelink::kStateNotification, framelink::Variant(std::string(framelink::kOfflineState)));
  });
}

}  // namespace zolin6::driver
