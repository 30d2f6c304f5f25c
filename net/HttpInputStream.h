// Feeds a request body to its connection, reading no more than the shared bandwidth budget allows
// while throttling applies, and counting every byte read against it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/http/BodySource.h"

class HttpRequest;

class HttpInputStream : public plat::http::BodySource {
 public:
  static std::unique_ptr<HttpInputStream> inputStreamWithFileAtPath(
      const std::string& path, const std::shared_ptr<HttpRequest>& request);
  static std::unique_ptr<HttpInputStream> inputStreamWithData(
      std::shared_ptr<const std::vector<uint8_t>> data,
      const std::shared_ptr<HttpRequest>& request);

  bool open() override { return stream_->open(); }
  ssize_t read(uint8_t* into, size_t length) override;
  void close() override { stream_->close(); }

 private:
  HttpInputStream(std::unique_ptr<plat::http::BodySource> stream,
                  const std::shared_ptr<HttpRequest>& request);

  std::unique_ptr<plat::http::BodySource> stream_;
  // Not owned: the request owns the connection that reads this stream.
  std::weak_ptr<HttpRequest> request_;
};
