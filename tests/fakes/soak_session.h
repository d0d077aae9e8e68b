#pragma once
// A technician's session reduced to its requests, for the soaks on a bad
// line: page reads and writes, one at a time as the control sends them,
// each waited for. It keeps what a soak checks: that every request was
// answered, how long the slowest answer took, which range writes the device
// confirmed, and every request frame that went out, so that a command that
// may not be repeated can be seen sent twice.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/request_document.h"
#include "hart/commands_device.h"
#include "hart/frame_trace.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "platform/toolkit/clock.h"

namespace zolin6::fakes {

class SoakSession : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  // Lets the line run until `done` or `bound` ms have passed; the ms taken.
  using Wait = std::function<toolkit::Millis(const std::function<bool()>& done, toolkit::Millis bound)>;
  // The driver's own count of operations not yet answered.
  using Pending = std::function<int()>;

  // Longer than any one operation may take on a line that loses 15 % of
  // its replies: the master's retries of each of a read's transactions.
  static constexpr toolkit::Millis kBound = 30000;
  static constexpr int kReads = 300;
  static constexpr int kWrites = 30;

  SoakSession(framelink::DtmObject& driver, Wait wait, Pending pending)
      : driver_(driver), wait_(std::move(wait)), pending_(std::move(pending)) {}

  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    answers_.emplace_back(reason, details.text().value_or(""));
  }

  // Registers and waits for the device to come on line.
  void Start() {
    bool registered = false;
    driver_.session()->RegisterControl("control", "invoke-1", this, 0, registered);
    wait_([this] { return !answers_.empty(); }, kBound);
  }
  void Stop() {
    bool unregistered = false;
    driver_.session()->UnregisterControl("invoke-1", true, unregistered);
  }

  // Every request frame the driver puts on the line, from a trace.
  void Sent(const hart::TracedFrame& frame) {
    if (frame.direction == hart::TraceDirection::Sent) sent_.push_back(frame.line);
  }

  // 300 reads of every page's code and 30 writes: range writes of channel
  // 1, each with a new upper value, between resets of the change counters
  // (a command the master never resends).
  void Run() {
    for (int i = 0; i < kReads; ++i) {
      Request(false, std::to_string(i % driver::kLastReadCode + 1), kNoAttributes);
      if (i % (kReads / kWrites) != 0) continue;
      const int write = i / (kReads / kWrites);
      if (write % 2 == 1) {
        Request(true, "8", kNoAttributes);
        continue;
      }
      const float upper = 100.0F + static_cast<float>(write);
      const std::string outcome = Request(true, "6", RangeDocument(upper, 0.0F));
      if (outcome == driver::ResponseDocument(0))
        confirmedUpper_ = upper;
      else
        unsureUpper_.push_back(upper);  // lost on the way back, or refused
    }
  }

  // The upper range value the device must hold: the last confirmed one (or
  // the one it had `before`), or one written since whose answer was lost.
  bool HoldsWhatWasWritten(float upper, float before) const {
    if (upper == confirmedUpper_.value_or(before)) return true;
    for (float unsure : unsureUpper_) {
      if (upper == unsure) return true;
    }
    return false;
  }

  // Whether some frame of a command the master may not resend went out
  // twice in a row, the mark of a resend.
  bool ResentSomethingOnce() const {
    for (std::size_t i = 1; i < sent_.size(); ++i) {
      const hart::TracedFrame frame = hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{0}, sent_[i]);
      if (!frame.command) continue;
      const hart::CommandLayout* layout = hart::FindDeviceCommand(*frame.command);
      if (layout != nullptr && layout->effect == hart::Effect::NotRepeatable && sent_[i] == sent_[i - 1]) return true;
    }
    return false;
  }

  // A page's parameter list as read now; empty when the read failed.
  std::string ReadPage(int code) { return Request(false, std::to_string(code), kNoAttributes); }

  toolkit::Millis longest() const { return longest_; }
  int unanswered() const { return unanswered_; }
  std::optional<float> confirmedUpper() const { return confirmedUpper_; }

 private:
  static constexpr const char* kNoAttributes = "<ViewData><ControlData/></ViewData>";

  // Channel 1 in °C (unit 32), as the range page writes it.
  static std::string RangeDocument(float upper, float lower) {
    auto hex = [](float value) {
      char text[9];
      std::snprintf(text, sizeof text, "%08X", std::bit_cast<std::uint32_t>(value));
      return std::string(text);
    };
    return R"(<ViewData><ControlData Attribute1="00" Attribute2="20" Attribute3=")" + hex(upper) + R"(" Attribute4=")" +
           hex(lower) + R"("/></ViewData>)";
  }

  // One request and its answer's text (empty when none came).
  std::string Request(bool write, const std::string& code, const std::string& document) {
    const std::size_t before = answers_.size();
    std::string result;
    if (write) {
      driver_.channel()->WriteRequest(code, document, result);
    } else {
      driver_.channel()->ReadRequest(code, document, result);
    }
    const toolkit::Millis took = wait_([this, before] { return answers_.size() > before && pending_() == 0; }, kBound);
    longest_ = std::max(longest_, took);
    if (answers_.size() == before || pending_() != 0) {
      ++unanswered_;
      return {};
    }
    const std::int32_t reason = write ? 4000 : 100 * std::stoi(code);
    for (std::size_t i = before; i < answers_.size(); ++i) {
      if (answers_[i].first == reason) return answers_[i].second;
    }
    return answers_.back().second;  // off line
  }

  framelink::DtmObject& driver_;
  Wait wait_;
  Pending pending_;
  std::vector<std::pair<std::int32_t, std::string>> answers_;
  std::vector<hart::Bytes> sent_;
  toolkit::Millis longest_ = 0;
  int unanswered_ = 0;
  std::optional<float> confirmedUpper_;
  std::vector<float> unsureUpper_;
};

}  // namespace zolin6::fakes
