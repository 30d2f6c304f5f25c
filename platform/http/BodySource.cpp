#include "platform/http/BodySource.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace plat::http {
namespace {

class BytesSource : public BodySource {
 public:
  explicit BytesSource(std::shared_ptr<const std::vector<uint8_t>> bytes)
      : bytes_(std::move(bytes)) {}
  bool open() override {
    offset_ = 0;
    return bytes_ != nullptr;
  }
  ssize_t read(uint8_t* into, size_t length) override {
    size_t count = std::min(length, bytes_->size() - offset_);
    std::memcpy(into, bytes_->data() + offset_, count);
    offset_ += count;
    return static_cast<ssize_t>(count);
  }

 private:
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  size_t offset_ = 0;
};

class FileSource : public BodySource {
 public:
  explicit FileSource(std::string path) : path_(std::move(path)) {}
  ~FileSource() override { close(); }
  bool open() override {
    close();
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
  }
  ssize_t read(uint8_t* into, size_t length) override {
    if (fd_ < 0) return -1;
    ssize_t n;
    do {
      n = ::read(fd_, into, length);
    } while (n < 0 && errno == EINTR);
    return n;
  }
  void close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<BodySource> BodySource::fromBytes(
    std::shared_ptr<const std::vector<uint8_t>> bytes) {
  return std::make_unique<BytesSource>(std::move(bytes));
}

std::unique_ptr<BodySource> BodySource::fromFile(std::string path) {
  return std::make_unique<FileSource>(std::move(path));
}

}  // namespace plat::http
