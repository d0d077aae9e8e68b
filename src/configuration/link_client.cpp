#include "configuration/link_client.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>

#include "pages/parameter_document.h"
#include "platform/framelink/contract.h"

namespace zolin6::configuration {

namespace {

constexpr const char* kClassName = "ZOLIN6Files";
constexpr const char* kInvokeId = "zolin6-files";
using framelink::kStateNotification;
using framelink::kWriteNotification;

bool SaysOnline(const std::string& text) { return framelink::StateSaysOnline(text).value_or(false); }

}  // namespace

Wait AdvanceClock(toolkit::Clock& clock) {
  return [&clock] {
    const toolkit::Millis due = clock.nextDue();
    if (due < 0) return false;
    clock.advance(std::max<toolkit::Millis>(due - clock.now(), 0));
    return true;
  };
}

LinkClient::LinkClient(toolkit::Clock& clock, Wait wait, toolkit::Millis timeout)
    : clock_(clock), wait_(std::move(wait)), timeout_(timeout) {}

LinkClient::~LinkClient() { Release(); }

bool LinkClient::Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject> dtm) {
  return Connect(std::move(dtm)).ok();
}

Result<bool> LinkClient::Connect(std::shared_ptr<framelink::DtmObject> dtm) {
  if (!dtm) return Error{"no device driver"};
  session_ = dtm->session();
  channel_ = dtm->channel();
  if (!session_ || !channel_) return Error{"the device driver offers no framework link"};
  bool ready = false;
  if (!session_->IsReady(ready) || !ready) return Error{"the device driver is not ready"};
  bool registered = false;
  if (!session_->RegisterControl(kClassName, kInvokeId, this, 0, registered) || !registered) {
    return Error{"the device driver refused the registration"};
  }
  const toolkit::Millis start = clock_.now();
  while (!online_ && clock_.now() - start <= timeout_) {
    if (!wait_()) break;
  }
  if (!online_) return Error{"the device did not come on line"};
  return true;
}

bool LinkClient::PrepareToRelease() {
  Release();
  return true;
}

void LinkClient::Release() {
  if (session_) {
    bool done = false;
    session_->UnregisterControl(kInvokeId, true, done);
  }
  session_.reset();
  channel_.reset();
  online_ = false;
}

void LinkClient::UpdateUI(std::int32_t reason, const framelink::Variant& details) {
  const std::optional<std::string>& text = details.text();
  if (!text) return;
  if (reason == kStateNotification) {
    online_ = SaysOnline(*text);
    return;
  }
  // Answers to requests sent before this client's are not its own.
  if (expected_ && reason == *expected_ && !answer_) answer_ = *text;
}

Result<std::string> LinkClient::AwaitAnswer(const std::string& what) {
  const toolkit::Millis start = clock_.now();
  while (!answer_ && online_ && clock_.now() - start <= timeout_) {
    if (!wait_()) break;
  }
  expected_.reset();
  if (!online_) return Error{"the device went off line during the " + what};
  if (!answer_) return Error{"the device did not answer the " + what};
  std::string answer = std::move(*answer_);
  answer_.reset();
  return answer;
}

Result<std::string> LinkClient::Read(int code, const Attributes& attributes) {
  if (!channel_) return Error{"not connected to a device"};
  const std::int32_t reason = framelink::ReadNotification(code);
  expected_ = reason;
  answer_.reset();
  std::string result;
  const std::string what = "read " + std::to_string(code);
  if (!channel_->ReadRequest(std::to_string(code), RequestDocument(attributes), result)) {
    expected_.reset();
    return Error{"the device driver refused the " + what};
  }
  return AwaitAnswer(what);
}

Result<int> LinkClient::Write(int code, const Attributes& attributes) {
  if (!channel_) return Error{"not connected to a device"};
  expected_ = kWriteNotification;
  answer_.reset();
  std::string result;
  const std::string what = "write " + std::to_string(code);
  if (!channel_->WriteRequest(std::to_string(code), RequestDocument(attributes), result)) {
    expected_.reset();
    return Error{"the device driver refused the " + what};
  }
  Result<std::string> answer = AwaitAnswer(what);
  if (!answer) return answer.error();
  pugi::xml_document document;
  pages::LoadParameterDocument(document, *answer);
  Result<std::string> response = pages::FetchTagValue(document, "Response Code 1");
  if (!response) return Error{"the device's answer to the " + what + " holds no response code"};
  int responseCode = 0;
  auto [end, ec] = std::from_chars(response->data(), response->data() + response->size(), responseCode);
  if (ec != std::errc() || end != response->data() + response->size()) {
    return Error{"the device's response code \"" + *response + "\" is not a number"};
  }
  return responseCode;
}

}  // namespace zolin6::configuration
