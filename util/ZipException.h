// The one failure of the zip archive classes: name "ZipException", a reason that names the archive
// or entry, and the minizip result code behind it (0 when the wrapper itself refused).
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/NamedException.h"

class ZipException : public plat::NamedException {
 public:
  ZipException(std::string reason, int64_t error)
      : plat::NamedException("ZipException", std::move(reason)), error_(error) {}

  int64_t error() const noexcept { return error_; }

 private:
  int64_t error_;
};
