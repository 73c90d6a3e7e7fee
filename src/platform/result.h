// Error values for everything that reads or writes outside the program:
// files, the network, installers. Library code returns these and never ends
// the process; the caller decides what the user sees.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vestora {

struct Error {
  std::string source;  // file path, URL or "<memory>" for in-memory readers
  int line = 0;        // 1-based text line, 0 when it does not apply
  std::string what;

  // "source:line: what", or "source: what" when there is no line.
  std::string message() const;
};

Error makeError(std::string source, std::string what, int line = 0);

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }

  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : failed_(true), error_(std::move(error)) {}

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return error_; }

 private:
  bool failed_ = false;
  Error error_;
};

}  // namespace vestora
