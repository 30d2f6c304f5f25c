// The body and the header lines of a request: building them once, cookies and credentials.
#include <algorithm>
#include <cstdio>

#include "net/HttpDataCompressor.h"
#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/http/CookieStore.h"

namespace {

constexpr size_t kFileCopyChunk = 262144;

HttpErrorPtr bodyFileError(const std::string& path) {
  return HttpError::make(kHttpFileHandlingFailure,
                         "Failed to write the request body to file at path '" + path + "'");
}

}  // namespace

void HttpRequest::addRequestHeader(const std::string& name, const std::string& value) {
  requestHeaders_.set(name, value);
}

void HttpRequest::setupPostBody() {
  if (shouldStreamPostDataFromDisk_) {
    if (postBodyFilePath_.empty()) {
      postBodyFilePath_ = plat::AppHome::temporaryFileName("HttpRequestBody");
      didCreateTemporaryPostDataFile_ = true;
    }
    if (!postBodyWriteStream_) {
      plat::files::createDirectories(plat::AppHome::tmpDir());
      postBodyWriteStream_ = fopen(postBodyFilePath_.c_str(), "wb");
      if (!postBodyWriteStream_) failWhenStarted(bodyFileError(postBodyFilePath_));
    }
  } else if (!postBody_) {
    postBody_ = std::make_shared<Bytes>();
  }
}

// A body that did not all reach its file (a full disk) fails the request when it starts rather
// than going out cut short.
void HttpRequest::writeToPostBodyFile(const uint8_t* data, size_t length) {
  if (postBodyWriteStream_ && fwrite(data, 1, length, postBodyWriteStream_) != length)
    failWhenStarted(bodyFileError(postBodyFilePath_));
}

void HttpRequest::closePostBodyWriteStream() {
  if (postBodyWriteStream_ && fclose(postBodyWriteStream_) != 0)
    failWhenStarted(bodyFileError(postBodyFilePath_));
  postBodyWriteStream_ = nullptr;
}

void HttpRequest::appendPostData(const Bytes& data) {
  setupPostBody();
  if (data.empty()) return;
  if (shouldStreamPostDataFromDisk_) {
    writeToPostBodyFile(data.data(), data.size());
  } else {
    postBody_->insert(postBody_->end(), data.begin(), data.end());
  }
}

void HttpRequest::appendPostData(const std::string& data) {
  appendPostData(Bytes(data.begin(), data.end()));
}

void HttpRequest::appendPostDataFromFile(const std::string& path) {
  setupPostBody();
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) {
    failWhenStarted(HttpError::make(kHttpFileHandlingFailure,
                                    "Failed to read the file at path '" + path + "'"));
    return;
  }
  Bytes chunk(kFileCopyChunk);
  size_t count;
  while ((count = fread(chunk.data(), 1, chunk.size(), file)) > 0) {
    if (shouldStreamPostDataFromDisk_) {
      writeToPostBodyFile(chunk.data(), count);
    } else {
      postBody_->insert(postBody_->end(), chunk.begin(), chunk.begin() + count);
    }
  }
  if (ferror(file)) {
    failWhenStarted(HttpError::make(kHttpFileHandlingFailure,
                                    "Failed to read the file at path '" + path + "'"));
  }
  fclose(file);
}

void HttpRequest::setPostBody(Bytes body) {
  postBody_ = std::make_shared<Bytes>(std::move(body));
}

// A body appended to a temporary file is the only copy of those bytes, and each request removes
// its temporary file at its end: sharing it, whichever ended first would take the other's body.
void HttpRequest::copyTemporaryBodyFileInto(HttpRequest& other) const {
  plat::LockGuard lock(cancelledLock_);
  if (!didCreateTemporaryPostDataFile_ || postBodyFilePath_.empty()) return;
  if (postBodyWriteStream_) fflush(postBodyWriteStream_);
  other.postBodyFilePath_ = plat::AppHome::temporaryFileName("HttpRequestBody");
  other.didCreateTemporaryPostDataFile_ = true;
  if (!plat::files::copyFile(postBodyFilePath_, other.postBodyFilePath_)) {
    other.failWhenStarted(bodyFileError(other.postBodyFilePath_));
    return;
  }
  // Still open for appending here: the copy's takes further bytes after the ones it has.
  if (postBodyWriteStream_) {
    other.postBodyWriteStream_ = fopen(other.postBodyFilePath_.c_str(), "ab");
    if (!other.postBodyWriteStream_) other.failWhenStarted(bodyFileError(other.postBodyFilePath_));
  }
}

bool HttpRequest::builtBodyInTemporaryFile() const {
  plat::LockGuard lock(cancelledLock_);
  return haveBuiltPostBody_ && shouldStreamPostDataFromDisk_ &&
         (didCreateTemporaryPostDataFile_ || postBodyFilePath_.empty());
}

