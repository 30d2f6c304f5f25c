// The one exception type of the system: a name that says what kind of failure it is ("MyException",
// "TypeError", "ZipException", ...) and a reason for people. Callers that handle one kind catch its
// subclass or compare name().
#pragma once

#include <stdexcept>
#include <string>

namespace plat {

class NamedException : public std::runtime_error {
 public:
  NamedException(std::string name, std::string reason)
      : std::runtime_error(name + ": " + reason),
        name_(std::move(name)),
        reason_(std::move(reason)) {}

  const std::string& name() const noexcept { return name_; }
  const std::string& reason() const noexcept { return reason_; }

 private:
  std::string name_;
  std::string reason_;
};

}  // namespace plat
