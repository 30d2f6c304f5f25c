// Error objects of the HTTP client: a domain, a code, a description for people, an optional reason
// and the lower-level error that caused it. Shared and immutable once made.
#pragma once

#include <memory>
#include <string>

// Needs no destruction: the network thread makes errors until it stops, which may be after the
// process began to destroy its static objects.
inline constexpr char kHttpRequestErrorDomain[] = "HttpRequestErrorDomain";

// Codes of kHttpRequestErrorDomain.
enum HttpErrorCode : int {
  kHttpConnectionFailure = 1,
  kHttpRequestTimedOut = 2,
  kHttpAuthenticationFailure = 3,
  kHttpRequestCancelled = 4,
  kHttpUnableToCreateRequest = 5,
  kHttpUnableToSetUpRequest = 6,
  kHttpUnableToApplyCredentials = 7,
  kHttpFileHandlingFailure = 8,
  kHttpTooManyRedirects = 9,
  kHttpExceptionWhileStarting = 10,
  kHttpCompressionFailure = 11,
};

class HttpError;
using HttpErrorPtr = std::shared_ptr<const HttpError>;

class HttpError {
 public:
  HttpError(std::string domain, int code, std::string description, std::string failureReason = {},
            HttpErrorPtr underlying = nullptr)
      : domain_(std::move(domain)),
        code_(code),
        description_(std::move(description)),
        failureReason_(std::move(failureReason)),
        underlying_(std::move(underlying)) {}

  // An error of kHttpRequestErrorDomain.
  static HttpErrorPtr make(int code, std::string description, HttpErrorPtr underlying = nullptr) {
    return std::make_shared<const HttpError>(kHttpRequestErrorDomain, code, std::move(description),
                                             std::string(), std::move(underlying));
  }

  const std::string& domain() const { return domain_; }
  int code() const { return code_; }
  const std::string& localizedDescription() const { return description_; }
  const std::string& failureReason() const { return failureReason_; }
  const HttpErrorPtr& underlyingError() const { return underlying_; }

 private:
  std::string domain_;
  int code_;
  std::string description_;
  std::string failureReason_;
  HttpErrorPtr underlying_;
};
