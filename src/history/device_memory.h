#pragma once
// What the device last reported, tag by tag: the "before" of every change
// and the identity of the device a record is about.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_record.h"
#include "link/notification.h"

namespace zolin6::history {

class DeviceMemory {
 public:
  // Keeps every tag/value of a parameter document (not the write answers).
  void Remember(const link::Notification& notification);
  // Forgets everything: another device may be behind the link now.
  void Forget() { values_.clear(); }

  std::optional<std::string> value(std::string_view tag) const;
  DeviceIdentity identity() const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace zolin6::history
