#include "net/HttpInputStream.h"

#include <algorithm>

#include "net/HttpRequest.h"
#include "platform/base/Mutex.h"

namespace {

plat::Mutex& readLock() {
  static plat::Mutex lock;
  return lock;
}

}  // namespace

HttpInputStream::HttpInputStream(std::unique_ptr<plat::http::BodySource> stream,
                                 const std::shared_ptr<HttpRequest>& request)
    : stream_(std::move(stream)), request_(request) {}

std::unique_ptr<HttpInputStream> HttpInputStream::inputStreamWithFileAtPath(
    const std::string& path, const std::shared_ptr<HttpRequest>& request) {
  return std::unique_ptr<HttpInputStream>(
      new HttpInputStream(plat::http::BodySource::fromFile(path), request));
}

std::unique_ptr<HttpInputStream> HttpInputStream::inputStreamWithData(
    std::shared_ptr<const std::vector<uint8_t>> data, const std::shared_ptr<HttpRequest>& request) {
  return std::unique_ptr<HttpInputStream>(
      new HttpInputStream(plat::http::BodySource::fromBytes(std::move(data)), request));
}

ssize_t HttpInputStream::read(uint8_t* into, size_t length) {
  {
    plat::LockGuard lock(readLock());
    if (HttpRequest::isBandwidthThrottled()) {
      // At least one byte, so that the connection keeps moving towards the next window.
      if (length > 0) length = std::clamp<size_t>(HttpRequest::maxUploadReadLength(), 1, length);
      if (auto request = request_.lock()) request->performThrottling();
    }
  }
  ssize_t got = stream_->read(into, length);
  if (got > 0) HttpRequest::incrementBandwidthUsedInLastSecond(static_cast<uint64_t>(got));
  return got;
}
