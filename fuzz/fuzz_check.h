#pragma once
// What every fuzz target needs, the ones without the control too: the check
// that stops the run when a property does not hold, and the input as text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zolin6::fuzz {

// A broken property is a finding like a crash: libFuzzer saves the input.
#define ZOLIN6_FUZZ_CHECK(condition)                                                               \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                                \
    }                                                                                              \
  } while (false)

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  // libFuzzer hands bytes; the targets read them as text, byte for byte.
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zolin6::fuzz
