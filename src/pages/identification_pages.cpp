// The two identification pages: the HART information page (tag, long tag,
// descriptor, message, addresses, serial number, date, ordering code) and the
// device identification page (maker, model, revisions, software version).

#include "codecs/device_names.h"
#include "codecs/enumerated.h"
#include "codecs/functions_hart.h"
#include "host/user_cntrl.h"
#include "pages/page_fields.h"
#include "pages/parameter_document.h"
#include "pages/value_kinds.h"

namespace zolin6 {

namespace {

// Where each text sits in the values: packed texts are slices of the 42-digit
// identification record (tag, descriptor) or of the message's own value;
// Latin texts start at the first digit.
struct PackedField {
  std::size_t firstDigit;  // one-based
  int bytes;               // two digits each
  int characters;          // four per three bytes
};
constexpr PackedField kTag{1, 6, 8};
constexpr PackedField kDescriptor{13, 12, 16};
constexpr PackedField kMessage{1, 24, 32};

// The decoders read a last pair of one digit as a byte; a field the device
// sent incomplete is refused instead, so the page keeps what it showed.
Result<std::string> UnpackField(const std::string& value, const PackedField& field) {
  const std::size_t digitCount = 2 * static_cast<std::size_t>(field.bytes);
  const std::string_view digits = pages::HexSlice(value, field.firstDigit, digitCount);
  if (digits.size() < digitCount) return TypeMismatch();
  return codecs::UnpackAscii(digits, field.bytes, field.characters);
}

// The Latin texts: the long tag in 64 digits, the ordering code in 48.
Result<std::string> LongTagText(const std::string& value) {
  if (value.size() < 64) return TypeMismatch();
  return codecs::HexToText32(value);
}

Result<std::string> OrderingCodeText(const std::string& value) {
  if (value.size() < 48) return TypeMismatch();
  return codecs::HexToText24(value);
}

// Shows a decoded text, or fails the step when the digits could not be
// decoded. A repainted background marks the identification fields that the
// device has filled.
bool ShowIdentification(toolkit::TextBox& field, const Result<std::string>& text, bool repaint) {
  if (!text) return false;
  field.setText(*text);
  if (repaint) field.setBackColor(toolkit::kSystemWindowBackground);
  return true;
}

// The maker and model numbers with a name (codecs/device_names.h).
std::string NameOr(const std::string& value, std::uint32_t id, std::string_view name) {
  return value == std::to_string(id) ? std::string(name) : value;
}

}  // namespace

void UserCntrl::LoadHartInfo(const std::string& details) {
  pages::LoaderSteps steps(details);
  steps
      .value("Tag",
             [&](const std::string& v) { return ShowIdentification(txtParameter(0), UnpackField(v, kTag), true); })
      .value("Long Tag",
             [&](const std::string& v) { return ShowIdentification(txtParameter(1), LongTagText(v), true); })
      .value(
          "Descriptor",
          [&](const std::string& v) { return ShowIdentification(txtParameter(2), UnpackField(v, kDescriptor), true); })
      .value("Message",
             [&](const std::string& v) { return ShowIdentification(txtParameter(3), UnpackField(v, kMessage), true); })
      .value("Polling Address", [&](const std::string& v) { txtParameter(5).setText(v); })
      .value("Final Assembly",
             [&](const std::string& v) {
               txtParameter(6).setText(v);
               txtParameter(6).setBackColor(toolkit::kSystemWindowBackground);
             })
      .value("DeviceSerialNumber", [&](const std::string& v) { txtParameter(9).setText(v); })
      .value("Date",
             [&](const std::string& v) { return ShowIdentification(txtParameter(51), pages::RecordDate(v), true); })
      .value("Ordering_Code",
             [&](const std::string& v) { return ShowIdentification(txtParameter(10), OrderingCodeText(v), false); });
}

void UserCntrl::LoadDeviceInfo(const std::string& details) {
  pages::LoaderSteps steps(details);
  // The maker and model are compared as texts, exactly: "24593 " or "024593"
  // is shown as received.
  steps
      .value("Manufacturer Id",
             [&](const std::string& v) { txtParameter(11).setText(NameOr(v, codecs::kMakerId, codecs::kMakerName)); })
      .value("Device Type",
             [&](const std::string& v) { txtParameter(12).setText(NameOr(v, codecs::kModelId, codecs::kModelName)); })
      .value("Device Profile", [&](const std::string& v) { txtParameter(13).setText(v); })
      .value("Private Label Distributor",
             [&](const std::string& v) { txtParameter(14).setText(NameOr(v, codecs::kMakerId, codecs::kMakerName)); })
      .value("Universal Revision", [&](const std::string& v) { txtParameter(16).setText(v); })
      .value("Transmitter Revision", [&](const std::string& v) { txtParameter(17).setText(v); })
      .value("Hardware Revision",
             [&](const std::string& v) {
               Result<std::int32_t> revision = platform::ToInt32(v);
               if (!revision) return false;
               txtParameter(19).setText(std::to_string(pages::HardwareRevision(*revision)));
               pages::ShowDecoded(txtParameter(15),
                                  codecs::GetPhysicalSignalText(pages::PhysicalSignalCode(*revision)));
               return true;
             })
      .value("Software Version", [&](const std::string& v) {
        Result<std::int32_t> version = platform::ToInt32(v);
        if (!version) return false;
        txtParameter(21).setText(pages::SoftwareVersion(*version));
        return true;
      });
}

}  // namespace zolin6
