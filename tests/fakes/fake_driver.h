#pragma once
// A device driver that records every framework call the control makes and
// answers nothing; `ready` decides IsReady, `failRequests` makes every
// request fail as an unbound or broken driver would.

#include <memory>
#include <string>
#include <vector>

#include "platform/framelink/framelink.h"

namespace zolin6::fakes {

struct SentRequest {
  std::string kind;  // "read" or "write"
  std::string code;
  std::string document;
};

class FakeDriver : public framelink::DtmObject,
                   public framelink::IFrameLinkSession,
                   public framelink::IFrameLinkChannel,
                   public std::enable_shared_from_this<FakeDriver> {
 public:
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }

  bool CloseSession(const std::string& invokeId) override {
    sessionCalls.push_back("CloseSession " + invokeId);
    return true;
  }
  bool IsReady(bool& isReady) override {
    sessionCalls.emplace_back("IsReady");
    isReady = ready;
    return true;
  }
  bool RegisterControl(const std::string& className, const std::string& invokeId, fdt::IDtmActiveXControl*,
                       std::int32_t zero, bool& result) override {
    sessionCalls.push_back("RegisterControl " + className + " " + invokeId + " " + std::to_string(zero));
    result = true;
    return true;
  }
  bool UnregisterControl(const std::string& invokeId, bool flag, bool& result) override {
    sessionCalls.push_back("UnregisterControl " + invokeId + (flag ? " True" : " False"));
    result = true;
    return true;
  }
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override {
    if (failRequests) return false;
    requests.push_back({"write", code, document});
    result.clear();
    return true;
  }
  bool ReadRequest(const std::string& code, const std::string& document, std::string& result) override {
    if (failRequests) return false;
    requests.push_back({"read", code, document});
    result.clear();
    return true;
  }

  bool ready = true;
  bool failRequests = false;
  std::vector<std::string> sessionCalls;
  std::vector<SentRequest> requests;
};

}  // namespace zolin6::fakes
