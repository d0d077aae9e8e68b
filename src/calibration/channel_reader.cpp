#include "calibration/channel_reader.h"

#include <pugixml.hpp>

#include <map>
#include <memory>

#include "configuration/catalogue.h"
#include "configuration/device_codec.h"
#include "pages/parameter_document.h"

namespace zolin6::calibration {

namespace {

using configuration::CatalogueValue;

// The reads that carry a channel's sensor reading (device variable slots,
// the channel's variable in the first) and an output's loop current.
constexpr int kVariablesRead = 32;
constexpr int kOutputCurrentRead = 28;

// Device variable (and output) of channel n as the two hexadecimal digits
// the reads take: "00" for channel 1.
std::string ChannelCode(int channel) { return std::string("0") + static_cast<char>('0' + channel - 1); }

Result<configuration::Value> ReadKey(configuration::LinkClient& link, const CatalogueValue& entry,
                                     const configuration::Attributes& attributes) {
  Result<std::string> answer = link.Read(entry.readCode, attributes);
  if (!answer) return answer.error();
  pugi::xml_document document;
  pages::LoadParameterDocument(document, *answer);
  Result<configuration::Value> value = configuration::DecodeValue(entry, document);
  if (!value) return Error{entry.key + ": " + value.error().message};
  return value;
}

Result<double> Number(const Result<configuration::Value>& value, const std::string& what) {
  if (!value) return value.error();
  if (const auto* number = std::get_if<double>(&*value)) return *number;
  if (const auto* integer = std::get_if<std::int64_t>(&*value)) return static_cast<double>(*integer);
  return Error{what + " is not a number"};
}

// Catalogue values of the set-up, each read sent once however many of its
// values are needed: on a 1200 baud line every read costs several HART
// transactions.
class CatalogueReads {
 public:
  explicit CatalogueReads(configuration::LinkClient& link) : link_(link) {}

  // As the pages show it: an enumeration by its text.
  Result<std::string> Text(const std::string& key) {
    const CatalogueValue* entry = configuration::FindValue(key);
    if (entry == nullptr) return Error{"no value " + key};
    Result<configuration::Value> value = Read(*entry);
    if (!value) return value.error();
    if (entry->enumeration != configuration::Enumeration::None) {
      if (const auto* code = std::get_if<std::int64_t>(&*value))
        return configuration::CodeText(entry->enumeration, *code);
    }
    return configuration::ValueText(*value);
  }

  Result<double> Number(const std::string& key) {
    const CatalogueValue* entry = configuration::FindValue(key);
    if (entry == nullptr) return Error{"no value " + key};
    return calibration::Number(Read(*entry), key);
  }

 private:
  Result<configuration::Value> Read(const CatalogueValue& entry) {
    auto& document = answers_[entry.readCode];
    if (!document) {
      Result<std::string> answer = link_.Read(entry.readCode, configuration::NoAttributes());
      if (!answer) return answer.error();
      document = std::make_unique<pugi::xml_document>();
      pages::LoadParameterDocument(*document, *answer);
    }
    Result<configuration::Value> value = configuration::DecodeValue(entry, *document);
    if (!value) return Error{entry.key + ": " + value.error().message};
    return value;
  }

  configuration::LinkClient& link_;
  std::map<int, std::unique_ptr<pugi::xml_document>> answers_;  // by read code
};

}  // namespace

ChannelReader::ChannelReader(configuration::LinkClient& link, int channel) : link_(link), channel_(channel) {}

Result<ChannelSetup> ChannelReader::ReadSetup() {
  if (channel_ < 1 || channel_ > kChannels) return Error{"there is no channel " + std::to_string(channel_)};
  ChannelSetup setup;
  CatalogueReads reads(link_);
  for (auto [key, field] :
       {std::pair{"identification.tag", &setup.device.tag}, std::pair{"identification.long tag", &setup.device.longTag},
        std::pair{"device.device id", &setup.device.deviceId}}) {
    Result<std::string> text = reads.Text(key);
    if (!text) return text.error();
    *field = *text;
  }
  const std::string group = "channel " + std::to_string(channel_) + ".";
  Result<double> lower = reads.Number(group + "lower range value");
  if (!lower) return lower.error();
  Result<double> upper = reads.Number(group + "upper range value");
  if (!upper) return upper.error();
  Result<std::string> unit = reads.Text(group + "unit");
  if (!unit) return unit.error();
  setup.range = {*lower, *upper, *unit};
  if (setup.range.span() <= 0) return Error{"channel " + std::to_string(channel_) + " has no span"};
  return setup;
}

Result<double> ChannelReader::ReadNumber(int readCode, const std::string& tag) {
  configuration::Attributes attributes = configuration::NoAttributes();
  attributes[0] = ChannelCode(channel_);
  CatalogueValue entry;
  entry.key = entry.name = entry.tag = tag;
  entry.readCode = readCode;
  entry.decoding = configuration::Decoding::Decimal;
  entry.type = configuration::ValueType::Number;
  Result<double> number = Number(ReadKey(link_, entry, attributes), tag);
  if (!number) return Error{"channel " + std::to_string(channel_) + ": " + number.error().message};
  return number;
}

Result<Measurement> ChannelReader::Measure() {
  Result<double> pv = ReadNumber(kVariablesRead, "Var1");
  if (!pv) return pv.error();
  Result<double> current = ReadNumber(kOutputCurrentRead, "Current");
  if (!current) return current.error();
  return Measurement{*pv, *current};
}

Result<std::vector<TestPoint>> RunTest(ChannelReader& reader, const std::vector<double>& percents,
                                       const std::vector<double>& references) {
  if (percents.size() != references.size()) return Error{"one reference reading is needed per test point"};
  std::vector<TestPoint> points;
  for (std::size_t i = 0; i < percents.size(); ++i) {
    Result<Measurement> measured = reader.Measure();
    if (!measured) return measured.error();
    points.push_back({percents[i], references[i], measured->pv, measured->current});
  }
  return points;
}

}  // namespace zolin6::calibration
