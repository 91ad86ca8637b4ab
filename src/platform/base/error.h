// Error types shared by every layer.
#pragma once
#include <stdexcept>
#include <string>

namespace yz {

// An error with a text meant for the user (shown by the default error display).
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// A value could not be converted ("'abc' is not a valid integer value").
class ConvertError : public Error {
 public:
  using Error::Error;
};

// A silent abort: ends the current action quietly; the event guard shows nothing.
class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void SilentAbort() { throw Abort(); }

}  // namespace yz
