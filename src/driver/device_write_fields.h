#pragma once
// How the simulated transmitter reads a write's attributes (see
// device_writes.h for the forms), one after the other: the first one that
// cannot be read decides the response code, and later reads change nothing.

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "codecs/functions_hart.h"
#include "driver/device_documents.h"
#include "driver/device_writes.h"

namespace zolin6::driver {

class Fields {
 public:
  explicit Fields(const RequestAttributes& attributes) : a_(attributes) {}

  // A code of one to four hexadecimal digits. A missing attribute is
  // "too few data bytes"; the empty text (a choice without a code) or other
  // text, a sign included, is an invalid selection.
  int code(int n) {
    const std::string& text = a_[n - 1];
    if (text == "None") return fail(kResponseTooFewBytes);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || text.size() > 4 || ec != std::errc() || end != text.data() + text.size()) {
      return fail(kResponseInvalidSelection);
    }
    return static_cast<int>(value);
  }

  // A number: the 8 hexadecimal digits of its IEEE single-precision bits.
  float real(int n) {
    const std::string& text = a_[n - 1];
    std::uint32_t bits = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
    if (text.size() != 8 || ec != std::errc() || end != text.data() + text.size()) {
      fail(kResponseTooFewBytes);
      return 0;
    }
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) fail(kResponseInvalidSelection);
    return value;
  }

  // Packed ASCII of exactly `bytes` bytes.
  std::string packed(int n, int bytes, int characters) {
    const std::string& text = a_[n - 1];
    if (static_cast<int>(text.size()) != 2 * bytes) return failText();
    Result<std::string> unpacked = codecs::UnpackAscii(text, bytes, characters);
    return unpacked ? *unpacked : failText();
  }

  // One byte per character, 32 characters.
  std::string latin32(int n) {
    const std::string& text = a_[n - 1];
    if (text.size() != 64) return failText();
    Result<std::string> decoded = codecs::HexToText32(text);
    return decoded ? *decoded : failText();
  }

  // An unsigned number of exactly `digits` hexadecimal digits.
  std::uint32_t hex(int n, std::size_t digits) {
    const std::string& text = a_[n - 1];
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != digits || ec != std::errc() || end != text.data() + text.size()) {
      fail(kResponseTooFewBytes);
      return 0;
    }
    return value;
  }

  // The response code of the first attribute that could not be read, or 0.
  int error() const { return error_; }

 private:
  int fail(int response) {
    if (error_ == 0) error_ = response;
    return 0;
  }
  std::string failText() {
    fail(kResponseTooFewBytes);
    return {};
  }

  const RequestAttributes& a_;
  int error_ = 0;
};

}  // namespace zolin6::driver
