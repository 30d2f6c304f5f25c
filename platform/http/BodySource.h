// Where a stream takes the body of a request from: bytes in memory or a file, read piece by piece
// while the connection takes them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat::http {

class BodySource {
 public:
  virtual ~BodySource() = default;
  virtual bool open() = 0;
  // Up to `length` bytes into `into`: the count, 0 at the end, -1 when reading failed.
  virtual ssize_t read(uint8_t* into, size_t length) = 0;
  virtual void close() {}

  static std::unique_ptr<BodySource> fromBytes(std::shared_ptr<const std::vector<uint8_t>> bytes);
  static std::unique_ptr<BodySource> fromFile(std::string path);
};

}  // namespace plat::http
