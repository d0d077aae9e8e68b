// Cost of one parameter notification from the driver's text to the filled
// page: the observation answer the monitoring timer asks for again and again,
// and a sensor range answer in a large document whose channel comes last.

#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/user_cntrl.h"
#include "pages/parameter_document.h"
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

struct Parameter {
  std::string tag;
  std::string value;
};

// A driver document: the parameters grouped in blocks, each element with a
// label and a type besides its tag and value, as the driver writes them.
std::string DriverDocument(const std::vector<Parameter>& parameters, std::size_t perBlock) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("DeviceData");
  root.append_attribute("device") = "ZOLIN-6";
  pugi::xml_node block;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (i % perBlock == 0) {
      block = root.append_child("Block");
      block.append_attribute("index") = static_cast<unsigned>(i / perBlock);
    }
    pugi::xml_node element = block.append_child("Parameter");
    element.append_attribute("tag") = parameters[i].tag.c_str();
    element.append_attribute("label") = ("Label of " + parameters[i].tag).c_str();
    element.append_attribute("type") = "FLOAT";
    element.append_attribute("value") = parameters[i].value.c_str();
  }
  std::ostringstream out;
  doc.save(out, "  ");
  return out.str();
}

// The answer to read 24: the process values and their units among the
// device status and the other dynamic variables of the same command.
std::string ObservationDocument() {
  std::vector<Parameter> parameters = {
      {"Device Status", "0"},
      {"ExtendedStatus", "0"},
      {"LoopCurrent", "12.3456"},
      {"PercentRange", "52.16"},
      {"PV", "21.456"},
      {"PVUnit", "32"},
      {"SV", "22.875"},
      {"SVUnit", "32"},
      {"TV", "1.#QNAN"},
      {"TVUnit", "33"},
      {"QV", "25.01"},
      {"QVUnit", "32"},
      {"PVClass", "64"},
      {"SVClass", "64"},
      {"TVClass", "64"},
      {"QVClass", "64"},
      {"PVStatus", "192"},
      {"SVStatus", "192"},
      {"TVStatus", "48"},
      {"QVStatus", "192"},
      {"LoopCurrentStatus", "192"},
      {"ConfigChangeCounter", "17"},
      {"Timestamp", "23:59:58"},
      {"CommandNumber", "9"},
  };
  return DriverDocument(parameters, 8);
}

// 200 elements: the range parameters of all six channels, channel 6 last,
// behind filler parameters of the same shape.
std::string RangeDocument() {
  std::vector<Parameter> parameters;
  const char* names[] = {"UpperRangeLimit", "LowerRangeLimit", "UpperRangeValue", "LowerRangeValue", "MinSpan", "Unit"};
  while (parameters.size() < 200 - 6 * 6) {
    parameters.push_back({"Other" + std::to_string(parameters.size()), "0"});
  }
  for (int channel = 1; channel <= 6; ++channel) {
    for (const char* name : names) {
      const std::string tag = "Sns" + std::to_string(channel) + name;
      parameters.push_back({tag, std::string(name) == "Unit" ? "32" : "850.125"});
    }
  }
  return DriverDocument(parameters, 20);
}

struct Bench {
  toolkit::Clock clock;
  SilentBoxes boxes;
  UserCntrl control{HostServices{clock, boxes, ""}};
};

void BM_ObservationNotification(benchmark::State& state) {
  platform::SetUserLocale({'.'});
  Bench bench;
  const framelink::Variant details(ObservationDocument());
  state.counters["bytes"] = static_cast<double>(details.text()->size());
  for (auto _ : state) bench.control.UpdateUI(2400, details);
  if (bench.control.form().get<toolkit::TextBox>("txtParameter", 86).text() != "21.46") {
    state.SkipWithError("the observation page was not filled");
  }
}
BENCHMARK(BM_ObservationNotification);

void BM_SensorRangeNotification200(benchmark::State& state) {
  platform::SetUserLocale({'.'});
  Bench bench;
  const framelink::Variant details(RangeDocument());
  state.counters["bytes"] = static_cast<double>(details.text()->size());
  for (auto _ : state) bench.control.UpdateUI(2300, details);
  if (bench.control.form().get<toolkit::ComboBox>("cmbPVUnits", 5).text() != "\u00B0C") {
    state.SkipWithError("the range tab was not filled");
  }
}
BENCHMARK(BM_SensorRangeNotification200);

// The parse alone, for comparison with the whole notification.
void BM_ParseRangeDocument200(benchmark::State& state) {
  const std::string details = RangeDocument();
  for (auto _ : state) {
    pugi::xml_document document;
    pages::LoadParameterDocument(document, details);
    benchmark::DoNotOptimize(document.first_child());
  }
}
BENCHMARK(BM_ParseRangeDocument200);

// One fetch of the last tag of the 200 elements: the longest search.
void BM_FetchLastTag200(benchmark::State& state) {
  pugi::xml_document document;
  pages::LoadParameterDocument(document, RangeDocument());
  for (auto _ : state) {
    Result<std::string> value = pages::FetchTagValue(document, "Sns6Unit");
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_FetchLastTag200);

}  // namespace

BENCHMARK_MAIN();
