#include "codec_calls.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

#include "codecs/enumerated.h"
#include "codecs/float_ieee.h"
#include "codecs/functions_hart.h"

namespace zolin6::scenario {

namespace {

using Args = std::vector<std::string>;
using Call = Result<std::string> (*)(const Args&);

// One reachable function: its name, how many arguments it takes, and the
// adapter that converts the argument texts and the result.
struct CodecFunction {
  std::string_view name;
  std::size_t arity;
  Call call;
};

Error BadArgument(const std::string& text, std::string_view expected) {
  return {"bad argument: \"" + text + "\" is not " + std::string(expected)};
}

// A decimal integer argument that fits the parameter's type.
template <class Int>
Result<Int> IntegerArgument(const std::string& text) {
  Int value{};
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc{} || end != last) return BadArgument(text, "an integer in range");
  return value;
}

Result<double> NumberArgument(const std::string& text) {
  double value = 0.0;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc{} || end != last) return BadArgument(text, "a number");
  return value;
}

template <std::string (*Fn)(std::int16_t)>
Result<std::string> Decoder(const Args& args) {
  Result<std::int16_t> code = IntegerArgument<std::int16_t>(args[0]);
  if (!code) return code.error();
  return Fn(*code);
}

template <std::string (*Fn)(std::string_view)>
Result<std::string> Encoder(const Args& args) {
  return Fn(args[0]);
}

template <Result<std::int32_t> (*Fn)(std::int32_t, int)>
Result<std::string> Shift(const Args& args) {
  Result<std::int32_t> value = IntegerArgument<std::int32_t>(args[0]);
  if (!value) return value.error();
  Result<int> bits = IntegerArgument<int>(args[1]);
  if (!bits) return bits.error();
  Result<std::int32_t> shifted = Fn(*value, *bits);
  if (!shifted) return shifted.error();
  return std::to_string(*shifted);
}

template <Result<std::string> (*Fn)(std::string_view)>
Result<std::string> HexToText(const Args& args) {
  return Fn(args[0]);
}

// A text passed by reference with a character count: PackAscii, AsciiToHex.
// The encoders pad the text to the count, so a count is kept to what a line
// could sensibly ask for; the device's fields are 8 to 32 characters.
template <std::string (*Fn)(std::string&, int)>
Result<std::string> TextWithCount(const Args& args) {
  constexpr int kMaxCount = 4096;
  Result<int> count = IntegerArgument<int>(args[1]);
  if (!count) return count.error();
  if (*count > kMaxCount) return BadArgument(args[1], "a count up to 4096");
  std::string text = args[0];
  return Fn(text, *count);
}

using namespace codecs;

