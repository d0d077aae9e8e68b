#pragma once
// A device driver for the scenario runner: it answers the framework calls as
// a ready (or not ready) driver would, reports every call, and sends no
// notifications of its own.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framelink/framelink.h"

namespace zolin6::scenario {

struct DriverCall {
  std::string interface;          // "session" or "request"
  std::string call;               // "IsReady", "ReadRequest", ...
  std::vector<std::string> args;  // as texts; the control argument as "control"
};

class RecordingDriver : public framelink::DtmObject,
                        public framelink::IFrameLinkSession,
                        public framelink::IFrameLinkChannel,
                        public std::enable_shared_from_this<RecordingDriver> {
 public:
  using Sink = std::function<void(const DriverCall&)>;
  RecordingDriver(bool ready, Sink sink) : ready_(ready), sink_(std::move(sink)) {}

  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }

  bool CloseSession(const std::string& invokeId) override;
  bool IsReady(bool& ready) override;
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl* control,
                       std::int32_t zero, bool& result) override;
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override;
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override;
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override;

 private:
  bool ready_;
  Sink sink_;
};

// A driver object that offers none of the framework interfaces.
class BareDriver : public framelink::DtmObject {
 public:
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return nullptr; }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return nullptr; }
};

}  // namespace zolin6::scenario
