#pragma once
// Stands in for the control behind a driver: keeps every answer the driver
// gives it, its notification code and its text, in order.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"

namespace zolin6::fakes {

class AnswerLog : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    answers.emplace_back(reason, details.text().value_or(""));
  }
  std::vector<std::pair<std::int32_t, std::string>> answers;
};

}  // namespace zolin6::fakes