constexpr std::array kFunctions = std::to_array<CodecFunction>({
    // Enumeration decoders.
    {"GetBackupModeText", 1, Decoder<GetBackupModeText>},
    {"GetSensorMaxMinText", 1, Decoder<GetSensorMaxMinText>},
    {"GetLoopAlarmText", 1, Decoder<GetLoopAlarmText>},
    {"GetTempMaxMinText", 1, Decoder<GetTempMaxMinText>},
    {"GetBackupSensorText", 1, Decoder<GetBackupSensorText>},
    {"GetAverageModeText", 1, Decoder<GetAverageModeText>},
    {"GetPhysicalSignalText", 1, Decoder<GetPhysicalSignalText>},
    {"GetPreamblesText", 1, Decoder<GetPreamblesText>},
    {"GetWriteProtectText", 1, Decoder<GetWriteProtectText>},
    {"GetLoopCurrentModeText", 1, Decoder<GetLoopCurrentModeText>},
    {"GetSensorTypeText", 1, Decoder<GetSensorTypeText>},
    {"GetSensorConnectionText", 1, Decoder<GetSensorConnectionText>},
    {"GetColdJunctionText", 1, Decoder<GetColdJunctionText>},
    {"GetUnitText", 1, Decoder<GetUnitText>},
    {"GetDisplayVariableText", 1, Decoder<GetDisplayVariableText>},
    // Enumeration encoders.
    {"GetLoopCurrentModeCode", 1, Encoder<GetLoopCurrentModeCode>},
    {"GetPollingAddressCode", 1, [](const Args& args) { return GetPollingAddressCode(args[0]); }},
    {"GetPreamblesCode", 1, Encoder<GetPreamblesCode>},
    {"GetWriteProtectCode", 1, Encoder<GetWriteProtectCode>},
    {"GetSensorTypeCode", 1, Encoder<GetSensorTypeCode>},
    {"GetSensorConnectionCode", 1, Encoder<GetSensorConnectionCode>},
    {"GetColdJunctionCode", 1, Encoder<GetColdJunctionCode>},
    {"GetUnitCode", 1, Encoder<GetUnitCode>},
    {"GetDisplayVariableCode", 1, Encoder<GetDisplayVariableCode>},
    {"GetBackupModeCode", 1, Encoder<GetBackupModeCode>},
    {"GetBackupSensorCode", 1, Encoder<GetBackupSensorCode>},
    {"GetAverageModeCode", 1, Encoder<GetAverageModeCode>},
    {"GetSensorMaxMinCode", 1, Encoder<GetSensorMaxMinCode>},
    {"GetTempMaxMinCode", 1, Encoder<GetTempMaxMinCode>},
    {"GetMonitorVariableCode", 1, Encoder<GetMonitorVariableCode>},
    {"GetLoopAlarmCode", 1, Encoder<GetLoopAlarmCode>},
    // Float hex encoder and its steps.
    {"ConvertFloatToHex", 1,
     [](const Args& args) {
       std::string text = args[0];
       return ConvertFloatToHex(text);
     }},
    {"SplitIntegerPart", 1, [](const Args& args) { return SplitIntegerPart(args[0]); }},
    {"IntegerToBinary", 1,
     [](const Args& args) -> Result<std::string> {
       Result<std::int32_t> value = IntegerArgument<std::int32_t>(args[0]);
       if (!value) return value.error();
       return IntegerToBinary(*value);
     }},
    {"FractionToBinary", 1,
     [](const Args& args) -> Result<std::string> {
       Result<double> value = NumberArgument(args[0]);
       if (!value) return value.error();
       return FractionToBinary(*value);
     }},
    {"NormalizeBinary", 1,
     [](const Args& args) -> Result<std::string> {
       NormalizeBinary(args[0]);
       const FloatIeeeTexts& texts = FloatModuleTexts();
       return texts.exponentBits + " " + texts.mantissaBits;
     }},
    {"BinaryNibbleToHex", 1, [](const Args& args) -> Result<std::string> { return BinaryNibbleToHex(args[0]); }},
    {"NibbleToHexDigit", 1,
     [](const Args& args) -> Result<std::string> {
       Result<int> value = IntegerArgument<int>(args[0]);
       if (!value) return value.error();
       return NibbleToHexDigit(*value);
     }},
    // HART text codecs.
    {"PackAscii", 2, TextWithCount<PackAscii>},
    {"UnpackAscii", 3,
     [](const Args& args) -> Result<std::string> {
       Result<int> byteCount = IntegerArgument<int>(args[1]);
       if (!byteCount) return byteCount.error();
       Result<int> charCount = IntegerArgument<int>(args[2]);
       if (!charCount) return charCount.error();
       return UnpackAscii(args[0], *byteCount, *charCount);
     }},
    {"AsciiToHex", 2, TextWithCount<AsciiToHex>},
    {"HexToText24", 1, HexToText<HexToText24>},
    {"HexToText32", 1, HexToText<HexToText32>},
    {"ByteToHex", 1,
     [](const Args& args) -> Result<std::string> {
       Result<int> value = IntegerArgument<int>(args[0]);
       if (!value) return value.error();
       return ByteToHex(*value);
     }},
    {"ShiftRight", 2, Shift<ShiftRight>},
    {"ShiftLeft", 2, Shift<ShiftLeft>},
});

}  // namespace

std::optional<Result<std::string>> CallCodec(std::string_view name, const std::vector<std::string>& args) {
  const auto* it =
      std::find_if(kFunctions.begin(), kFunctions.end(), [name](const CodecFunction& f) { return f.name == name; });
  if (it == kFunctions.end()) return std::nullopt;
  if (args.size() != it->arity) {
    return Result<std::string>(Error{"bad argument count: " + std::string(name) + " takes " +
                                     std::to_string(it->arity) + ", got " + std::to_string(args.size())});
  }
  return it->call(args);
}

}  // namespace zolin6::scenario
