// UpdateUI with any text a driver could send: the first line of the input is
// the notification code, the rest the details text. The same details then go
// to every page loader in turn, so each document reaches all of them.
//
// Besides crashes and sanitizer reports this checks what a notification may
// do: fill pages, update the connection state, send the first read once and
// show response-code boxes for 4000. It never writes to the device, never
// moves to another page and never leaves a state field out of its values.

#include <pugixml.hpp>

#include <array>
#include <charconv>

#include "fuzz_support.h"

namespace {

using zolin6::fuzz::ConnectedControl;

// Every code that reaches a loader, and a few that reach none.
constexpr std::array<std::int32_t, 38> kCodes = [] {
  std::array<std::int32_t, 38> codes{};
  for (std::size_t i = 0; i < 33; ++i) codes[i] = static_cast<std::int32_t>(100 * (i + 1));
  codes[33] = 4000;
  codes[34] = 0;
  codes[35] = 150;
  codes[36] = 3400;
  codes[37] = -100;
  return codes;
}();

void CheckRequestDocument(const std::string& document) {
  pugi::xml_document doc;
  ZOLIN6_FUZZ_CHECK(doc.load_string(document.c_str()));
  int attributes = 0;
  for ([[maybe_unused]] pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) ++attributes;
  ZOLIN6_FUZZ_CHECK(attributes == 22);
}

void Notify(ConnectedControl& c, std::int32_t reason, const std::string& details) {
  const zolin6::UserCntrl::State before = c.control->state();
  const int boxesBefore = c.boxes.shown;

  c.control->UpdateUI(reason, details);

  const zolin6::UserCntrl::State& after = c.control->state();
  ZOLIN6_FUZZ_CHECK(after.sConnState == "Connected" || after.sConnState == "Disconnected");
  ZOLIN6_FUZZ_CHECK(after.sPage == before.sPage);
  ZOLIN6_FUZZ_CHECK(after.sSubPage == before.sSubPage);
  ZOLIN6_FUZZ_CHECK(after.sWriteCode == before.sWriteCode);
  ZOLIN6_FUZZ_CHECK(after.sReadCode == before.sReadCode);
  ZOLIN6_FUZZ_CHECK(after.bFixedCurrent == before.bFixedCurrent);
  CheckRequestDocument(after.sRequestDoc);
  // Only the answer to a write shows boxes, one per response code at most.
  const int shown = c.boxes.shown - boxesBefore;
  ZOLIN6_FUZZ_CHECK(shown == 0 || reason == 4000);
  ZOLIN6_FUZZ_CHECK(shown <= 5);
  if (shown > 0) ZOLIN6_FUZZ_CHECK(c.boxes.lastTitle == "Response Code");
  // A notification sends nothing but the repeated first read.
  for (const zolin6::fakes::SentRequest& r : c.driver->requests) {
    ZOLIN6_FUZZ_CHECK(r.kind == "read" && r.code == "1");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [header, body] = zolin6::fuzz::SplitHeader(zolin6::fuzz::AsText(data, size));
  const std::string details(body);

  // One control for the whole run: creating one per input would cost more
  // than the notifications themselves, and nothing a notification does may
  // depend on the ones before beyond the pages it fills.
  static ConnectedControl c;
  c.driver->requests.clear();
  std::int32_t reason = 0;
  const auto [end, ec] = std::from_chars(header.data(), header.data() + header.size(), reason);
  if (ec == std::errc{} && end == header.data() + header.size()) Notify(c, reason, details);
  for (const std::int32_t code : kCodes) Notify(c, code, details);
  // A value that is not text ends the notification at once.
  c.control->UpdateUI(100, zolin6::framelink::Variant::NotText());
  return 0;
}
