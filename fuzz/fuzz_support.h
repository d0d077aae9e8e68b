#pragma once
// What the fuzz targets share: a connected control on a manual clock with
// the recording test driver and the input split into a header line and a
// body. The property check itself is in fuzz_check.h.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "fakes/fake_driver.h"
#include "fuzz_check.h"
#include "host/user_cntrl.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/message_box.h"

namespace zolin6::fuzz {

// "HEADER\nBODY": the first line and the rest. Without a line break the
// whole input is the body.
struct HeaderAndBody {
  std::string_view header;
  std::string_view body;
};
inline HeaderAndBody SplitHeader(std::string_view input) {
  const std::size_t newline = input.find('\n');
  if (newline == std::string_view::npos) return {{}, input};
  return {input.substr(0, newline), input.substr(newline + 1)};
}

// Message boxes that count what they show and answer the default: No to a
// question, OK to a notice.
class CountingBoxes : public toolkit::MessageBoxes {
 public:
  toolkit::Answer show(const std::string& /*text*/, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override {
    ++shown;
    lastTitle = title;
    lastIcon = icon;
    return buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
  }
  int shown = 0;
  std::string lastTitle;
  toolkit::Icon lastIcon = toolkit::Icon::None;
};

// One control, bound to the recording driver, past its first read and on
// line, with the request list emptied: the state in which a driver's
// notifications normally arrive.
struct ConnectedControl {
  ConnectedControl()
      : driver(std::make_shared<fakes::FakeDriver>()),
        control(std::make_unique<UserCntrl>(HostServices{clock, boxes, std::string()})) {
    control->Init("invoke-1", "", driver);
    clock.advance(1200);
    control->UpdateUI(0, "<DTMInfo state='Online' />");
    driver->requests.clear();
  }

  toolkit::Clock clock;
  CountingBoxes boxes;
  std::shared_ptr<fakes::FakeDriver> driver;
  std::unique_ptr<UserCntrl> control;
};

}  // namespace zolin6::fuzz
