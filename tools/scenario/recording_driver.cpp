#include "recording_driver.h"

namespace zolin6::scenario {

bool RecordingDriver::CloseSession(const std::string& invokeId) {
  sink_({"session", "CloseSession", {invokeId}});
  return true;
}

bool RecordingDriver::IsReady(bool& ready) {
  sink_({"session", "IsReady", {}});
  ready = ready_;
  return true;
}

bool RecordingDriver::RegisterControl(const std::string& className, const std::string& invokeId,
                                      fdt::IDtmActiveXControl* /*control*/, std::int32_t zero, bool& result) {
  sink_({"session", "RegisterControl", {className, invokeId, "control", std::to_string(zero)}});
  result = true;
  return true;
}

bool RecordingDriver::UnregisterControl(const std::string& invokeId, bool flag, bool& result) {
  sink_({"session", "UnregisterControl", {invokeId, flag ? "True" : "False"}});
  result = true;
  return true;
}

bool RecordingDriver::WriteRequest(const std::string& code, const std::string& document, std::string& result) {
  sink_({"request", "write", {code, document}});
  result.clear();
  return true;
}

bool RecordingDriver::ReadRequest(const std::string& code, const std::string& document, std::string& result) {
  sink_({"request", "read", {code, document}});
  result.clear();
  return true;
}

}  // namespace zolin6::scenario
