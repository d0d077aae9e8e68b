#pragma once
// A value or the reason it could not be produced. Conversions that can fail
// return this instead of throwing, so a handler can stop at its first failing
// step without an exception crossing it.

#include <string>
#include <utility>
#include <variant>

namespace zolin6 {

// Why a conversion failed, in the words the user's runtime would use
// ("Type mismatch", "Overflow", "Subscript out of range").
struct Error {
  std::string message;
};

inline Error TypeMismatch() { return {"Type mismatch"}; }
inline Error Overflow() { return {"Overflow"}; }
inline Error SubscriptOutOfRange() { return {"Subscript out of range"}; }

template <class T>
class [[nodiscard]] Result {
 public:
  // Implicit, so that a conversion ends with `return value;` or
  // `return TypeMismatch();` alike.
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  explicit operator bool() const { return std::holds_alternative<T>(state_); }
  bool ok() const { return std::holds_alternative<T>(state_); }

  const T& value() const& { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  const T& operator*() const& { return value(); }
  const T* operator->() const { return &value(); }

  const Error& error() const { return std::get<Error>(state_); }

 private:
  std::variant<T, Error> state_;
};

}  // namespace zolin6
