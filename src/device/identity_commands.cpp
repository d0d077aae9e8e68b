// Identification: who the device is (0, 11, 21), its identification record
// (12, 13, 16 to 20, 22) and the ordering code (128).

#include <algorithm>
#include <string>

#include "device/command_table.h"
#include "device/device_variables.h"

namespace zolin6::device {

namespace {

constexpr std::uint8_t kExpansionCode = 254;
constexpr std::uint8_t kFlagsMultiSensor = 0x01;
constexpr std::size_t kTagBytes = 6;
constexpr std::size_t kDescriptorBytes = 12;
constexpr std::size_t kMessageBytes = 24;
constexpr std::size_t kLongTagBytes = 32;
constexpr std::size_t kOrderingCodeBytes = 24;
constexpr int kYearBase = 1900;

// A text the device holds as packed ASCII. A text set from outside (`sim
// set`) may hold characters packing cannot carry: they go out as '?'
// rather than failing a read.
hart::Bytes PackText(std::string text, std::size_t bytes) {
  text.resize(std::min(text.size(), bytes * 4 / 3));
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 0x20 || c > 0x5F) c = '?';
  }
  Result<hart::Bytes> packed = hart::PackAscii(text, bytes);
  return packed ? std::move(packed).value() : hart::Bytes(bytes, 0);
}

std::string UnpackText(hart::ByteView bytes) {
  Result<std::string> text = hart::UnpackAscii(bytes);
  return text ? std::move(text).value() : std::string();
}

// Latin-1 fields go out as held, padded with blanks as the pages pad them.
void PutLatin(hart::Bytes& out, const std::string& text, std::size_t bytes) {
  std::string padded = text.substr(0, bytes);
  padded.resize(bytes, ' ');
  out.insert(out.end(), padded.begin(), padded.end());
}

void PutIdentifier(Exchange& x) {
  const DeviceState& s = x.state;
  const Identification& id = s.identification;
  x.put8(kExpansionCode);
  x.put16(static_cast<std::uint32_t>(id.deviceType));
  x.put8(static_cast<std::uint32_t>(s.requestPreambles));
  x.put8(static_cast<std::uint32_t>(id.universalRevision));
  x.put8(static_cast<std::uint32_t>(id.transmitterRevision));
  x.put8(static_cast<std::uint32_t>(id.softwareVersion));
  x.put8(static_cast<std::uint32_t>(id.hardwareRevision));
  x.put8(kFlagsMultiSensor);
  x.put24(id.serialNumber);
  x.put8(static_cast<std::uint32_t>(s.responsePreambles));
  x.put8(kLastDeviceVariable);
  x.put16(static_cast<std::uint32_t>(s.configChangeCounter));
  x.put8(0);  // extended device status
  x.put16(static_cast<std::uint32_t>(id.manufacturerId));
  x.put16(static_cast<std::uint32_t>(id.privateLabel));
  x.put8(static_cast<std::uint32_t>(id.deviceProfile));
}

}  // namespace

std::uint8_t ReadUniqueIdentifier(Exchange& x) {
  PutIdentifier(x);
  return code::kOk;
}

std::uint8_t ReadUniqueIdentifierByTag(Exchange& x) {
  const hart::Bytes tag = PackText(x.state.identification.tag, kTagBytes);
  x.silent = !std::equal(tag.begin(), tag.end(), x.request.begin());
  if (!x.silent) PutIdentifier(x);
  return code::kOk;
}

std::uint8_t ReadUniqueIdentifierByLongTag(Exchange& x) {
  hart::Bytes held;
  PutLatin(held, x.state.identification.longTag, kLongTagBytes);
  x.silent = !std::equal(held.begin(), held.end(), x.request.begin());
  if (!x.silent) PutIdentifier(x);
  return code::kOk;
}

std::uint8_t ReadMessage(Exchange& x) {
  x.reply = PackText(x.state.identification.message, kMessageBytes);
  return code::kOk;
}

std::uint8_t ReadTagDescriptorDate(Exchange& x) {
  const Identification& id = x.state.identification;
  x.reply = PackText(id.tag, kTagBytes);
  const hart::Bytes descriptor = PackText(id.descriptor, kDescriptorBytes);
  x.reply.insert(x.reply.end(), descriptor.begin(), descriptor.end());
  x.put8(static_cast<std::uint32_t>(id.day));
  x.put8(static_cast<std::uint32_t>(id.month));
  x.put8(static_cast<std::uint32_t>(id.year - kYearBase));
  return code::kOk;
}

std::uint8_t ReadFinalAssembly(Exchange& x) {
  x.put24(x.state.identification.finalAssembly);
  return code::kOk;
}

std::uint8_t WriteMessage(Exchange& x) {
  x.state.identification.message = UnpackText(x.request.first(kMessageBytes));
  x.echo(kMessageBytes);
  return code::kOk;
}

std::uint8_t WriteTagDescriptorDate(Exchange& x) {
  Identification& id = x.state.identification;
  id.tag = UnpackText(x.request.first(kTagBytes));
  id.descriptor = UnpackText(x.request.subspan(kTagBytes, kDescriptorBytes));
  const std::size_t date = kTagBytes + kDescriptorBytes;
  id.day = static_cast<int>(x.u8(date));
  id.month = static_cast<int>(x.u8(date + 1));
  id.year = kYearBase + static_cast<int>(x.u8(date + 2));
  x.echo(date + 3);
  return code::kOk;
}

std::uint8_t WriteFinalAssembly(Exchange& x) {
  x.state.identification.finalAssembly = x.unsignedAt(0, 3);
  x.echo(3);
  return code::kOk;
}

std::uint8_t ReadLongTag(Exchange& x) {
  PutLatin(x.reply, x.state.identification.longTag, kLongTagBytes);
  return code::kOk;
}

std::uint8_t WriteLongTag(Exchange& x) {
  // Kept byte for byte, NULs included.
  x.state.identification.longTag.assign(x.request.begin(), x.request.begin() + kLongTagBytes);
  x.echo(kLongTagBytes);
  return code::kOk;
}

std::uint8_t ReadOrderingCode(Exchange& x) {
  PutLatin(x.reply, x.state.identification.orderingCode, kOrderingCodeBytes);
  x.put24(x.state.identification.serialNumber);
  return code::kOk;
}

}  // namespace zolin6::device
