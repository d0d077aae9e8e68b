// The write side of the HART driver: one table row per write (two writes
// that differ only in a selection byte share one), listing the commands it
// sends and where each request byte comes from. The driver encodes every
// attribute before sending anything, so a malformed request changes
// nothing on the device, as today.

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "driver/hart_operations.h"
#include "hart/commands_device.h"
#include "hart/encoding.h"

namespace zolin6::driver {

namespace {

constexpr int kInvalidSelection = 2;
constexpr int kTooLarge = 3;
constexpr int kTooSmall = 4;
constexpr int kTooFewBytes = 5;
constexpr int kBusy = 32;
constexpr int kNotImplemented = 64;

// Where one request byte (or run of bytes) comes from.
enum class Source : std::uint8_t {
  Code,       // attribute: 1-4 hex digits into a u8, above 255 refused with 2
  WideCode,   // the same without the 255 check: the row's own check limits it
  CheckOnly,  // encoded and checked like WideCode, but not sent
  Counter,    // attribute: 1-4 hex digits into a u16
  Number,     // attribute: the 8 hex digits of a single's bits
  Bytes,      // attribute: exactly `value` bytes in hex, sent unchanged
  Constant,   // the byte `value`
  Selection,  // the byte `value` + (code - first code of the row)
};

struct Param {
  Source source;
  std::uint8_t attribute = 0;  // 1-22; 0 for Constant and Selection
  std::uint8_t value = 0;      // byte count of Bytes, the byte of Constant and Selection
  bool optional = false;       // dropped with the other optional ones when one cannot be encoded
};

struct Step {
  std::uint16_t command;
  std::span<const Param> params;
};

// A check of the decoded attributes beyond their encoding: 0 or the code.
using Check = int (*)(const RequestAttributes&);

struct WriteRow {
  int first;  // operation codes first..last
  int last;
  std::span<const Step> steps;
  Check check = nullptr;
  bool protectionLast = false;  // send the first step last when Attribute4 switches protection on
};

constexpr Param A(std::uint8_t attribute) { return {Source::Code, attribute}; }
constexpr Param Wide(std::uint8_t attribute) { return {Source::WideCode, attribute}; }
constexpr Param F(std::uint8_t attribute, bool optional = false) { return {Source::Number, attribute, 0, optional}; }
constexpr Param Hex(std::uint8_t attribute, std::uint8_t bytes) { return {Source::Bytes, attribute, bytes}; }
constexpr Param Byte(std::uint8_t value) { return {Source::Constant, 0, value}; }
constexpr Param Selected(std::uint8_t base) { return {Source::Selection, 0, base}; }
constexpr Param OptionalCode(std::uint8_t attribute) { return {Source::Code, attribute, 0, true}; }

constexpr std::uint8_t kAllChannels = 255;

constexpr std::array kTagDescriptorDate{Hex(1, 6), Hex(2, 12), Hex(3, 3)};
constexpr std::array kMessage{Hex(4, 24)};
constexpr std::array kLongTag{Hex(5, 32)};
constexpr std::array kFinalAssembly{Hex(6, 3)};
constexpr std::array kIdentificationSteps{Step{18, kTagDescriptorDate}, Step{17, kMessage}, Step{22, kLongTag},
                                          Step{19, kFinalAssembly}};
constexpr std::array kProtection{Wide(4), Wide(5)};
constexpr std::array kPollingAddress{Wide(2), Wide(1)};
constexpr std::array kPreambles{Wide(3)};
constexpr std::array kHartSettingsSteps{Step{139, kProtection}, Step{6, kPollingAddress}, Step{59, kPreambles}};
constexpr std::array kSensor{A(1), A(2), A(3), A(4), F(5, true), F(6, true), OptionalCode(7)};
constexpr std::array kSensorAll{Byte(kAllChannels), A(1), A(2), A(3), F(4, true), F(5, true), OptionalCode(6)};
constexpr std::array kUnit{A(1), A(2)};
constexpr std::array kDisplay{A(1), A(2), A(3), A(4), A(5), A(6)};
constexpr std::array kRange{A(1), A(2), F(3), F(4)};
constexpr std::array kRangeAll{Byte(kAllChannels), A(1), F(2), F(3)};
constexpr std::array kCounter{Param{Source::Counter, 1}};
constexpr std::array kCurrent{F(1)};
constexpr std::array kCurrentAndPoint{F(1), Param{Source::CheckOnly, 2}};
constexpr std::array kUnitAndValue{A(1), F(2)};
constexpr std::array kThreeCodes{A(1), A(2), A(3)};
constexpr std::array kTwoCodes{A(1), A(2)};
constexpr std::array kSelection{Selected(0)};
constexpr std::array kSensorTrim{Byte(0), Selected(1), A(1), F(2)};
constexpr std::array kOutputCurrent{A(1), F(2)};
constexpr std::array kOutputTrim{A(1), Selected(1), F(2)};
constexpr std::array kSensorParameters{A(3), F(1), F(2), F(4), F(5), F(6), F(7), F(8)};
constexpr std::array<Param, 0> kNothing{};

constexpr std::array kSensorStep{Step{130, kSensor}};
constexpr std::array kUnitStep{Step{132, kUnit}};
constexpr std::array kDisplayStep{Step{136, kDisplay}};
constexpr std::array kRangeStep{Step{131, kRange}};
constexpr std::array kResetChangedStep{Step{38, kCounter}};
constexpr std::array kResetCountersStep{Step{141, kNothing}};
constexpr std::array kDeviceResetStep{Step{42, kNothing}};
constexpr std::array kFactoryRestoreStep{Step{151, kNothing}};
constexpr std::array kLoopTestStep{Step{40, kCurrent}};
constexpr std::array kHoldStep{Step{40, kCurrentAndPoint}};
constexpr std::array kTrim4mAStep{Step{45, kCurrent}};
constexpr std::array kTrim20mAStep{Step{46, kCurrent}};
constexpr std::array kTemperatureTrimStep{Step{149, kUnitAndValue}};
constexpr std::array kSpecialStep{Step{138, kThreeCodes}};
constexpr std::array kRecordingStep{Step{143, kTwoCodes}};
constexpr std::array kResetExtremesStep{Step{144, kSelection}};
constexpr std::array kSensorTrimStep{Step{148, kSensorTrim}};
constexpr std::array kOutputCurrentStep{Step{146, kOutputCurrent}};
constexpr std::array kOutputTrimStep{Step{147, kOutputTrim}};
constexpr std::array kSensorParametersStep{Step{134, kSensorParameters}};
constexpr std::array kSensorAllStep{Step{130, kSensorAll}};
constexpr std::array kRangeAllStep{Step{131, kRangeAll}};
constexpr std::array kFactoryTrimStep{Step{150, kUnitAndValue}};

// A code: 1-4 hexadecimal digits, no sign.
std::optional<unsigned> WideCodeOf(const std::string& text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || text.size() > 4 || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Hexadecimal digit pairs of exactly `count` bytes.
std::optional<hart::Bytes> HexBytes(const std::string& text, std::size_t count) {
  if (text.size() != 2 * count) return std::nullopt;
  hart::Bytes bytes;
  for (std::size_t i = 0; i < count; ++i) {
    unsigned byte = 0;
    const char* begin = text.data() + 2 * i;
    const auto [end, ec] = std::from_chars(begin, begin + 2, byte, 16);
    if (ec != std::errc() || end != begin + 2) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(byte));
  }
  return bytes;
}

// Write 2's checks, in today's order.
int CheckHartSettings(const RequestAttributes& a) {
  auto code = [&a](int n) { return WideCodeOf(a[n - 1]).value_or(0); };
  if (code(1) > 1 || code(4) > 1 || code(5) > 1) return kInvalidSelection;
  if (code(2) > 63 || code(3) > 20) return kTooLarge;
  if (code(3) < 5) return kTooSmall;
  return 0;
}

// Write 12's trim point (0 leave, 1 the 4 mA, 2 the 20 mA point) is checked
// and dropped: command 40 has no place for it.
int CheckTrimPoint(const RequestAttributes& a) { return WideCodeOf(a[1]).value_or(0) > 2 ? kInvalidSelection : 0; }

constexpr std::array kWrites{
    WriteRow{1, 1, kIdentificationSteps},
    WriteRow{2, 2, kHartSettingsSteps, CheckHartSettings, true},
    WriteRow{3, 3, kSensorStep},
    WriteRow{4, 4, kUnitStep},
    WriteRow{5, 5, kDisplayStep},
    WriteRow{6, 6, kRangeStep},
    WriteRow{7, 7, kResetChangedStep},
    WriteRow{8, 8, kResetCountersStep},
    WriteRow{9, 9, kDeviceResetStep},
    WriteRow{10, 10, kFactoryRestoreStep},
    WriteRow{11, 11, kLoopTestStep},
    WriteRow{12, 12, kHoldStep, CheckTrimPoint},
    WriteRow{13, 13, kTrim4mAStep},
    WriteRow{14, 14, kTrim20mAStep},
    WriteRow{15, 15, kTemperatureTrimStep},
    WriteRow{16, 16, kSpecialStep},
    WriteRow{17, 17, kRecordingStep},
    WriteRow{18, 19, kResetExtremesStep},
    WriteRow{20, 21, kSensorTrimStep},
    WriteRow{22, 22, kOutputCurrentStep},
    WriteRow{23, 24, kOutputTrimStep},
    WriteRow{26, 26, kSensorParametersStep},
    WriteRow{27, 27, kSensorAllStep},
    WriteRow{28, 28, kRangeAllStep},
    WriteRow{29, 29, kFactoryTrimStep},
};

// The bytes one attribute-borne parameter sends (empty for CheckOnly), or
// the response code it is refused with.
struct Encoded {
  hart::Bytes bytes;
  int refusal = 0;
};

Encoded EncodeCode(const std::string& text, const Param& param) {
  const std::optional<unsigned> code = WideCodeOf(text);
  if (!code || (param.source == Source::Code && *code > 0xFF)) return {{}, kInvalidSelection};
  if (param.source == Source::CheckOnly) return {};
  if (param.source == Source::Counter)
    return {{static_cast<std::uint8_t>(*code >> 8U), static_cast<std::uint8_t>(*code)}};
  return {{static_cast<std::uint8_t>(*code)}};
}

Encoded Encode(const Param& param, const RequestAttributes& attributes, int selection) {
  if (param.source == Source::Constant) return {{param.value}};
  if (param.source == Source::Selection) return {{static_cast<std::uint8_t>(param.value + selection)}};
  const std::string& text = attributes[param.attribute - 1];
  if (text == "None") return {{}, kTooFewBytes};
  if (param.source == Source::Number || param.source == Source::Bytes) {
    // A number goes over as its IEEE bits, unchanged.
    const std::optional<hart::Bytes> bytes = HexBytes(text, param.source == Source::Number ? 4 : param.value);
    if (!bytes) return {{}, kTooFewBytes};
    return {*bytes};
  }
  return EncodeCode(text, param);
}

// The refusal of the lowest-numbered attribute that cannot be encoded wins,
// as today's device decoded them in that order.
struct Refusal {
  int attribute = 0;
  int code = 0;
  void note(int at, int response) {
    if (response != 0 && (code == 0 || at < attribute)) *this = {at, response};
  }
};

const WriteRow* FindWrite(int code) {
  const auto* found =
      std::ranges::find_if(kWrites, [code](const WriteRow& row) { return code >= row.first && code <= row.last; });
  return found != kWrites.end() ? found : nullptr;
}

// One step's request: its parameters in order. Optional ones go only when
// all of them encode.
hart::Bytes StepData(const Step& step, const RequestAttributes& attributes, int selection, Refusal& refusal) {
  hart::Bytes data;
  hart::Bytes optional;
  bool optionalComplete = true;
  for (const Param& param : step.params) {
    Encoded encoded = Encode(param, attributes, selection);
    if (param.optional) {
      optionalComplete = optionalComplete && encoded.refusal == 0;
      optional.insert(optional.end(), encoded.bytes.begin(), encoded.bytes.end());
      continue;
    }
    refusal.note(param.attribute, encoded.refusal);
    data.insert(data.end(), encoded.bytes.begin(), encoded.bytes.end());
  }
  if (optionalComplete) data.insert(data.end(), optional.begin(), optional.end());
  return data;
}

// Leaving fixed-current mode (40, or 146 for outputs 2-6, with 0 mA) is safe
// to send again: an output whose release went unanswered would stay held
// while the window says it is free, so it is resent like any read.
hart::Effect EffectOf(std::uint16_t command, const hart::Bytes& data) {
  constexpr std::uint16_t kFixCurrent = 40;
  constexpr std::uint16_t kFixOutputCurrent = 146;
  const std::size_t currentAt = command == kFixOutputCurrent ? 1 : 0;
  const bool release = (command == kFixCurrent || command == kFixOutputCurrent) && data.size() >= currentAt + 4 &&
                       hart::ReadFloat(hart::ByteView(data).subspan(currentAt)) == 0.0F;
  return release ? hart::Effect::Repeatable : hart::FindDeviceCommand(command)->effect;
}

}  // namespace

WritePlan PlanWrite(int code, const RequestAttributes& attributes, CommandSet set) {
  const WriteRow* row = FindWrite(code);
  if (row == nullptr) return {{}, kNotImplemented};
  const auto deviceSpecific = [](const Step& step) { return step.command >= kFirstDeviceSpecificCommand; };
  if (set == CommandSet::Universal && std::ranges::any_of(row->steps, deviceSpecific)) return {{}, kNotImplemented};
  Refusal refusal;
  WritePlan plan;
  for (const Step& step : row->steps) {
    hart::Bytes data = StepData(step, attributes, code - row->first, refusal);
    const hart::Effect effect = EffectOf(step.command, data);
    plan.requests.push_back({step.command, std::move(data), effect});
  }
  if (refusal.code == 0 && row->check != nullptr) refusal.code = row->check(attributes);
  if (refusal.code != 0) return {{}, refusal.code};
  // Switching protection on comes last, so that it refuses nothing of this write.
  if (row->protectionLast && WideCodeOf(attributes[3]) == 1U)
    std::rotate(plan.requests.begin(), plan.requests.begin() + 1, plan.requests.end());
  return plan;
}

Result<int> WriteResponseCode(std::span<const hart::Completion> completions) {
  for (const hart::Completion& completion : completions) {
    if (completion.outcome == hart::Outcome::StillBusy) return kBusy;
    if (completion.outcome != hart::Outcome::Replied) {
      return Error{"command " + std::to_string(completion.command) + ": " + hart::Describe(completion.outcome)};
    }
    if (completion.status.communicationError())
      return Error{"command " + std::to_string(completion.command) + ": " + hart::Describe(completion.status)};
    if (completion.status.responseCode() != 0) return static_cast<int>(completion.status.responseCode());
  }
  return 0;
}

}  // namespace zolin6::driver
