// The benchmark's yardstick: libcurl's easy interface in this process, fetching into memory on the
// calling thread. One handle serves every fetch, so that it keeps its connection as the app's
// client does.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class LibcurlClient {
 public:
  LibcurlClient();
  ~LibcurlClient();
  LibcurlClient(const LibcurlClient&) = delete;
  LibcurlClient& operator=(const LibcurlClient&) = delete;

  // The body of `url`, kept whole in memory (room for its announced length taken at once).
  // Throws when the transfer fails.
  std::string fetch(const std::string& url);
  // Hands every piece of the body of `url` to `consume` as it comes, keeping none of it.
  void fetchInPieces(const std::string& url, const std::function<void(std::string_view)>& consume);

 private:
  void perform(const std::string& url);

  void* handle_;
  std::string body_;
  const std::function<void(std::string_view)>* consume_ = nullptr;
};
