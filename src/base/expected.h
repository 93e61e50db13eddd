#pragma once
// A value or the reason there is none: how decoders and readers report failures
// without exceptions.
#include <utility>
#include <variant>

namespace kolvane {

template <typename T, typename E>
class Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  Expected(E error) : state_(std::in_place_index<1>, error) {}             // NOLINT: implicit

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // The value; only when has_value().
  T& operator*() { return std::get<0>(state_); }
  const T& operator*() const { return std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }

  // The reason; only when !has_value().
  E error() const { return std::get<1>(state_); }

 private:
  std::variant<T, E> state_;
};

}  // namespace kolvane
