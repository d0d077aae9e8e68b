#include "driver/sim_driver.h"

#include <algorithm>

#include "driver/device_state_file.h"
#include "platform/atomic_file.h"
#include "platform/fdt/dtm_activex_control.h"

namespace zolin6::driver {

SimDriver::SimDriver(toolkit::Clock& clock, SimOptions options, SimObserver observer)
    : clock_(clock),
      options_(options),
      observer_(std::move(observer)),
      transmitter_(options.seed, options.restartTime) {}

bool SimDriver::CloseSession(const std::string& invokeId) {
  if (observer_.session) observer_.session("CloseSession", {invokeId});
  updateUI_ = nullptr;
  return true;
}

bool SimDriver::IsReady(bool& ready) {
  if (observer_.session) observer_.session("IsReady", {});
  ready = true;
  return true;
}

bool SimDriver::RegisterControl(const std::string& className, const std::string& invokeId,
                                fdt::IDtmActiveXControl* control, std::int32_t zero, bool& result) {
  if (observer_.session) observer_.session("RegisterControl", {className, invokeId, "control", std::to_string(zero)});
  // The control that registers also takes the driver's notifications.
  updateUI_ = dynamic_cast<framelink::IUpdateUI*>(control);
  result = updateUI_ != nullptr;
  if (updateUI_ != nullptr && online_) {
    At(clock_.now() + options_.onlineDelay, [](SimDriver& self) {
      if (self.online_) self.Deliver(0, kOnlineState);
    });
  }
  return true;
}

bool SimDriver::UnregisterControl(const std::string& invokeId, bool flag, bool& result) {
  if (observer_.session) observer_.session("UnregisterControl", {invokeId, flag ? "True" : "False"});
  updateUI_ = nullptr;
  result = true;
  return true;
}

bool SimDriver::WriteRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("write", code, document);
  Enqueue(Kind::Write, code, document);
  result.clear();
  return true;
}

bool SimDriver::ReadRequest(const std::string& code, const std::string& document, std::string& result) {
  if (observer_.request) observer_.request("read", code, document);
  Enqueue(Kind::Read, code, document);
  result.clear();
  return true;
}

void SimDriver::SetOnline(bool online) {
  online_ = online;
  At(clock_.now(), [online](SimDriver& self) { self.Deliver(0, online ? kOnlineState : kOfflineState); });
}

void SimDriver::At(Millis at, std::function<void(SimDriver&)> work) {
  // The driver may be gone by then (the control released it); its answers
  // then go nowhere.
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void SimDriver::Enqueue(Kind kind, const std::string& code, const std::string& document) {
  // One transaction at a time: this one starts when the line is free.
  const Millis done = std::max(clock_.now(), lineFreeAt_) + options_.latency;
  lineFreeAt_ = done;
  ++pending_;
  At(done, [kind, code, document](SimDriver& self) {
    --self.pending_;
    self.Carry(kind, code, document);
  });
}

void SimDriver::Carry(Kind kind, const std::string& code, const std::string& document) {
  if (!online_) {
    Deliver(0, kOfflineState);
    return;
  }
  const RequestAttributes attributes = ParseRequestDocument(document);
  const Millis now = clock_.now();
  if (kind == Kind::Write) {
    Answer answer = transmitter_.Write(code, attributes, now);
    Deliver(answer.reason, answer.details);
  } else if (std::optional<Answer> answer = transmitter_.Read(code, attributes, now)) {
    Deliver(answer->reason, answer->details);
  }
}

void SimDriver::Deliver(std::int32_t reason, const std::string& details) {
  if (updateUI_ == nullptr) return;
  if (observer_.notify) observer_.notify(reason, details);
  // Held in a local: the control may unregister while it handles the
  // notification.
  framelink::IUpdateUI* control = updateUI_;
  control->UpdateUI(reason, details);
}

Result<bool> SaveTransmitterState(const SimulatedTransmitter& transmitter, const std::string& path) {
  // A failed save leaves the previous state file as it was.
  return platform::WriteFileAtomically(path, SaveDeviceState(transmitter.state()));
}

Result<bool> LoadTransmitterState(SimulatedTransmitter& transmitter, const std::string& path) {
  Result<std::string> text = platform::ReadWholeFile(path);
  if (!text) return text.error();
  Result<DeviceState> state = LoadDeviceState(*text);
  if (!state) return Error{path + ": " + state.error().message};
  transmitter.Replace(std::move(state).value());
  return true;
}

}  // namespace zolin6::driver
