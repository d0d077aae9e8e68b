#include "writing/write_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "codecs/enumerated.h"
#include "codecs/float_ieee.h"
#include "codecs/functions_hart.h"
#include "codecs/latin1.h"
#include "platform/channels.h"
#include "platform/locale.h"

namespace zolin6::writing {

namespace {

// Sensor and range writes name their channel "00" to "05" for channels 1 to 6.
constexpr std::array<std::string_view, kChannels> kChannelCodes{"00", "01", "02", "03", "04", "05"};

// The sub-page names of the channel tabs on the sensor and the range page.
constexpr std::array<std::string_view, kChannels> kChannelTabs{"Sensor 1", "Sensor 2", "Sensor 3",
                                                               "Sensor 4", "Sensor 5", "Sensor 6"};

// The text boxes of the range values on the range tab of each channel.
struct RangeValueBoxes {
  int upper;  // txtParameter index of the upper range value
  int lower;  // txtParameter index of the lower range value
};
constexpr std::array<RangeValueBoxes, kChannels> kRangeValueBoxes{{
    {40, 39},
    {87, 82},
    {92, 91},
    {97, 96},
    {130, 129},
    {160, 159},
}};

// The sensor parameter tab's fields.
constexpr int kHighLimit = 136;     // sensor temperature high limit
constexpr int kLowLimit = 137;      // sensor temperature low limit
constexpr int kLimitUnit = 246;     // lbArray index of the limits' unit label
constexpr int kCoefficientA = 143;  // Callendar-Van Dusen coefficients
constexpr int kCoefficientB = 144;
constexpr int kCoefficientC = 145;
constexpr int kR0 = 138;
constexpr int kDamping = 146;  // seconds

constexpr int kPollingAddress = 36;

// The identification record on the information page.
constexpr int kTag = 0;
constexpr int kLongTag = 1;
constexpr int kDescriptor = 2;
constexpr int kMessage = 3;
constexpr int kFinalAssembly = 6;
constexpr int kTagLength = 8;
constexpr int kDescriptorLength = 16;
constexpr int kMessageLength = 32;
constexpr int kLongTagLength = 32;
constexpr std::size_t kFinalAssemblyDigits = 6;

Field Fixed(std::string_view text) { return {Encoding::Fixed, text}; }
Field Combo(std::string_view name, int index, std::string (*encoder)(std::string_view)) {
  return {Encoding::Enumeration, name, index, encoder};
}
Field Combo(std::string_view name, std::string (*encoder)(std::string_view)) {
  return {Encoding::Enumeration, name, -1, encoder};
}
Field UnitCaption(int label) { return {Encoding::Caption, "lbArray", label, codecs::GetUnitCode}; }
Field Number(int textBox) { return {Encoding::Float, "txtParameter", textBox}; }

std::vector<Field> Join(std::vector<Field> first, const std::vector<Field>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// Type, connection and cold junction of channel index k.
std::vector<Field> SensorSettings(int k) {
  return {Combo("cmbSensorType", k, codecs::GetSensorTypeCode),
          Combo("cmbSensorConnection", k, codecs::GetSensorConnectionCode),
          Combo("cmbColdJunction", k, codecs::GetColdJunctionCode)};
}

// The temperature limits travel with channel 1's settings; their unit is the
// caption of the limits' unit label, not a combo box.
std::vector<Field> SensorLimits() { return {Number(kHighLimit), Number(kLowLimit), UnitCaption(kLimitUnit)}; }

// Unit, upper and lower range value of channel index k, in this order.
std::vector<Field> RangeSettings(int k) {
  const RangeValueBoxes& boxes = kRangeValueBoxes[static_cast<std::size_t>(k)];
  return {Combo("cmbPVUnits", k, codecs::GetUnitCode), Number(boxes.upper), Number(boxes.lower)};
}

std::vector<PageWrite> BuildConfigurationWrites() {
  std::vector<PageWrite> writes;
  writes.push_back({"Conf HART",
                    "",
                    "2",
                    {Combo("cmbLoopCurrentMode", codecs::GetLoopCurrentModeCode),
                     {Encoding::PollingAddress, "txtParameter", kPollingAddress},
                     Combo("cmbResponsePreambles", codecs::GetPreamblesCode),
                     Combo("cmbWriteProtection", codecs::GetWriteProtectCode),
                     Combo("cmbLoopAlarm", codecs::GetLoopAlarmCode)}});

  for (int k = 0; k < kChannels; ++k) {
    std::vector<Field> fields = Join({Fixed(kChannelCodes[static_cast<std::size_t>(k)])}, SensorSettings(k));
    // The device takes the limits only together with channel 1.
    if (k == 0) fields = Join(std::move(fields), SensorLimits());
    writes.push_back({"Channel Sensor", kChannelTabs[static_cast<std::size_t>(k)], "3", std::move(fields)});
  }
  writes.push_back({"Channel Sensor", "Sensor Others", "26",
                    Join(SensorLimits(), {Number(kCoefficientA), Number(kCoefficientB), Number(kCoefficientC),
                                          Number(kR0), Number(kDamping)})});
  // Any other tab of the page still sends its code, with nothing in it.
  writes.push_back({"Channel Sensor", "", "3", {}});

  writes.push_back({"Local Temp", "", "4", {Fixed("0C"), Combo("cmbUnitLocalTemp", codecs::GetUnitCode)}});

  writes.push_back(
      {"Conf LCD",
       "",
       "5",
       {Combo("cmbDisplay1", codecs::GetDisplayVariableCode), Combo("cmbDisplay2", codecs::GetDisplayVariableCode),
        Combo("cmbDisplay3", codecs::GetDisplayVariableCode), Combo("cmbDisplay4", codecs::GetDisplayVariableCode),
        Combo("cmbDisplay5", codecs::GetDisplayVariableCode), Combo("cmbDisplay6", codecs::GetDisplayVariableCode)}});

  for (int k = 0; k < kChannels; ++k) {
    writes.push_back({"Range Sensor", kChannelTabs[static_cast<std::size_t>(k)], "6",
                      Join({Fixed(kChannelCodes[static_cast<std::size_t>(k)])}, RangeSettings(k))});
  }
  writes.push_back({"Range Sensor", "", "6", {}});

  writes.push_back(
      {"Special Function",
       "",
       "16",
       {Combo("cmbBackupMode", codecs::GetBackupModeCode), Combo("cmbBackupSensor", codecs::GetBackupSensorCode),
        Combo("cmbAverageMode", codecs::GetAverageModeCode)}});

  // Only the temperature tab of the diagnosis page has something to write.
  writes.push_back(
      {"Diagnosis",
       "Diag Temperature",
       "17",
       {Combo("cmbSensorMaxMin", codecs::GetSensorMaxMinCode), Combo("cmbTempMaxMin", codecs::GetTempMaxMinCode)}});
  return writes;
}

Result<std::string> Encode(const toolkit::Form& form, const Field& field) {
  switch (field.encoding) {
    case Encoding::Fixed: return std::string(field.name);
    case Encoding::Enumeration: return field.encoder(form.get<toolkit::ComboBox>(field.name, field.index).text());
    case Encoding::Caption: return field.encoder(form.get<toolkit::Label>(field.name, field.index).caption());
    case Encoding::Float: {
      const std::string& text = form.get<toolkit::TextBox>(field.name, field.index).text();
      // A box left empty (on a tab not read yet, such as the limits that
      // channel 1's sensor write carries from the "Sensor Others" tab) has
      // no value to send: its attribute says "None", as an unused one does,
      // and the device takes or refuses the request without it. Any other
      // text that is no plain number fails here and ends the write.
      if (text.find_first_not_of(' ') == std::string::npos) return std::string("None");
      return codecs::ConvertTypedNumberToHex(text);
    }
    case Encoding::PollingAddress:
      return codecs::GetPollingAddressCode(form.get<toolkit::TextBox>(field.name, field.index).text());
  }
  return TypeMismatch();
}

const std::string& TextOf(const toolkit::Form& form, int index) {
  return form.get<toolkit::TextBox>("txtParameter", index).text();
}

}  // namespace

const PageWrite* ConfigurationWrite(std::string_view page, std::string_view subPage) {
  static const std::vector<PageWrite> writes = BuildConfigurationWrites();
  // A tab of its own comes before the page's catch-all row.
  const auto it = std::find_if(writes.begin(), writes.end(), [&](const PageWrite& w) {
    return w.page == page && (w.subPage.empty() || w.subPage == subPage);
  });
  return it == writes.end() ? nullptr : &*it;
}

Result<Attributes> GatherAttributes(const toolkit::Form& form, std::span<const Field> fields) {
  Attributes attributes = NoneAttributes();
  for (std::size_t i = 0; i < fields.size() && i < attributes.size(); ++i) {
    Result<std::string> text = Encode(form, fields[i]);
    if (!text) return text.error();
    attributes[i] = std::move(text).value();
  }
  return attributes;
}

Result<Attributes> SensorCopyAttributes(const toolkit::Form& form) {
  return GatherAttributes(form, Join(SensorSettings(0), SensorLimits()));
}

Result<Attributes> RangeCopyAttributes(const toolkit::Form& form) { return GatherAttributes(form, RangeSettings(0)); }

Result<Attributes> UnitChangeAttributes(const toolkit::Form& form, int channelIndex) {
  if (channelIndex < 0 || channelIndex >= kChannels) return SubscriptOutOfRange();
  const Field fields[] = {Fixed(kChannelCodes[static_cast<std::size_t>(channelIndex)]),
                          Combo("cmbPVUnits", channelIndex, codecs::GetUnitCode)};
  return GatherAttributes(form, fields);
}

Result<Attributes> InformationAttributes(const toolkit::Form& form, const std::string& hartDate) {
  Result<std::string> finalAssembly = FinalAssemblyCode(TextOf(form, kFinalAssembly));
  if (!finalAssembly) return finalAssembly.error();
  // The encoders pad and cut the texts to the record's lengths.
  std::string tag = UpperCase(TextOf(form, kTag));
  std::string descriptor = UpperCase(TextOf(form, kDescriptor));
  std::string message = UpperCase(TextOf(form, kMessage));
  std::string longTag = UpperCase(TextOf(form, kLongTag));
  Attributes attributes = NoneAttributes();
  attributes[0] = codecs::PackAscii(tag, kTagLength);
  attributes[1] = codecs::PackAscii(descriptor, kDescriptorLength);
  attributes[2] = hartDate;
  attributes[3] = codecs::PackAscii(message, kMessageLength);
  attributes[4] = codecs::AsciiToHex(longTag, kLongTagLength);
  attributes[5] = std::move(finalAssembly).value();
  return attributes;
}

Result<std::string> FinalAssemblyCode(std::string_view text) {
  Result<std::int32_t> number = platform::ToInt32(text);
  if (!number) return number.error();
  // A negative number is written as the eight digits of its 32-bit pattern,
  // which makes it one of the over-long ones.
  std::array<char, 16> hex{};
  std::snprintf(hex.data(), hex.size(), "%X", static_cast<std::uint32_t>(*number));
  std::string digits = hex.data();
  if (digits.size() > kFinalAssemblyDigits) return std::string("FFFFFF");
  return std::string(kFinalAssemblyDigits - digits.size(), '0') + digits;
}

std::string UpperCase(std::string_view text) {
  std::string codes = codecs::Utf8ToLatin1(text);
  for (char& c : codes) {
    const auto code = static_cast<unsigned char>(c);
    // a-z, and à-þ apart from the division sign, have their capital 32 below.
    const bool small = (code >= 'a' && code <= 'z') || (code >= 0xE0 && code <= 0xFE && code != 0xF7);
    if (small) c = static_cast<char>(code - 0x20);
  }
  return codecs::Latin1ToUtf8(codes);
}

}  // namespace zolin6::writing
