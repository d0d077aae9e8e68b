// Cost of the control itself: creating it (the widget model from the forms,
// the function tree, the combo-box lists, the timers), one write from the
// click on Write to the request the driver receives, and one full
// notification of the HART information page, with its packed and Latin
// texts to decode.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "forms/form_design.h"
#include "host/user_cntrl.h"
#include "platform/locale.h"
#include "platform/toolkit/clock.h"

namespace {

using namespace zolin6;

// No box is ever expected here; one that comes is answered at once.
class SilentBoxes : public toolkit::MessageBoxes {
 public:
  toolkit::Answer show(const std::string&, const std::string&, toolkit::Buttons, toolkit::Icon) override {
    return toolkit::Answer::Ok;
  }
};

// A ready driver that takes every request and keeps only the last write, so
// that the loop measures the control and not a growing list.
class CountingDriver : public framelink::DtmObject,
                       public framelink::IFrameLinkSession,
                       public framelink::IFrameLinkChannel,
                       public std::enable_shared_from_this<CountingDriver> {
 public:
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return shared_from_this(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return shared_from_this(); }
  bool CloseSession(const std::string&) override { return true; }
  bool IsReady(bool& ready) override {
    ready = true;
    return true;
  }
  bool RegisterControl(const std::string&, const std::string&, fdt::IDtmActiveXControl*, std::int32_t,
                       bool& result) override {
    result = true;
    return true;
  }
  bool UnregisterControl(const std::string&, bool, bool& result) override {
    result = true;
    return true;
  }
  bool WriteRequest(const std::string& code, const std::string& document, std::string& result) override {
    lastWrite = code + " " + document;
    result.clear();
    return true;
  }
  bool ReadRequest(const std::string&, const std::string&, std::string& result) override {
    result.clear();
    return true;
  }

  std::string lastWrite;
};

// A control bound to the driver, past its first read and on line.
struct Connected {
  Connected() {
    platform::SetUserLocale({'.'});
    control.Init("invoke-1", "", driver);
    clock.advance(1200);
    control.UpdateUI(0, "<DTMInfo state='Online' />");
  }
  toolkit::Clock clock;
  SilentBoxes boxes;
  std::shared_ptr<CountingDriver> driver = std::make_shared<CountingDriver>();
  UserCntrl control{HostServices{clock, boxes, ""}};
};

// The whole control: widgets, tree, lists, timers.
void BM_CreateControl(benchmark::State& state) {
  toolkit::Clock clock;
  SilentBoxes boxes;
  for (auto _ : state) {
    UserCntrl control(HostServices{clock, boxes, ""});
    benchmark::DoNotOptimize(&control);
  }
}
BENCHMARK(BM_CreateControl);

// The widget model alone, from the design-time description of every frame;
// the rest of BM_CreateControl is the tree, the lists and the wiring.
void BM_CreateForm(benchmark::State& state) {
  toolkit::Clock clock;
  const std::vector<forms::ControlDesign>& designs = forms::AllControls();
  state.counters["controls"] = static_cast<double>(designs.size());
  for (auto _ : state) {
    toolkit::Form form(designs, clock);
    benchmark::DoNotOptimize(&form);
  }
}
BENCHMARK(BM_CreateForm);

// Write on the range page, tab "Sensor 2": unit code, two IEEE hex values,
// the request document and the call to the driver.
void BM_WriteRangeFromClick(benchmark::State& state) {
  Connected c;
  c.control.form().get<toolkit::TreeView>("TreeView").clickNode(7);  // "Configuration": the range page
  auto& tabs = c.control.form().get<toolkit::TabControl>("SSTabSensorRange");
  tabs.setTab(1);
  tabs.click();
  c.control.form().get<toolkit::ComboBox>("cmbPVUnits", 1).setText("\u00B0F");
  c.control.form().get<toolkit::TextBox>("txtParameter", 87).setText("1000.75");
  c.control.form().get<toolkit::TextBox>("txtParameter", 82).setText("-40");
  auto& write = c.control.form().get<toolkit::CommandButton>("cmdWriteParameter");
  for (auto _ : state) write.click();
  if (c.driver->lastWrite.rfind("6 ", 0) != 0 || c.driver->lastWrite.find("447A3000") == std::string::npos) {
    state.SkipWithError("the range write was not sent");
  }
}
BENCHMARK(BM_WriteRangeFromClick);

// The answer to read 1 as the examples carry it: tag, long tag, descriptor,
// message, addresses, serial number, date and ordering code.
const char* const kHartInformation =
    "<Parameters><Parameter tag=\"Tag\" value=\"514B71C3182008F24C15280938C1548208200F036A\"/>"
    "<Parameter tag=\"Long Tag\" value=\"4C6F6E6720746167206F6620756E697420372020202020202020202020202020\"/>"
    "<Parameter tag=\"Descriptor\" value=\"514B71C3182008F24C15280938C1548208200F036A\"/>"
    "<Parameter tag=\"Message\" value=\"0C81432E05C94893878015202953835093CE8023D8833820\"/>"
    "<Parameter tag=\"Polling Address\" value=\"0\"/><Parameter tag=\"Final Assembly\" value=\"12345\"/>"
    "<Parameter tag=\"DeviceSerialNumber\" value=\"987654\"/>"
    "<Parameter tag=\"Date\" value=\"514B71C3182008F24C15280938C1548208200F036A\"/>"
    "<Parameter tag=\"Ordering_Code\" value=\"5A4C362D542D30362D482020202020202020202020202020\"/></Parameters>";

void BM_HartInformationNotification(benchmark::State& state) {
  Connected c;
  const framelink::Variant details(kHartInformation);
  for (auto _ : state) c.control.UpdateUI(100, details);
  if (c.control.form().get<toolkit::TextBox>("txtParameter", 10).text().empty()) {
    state.SkipWithError("the information page was not filled");
  }
}
BENCHMARK(BM_HartInformationNotification);

}  // namespace

BENCHMARK_MAIN();
