#pragma once

#include <exception>
#include <string>

namespace kvetro {

// Base of every failure the tool reports. Each failure carries the exact text
// that the user is shown; nothing else is needed to report it.
class Exception : public std::exception {
 public:
  explicit Exception(std::string Message) : FMessage(std::move(Message)) {}

  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

}  // namespace kvetro