void HttpRequest::buildPostBody() {
  // The owner's thread measures the body before the start, the working thread at it.
  plat::LockGuard lock(cancelledLock_);
  if (haveBuiltPostBody_) return;
  if (!postBodyFilePath_.empty()) {
    closePostBodyWriteStream();
    if (setupError_) return;  // the body file is incomplete; main() reports it
    std::string sentPath = postBodyFilePath_;
    if (shouldCompressRequestBody_) {
      if (compressedPostBodyFilePath_.empty()) {
        compressedPostBodyFilePath_ = plat::AppHome::temporaryFileName("HttpRequestBodyGz");
        HttpErrorPtr error;
        if (!HttpDataCompressor::compressDataFromFile(postBodyFilePath_,
                                                      compressedPostBodyFilePath_, &error)) {
          failWithError(error);
          return;
        }
      }
      sentPath = compressedPostBodyFilePath_;
    }
    auto size = plat::files::fileSize(sentPath);
    if (!size) {
      failWithError(
          HttpError::make(kHttpFileHandlingFailure,
                          "Failed to get attributes for file at path '" + sentPath + "'"));
      return;
    }
    postLength_ = *size;
  } else {
    if (shouldCompressRequestBody_ && postBody_) {
      HttpErrorPtr error;
      auto compressed = HttpDataCompressor::compressData(*postBody_, &error);
      if (!compressed && error) {
        failWithError(error);
        return;
      }
      compressedPostBody_ = std::make_shared<Bytes>(compressed.value_or(Bytes()));
      postLength_ = compressedPostBody_->size();
    } else {
      postLength_ = postBody_ ? postBody_->size() : 0;
    }
  }
  if (postLength_ > 0) {
    std::string method = requestMethod();
    if (method == "GET" || method == "DELETE" || method == "HEAD") setRequestMethod("POST");
    addRequestHeader("Content-Length", std::to_string(postLength_));
  }
  haveBuiltPostBody_ = true;
}

void HttpRequest::buildRequestHeaders() {
  // Also built for a HEAD request made for this one, on that request's working thread.
  plat::LockGuard lock(cancelledLock_);
  if (haveBuiltRequestHeaders_) return;
  haveBuiltRequestHeaders_ = true;
  if (mainRequest_) {
    for (const auto& [name, value] : mainRequest_->requestHeaders_) addRequestHeader(name, value);
    return;
  }
  applyCookieHeader();
  if (!requestHeaders_.contains("User-Agent")) {
    std::string agent = userAgent_.empty() ? defaultUserAgentString() : userAgent_;
    if (!agent.empty()) addRequestHeader("User-Agent", agent);
  }
  if (allowCompressedResponse_) addRequestHeader("Accept-Encoding", "gzip");
  if (shouldCompressRequestBody_) addRequestHeader("Content-Encoding", "gzip");
  updatePartialDownloadSize();
  if (partialDownloadSize_ > 0)
    addRequestHeader("Range", "bytes=" + std::to_string(partialDownloadSize_) + "-");
}

void HttpRequest::applyCookieHeader() {
  if (useCookiePersistence_) {
    // A same-origin redirect builds the header again over the cookies taken the first time.
    for (Cookie& stored : plat::http::CookieStore::shared().cookiesForUrl(url_)) {
      const bool taken =
          std::any_of(requestCookies_.begin(), requestCookies_.end(), [&](const Cookie& cookie) {
            return cookie.name == stored.name && cookie.domain == stored.domain &&
                   cookie.path == stored.path;
          });
      if (!taken) requestCookies_.push_back(std::move(stored));
    }
  }
  const std::vector<Cookie>& cookies =
      mainRequest_ ? mainRequest_->requestCookies_ : requestCookies_;
  if (cookies.empty()) return;
  std::string header;
  for (const Cookie& cookie : cookies) {
    if (!header.empty()) header += "; ";
    header += cookie.name + "=" + cookie.value;
  }
  addRequestHeader("Cookie", header);
}

void HttpRequest::updatePartialDownloadSize() {
  if (!allowResumeForFileDownloads_ || downloadDestinationPath_.empty() ||
      temporaryFileDownloadPath_.empty() || !plat::files::exists(temporaryFileDownloadPath_))
    return;
  auto size = plat::files::fileSize(temporaryFileDownloadPath_);
  if (!size) {
    failWithError(HttpError::make(
        kHttpFileHandlingFailure,
        "Failed to get attributes for file at path '" + temporaryFileDownloadPath_ + "'"));
    return;
  }
  partialDownloadSize_ = *size;
}
