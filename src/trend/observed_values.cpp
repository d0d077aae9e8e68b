#include "trend/observed_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "codecs/enumerated.h"

namespace zolin6::trend {

namespace {

constexpr std::int32_t kObserveValues = 2400;
constexpr std::int32_t kSpecificVariables = 3200;

// The device's not-a-number texts. The process value tab shows
// "2141192192" as a number, but it is the bit pattern of the device's NaN
// read as an integer: in a trend it is a gap like the other two.
std::optional<double> Number(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  if (*text == "1.#QNAN" || *text == "1.#R" || *text == "2141192192") return std::nan("");
  double value = 0;
  auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (text->empty() || ec != std::errc() || end != text->data() + text->size()) return std::nullopt;
  return value;
}

std::optional<std::string> Unit(const std::optional<std::string>& code) {
  std::int16_t number = 0;
  if (!code) return std::nullopt;
  auto [end, ec] = std::from_chars(code->data(), code->data() + code->size(), number);
  if (ec != std::errc() || end != code->data() + code->size()) return std::nullopt;
  return codecs::GetUnitText(number);
}

struct Row {
  std::string name;
  std::string tag;
  std::string unitTag;  // empty for a fixed unit
  std::string fixedUnit;
};

std::vector<ObservedValue> Read(const link::Notification& notification, const std::vector<Row>& rows) {
  std::vector<ObservedValue> values;
  for (const Row& row : rows) {
    std::optional<double> value = Number(notification.value(row.tag));
    std::optional<std::string> unit = row.unitTag.empty() ? row.fixedUnit : Unit(notification.value(row.unitTag));
    if (!value || !unit) return {};
    values.push_back({row.name, *unit, *value});
  }
  return values;
}

// The texts the variable combo boxes offer, in the order of the device's
// variable codes.
const std::vector<std::string>& Choices() {
  static const std::vector<std::string> kChoices{"Sensor 1",  "Sensor 2",  "Sensor 3",  "Sensor 4",  "Sensor 5",
                                                 "Sensor 6",  "Sensor 1%", "Sensor 2%", "Sensor 3%", "Sensor 4%",
                                                 "Sensor 5%", "Sensor 6%", "Local Temp"};
  return kChoices;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::ranges::find(names, name) != names.end();
}

// A published value's name: the page's name of the dynamic variable, the
// combo box's text of a device variable.
std::string VariableName(std::uint8_t code) {
  static const std::vector<std::string> kDynamic{"Percent of range", "Loop current", "PV", "SV", "TV", "QV"};
  if (code >= link::kPercentOfRangeCode && code - link::kPercentOfRangeCode < std::ssize(kDynamic)) {
    return kDynamic[code - link::kPercentOfRangeCode];
  }
  if (code < Choices().size()) return Choices()[code];
  return "Variable " + std::to_string(code);
}

}  // namespace

std::vector<std::string> ChosenVariables(const std::string& document) {
  const std::vector<std::string>& kChoices = Choices();
  const std::vector<std::string> codes = link::RequestAttributes(document);
  std::vector<std::string> names(8);
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (const std::string& choice : kChoices) {
      if (!codes[i].empty() && codecs::GetMonitorVariableCode(choice) == codes[i]) names[i] = choice;
    }
  }
  return names;
}

std::vector<ObservedValue> ObservedValues(const link::Notification& notification,
                                          const std::vector<std::string>& variables) {
  if (notification.reason == kObserveValues) {
    static const std::vector<Row> rows{{"Loop current", "LoopCurrent", "", "mA"},
                                       {"Percent of range", "PercentRange", "", "%"},
                                       {"PV", "PV", "PVUnit", ""},
                                       {"SV", "SV", "SVUnit", ""},
                                       {"TV", "TV", "TVUnit", ""}};
    return Read(notification, rows);
  }
  if (notification.reason == kSpecificVariables) {
    static const std::vector<Row> rows = [] {
      std::vector<Row> eight;
      for (int i = 1; i <= 8; ++i) {
        const std::string n = std::to_string(i);
        eight.push_back({"Var " + n, "Var" + n, "Var" + n + "Unit", ""});
      }
      return eight;
    }();
    std::vector<ObservedValue> values = Read(notification, rows);
    for (std::size_t i = 0; i < values.size() && i < variables.size(); ++i) {
      if (!variables[i].empty()) values[i].name = variables[i];
    }
    return values;
  }
  return {};
}

void ObservationFeed::OnRequest(link::RequestKind kind, const std::string& code, const std::string& document) {
  if (kind == link::RequestKind::Read && code == "32") variables_ = ChosenVariables(document);
}

std::vector<ObservedValue> ObservedValues(const link::Published& published) {
  std::vector<ObservedValue> values;
  for (const link::PublishedValue& value : published.values) {
    values.push_back({VariableName(value.variable), codecs::GetUnitText(value.units), value.value});
  }
  return values;
}

void ObservationFeed::OnNotification(const link::Notification& notification) {
  std::vector<ObservedValue> values = ObservedValues(notification, variables_);
  if (values.empty()) return;
  std::erase_if(values, [this](const ObservedValue& value) { return Contains(publishedSince_, value.name); });
  publishedSince_.clear();
  if (!values.empty()) Hand(clock_.now(), values, false);
}

void ObservationFeed::OnPublished(const link::Published& published) {
  const std::vector<ObservedValue> values = ObservedValues(published);
  for (const ObservedValue& value : values) {
    if (!Contains(publishedSince_, value.name)) publishedSince_.push_back(value.name);
  }
  if (!values.empty()) Hand(published.at, values, true);
}

void ObservationFeed::Hand(toolkit::Millis time, const std::vector<ObservedValue>& values, bool published) const {
  for (const Subscription& subscription : subscribers_) {
    if (published || subscription.source == Source::PolledAndPublished) subscription.subscriber(time, values);
  }
}

}  // namespace zolin6::trend
