#include "bench/http/LibcurlClient.h"

#include <curl/curl.h>

#include <stdexcept>
#include <utility>

namespace {

struct GlobalInit {
  GlobalInit() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

}  // namespace

LibcurlClient::LibcurlClient() {
  static GlobalInit once;
  handle_ = curl_easy_init();
  if (!handle_) throw std::runtime_error("curl_easy_init failed");
  CURL* curl = static_cast<CURL*>(handle_);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
  // Reads as large as this client's largest, rather than libcurl's default of 16 KB.
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(
      curl, CURLOPT_WRITEFUNCTION,
      +[](char* data, size_t size, size_t count, void* context) -> size_t {
        auto* self = static_cast<LibcurlClient*>(context);
        const size_t length = size * count;
        if (self->consume_) {
          (*self->consume_)(std::string_view(data, length));
          return length;
        }
        if (self->body_.empty()) {
          curl_off_t announced = -1;
          curl_easy_getinfo(static_cast<CURL*>(self->handle_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T,
                            &announced);
          if (announced > 0) self->body_.reserve(static_cast<size_t>(announced));
        }
        self->body_.append(data, length);
        return length;
      });
}

LibcurlClient::~LibcurlClient() {
  curl_easy_cleanup(static_cast<CURL*>(handle_));
}

std::string LibcurlClient::fetch(const std::string& url) {
  body_ = std::string();
  perform(url);
  return std::move(body_);
}

void LibcurlClient::fetchInPieces(const std::string& url,
                                  const std::function<void(std::string_view)>& consume) {
  consume_ = &consume;
  try {
    perform(url);
  } catch (...) {
    consume_ = nullptr;
    throw;
  }
  consume_ = nullptr;
}

void LibcurlClient::perform(const std::string& url) {
  CURL* curl = static_cast<CURL*>(handle_);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) throw std::runtime_error(curl_easy_strerror(result));
}
