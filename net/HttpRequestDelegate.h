// What an HTTP request tells the objects that watch it, always on the main thread: its delegate
// and its request queue (HttpRequestDelegate), and the receivers of upload and download progress
// (HttpProgressDelegate). Every callback is optional. Where taking part changes what the request
// does (confirming redirects, taking the body data, answering for credentials) a receiver says so
// in respondsTo().
#pragma once

#include <cstdint>
#include <vector>

#include "platform/http/HeaderMap.h"
#include "platform/http/Url.h"

class HttpRequest;

enum class HttpDelegateCallback {
  WillRedirect,               // request_willRedirectToURL: the receiver confirms redirects
  ReceiveData,                // request_didReceiveData: the receiver takes the body itself
  AuthenticationNeeded,       // authenticationNeededForRequest
  ProxyAuthenticationNeeded,  // proxyAuthenticationNeededForRequest
};

class HttpRequestDelegate {
 public:
  virtual ~HttpRequestDelegate() = default;

  virtual void requestStarted(HttpRequest& /*request*/) {}
  virtual void request_didReceiveResponseHeaders(HttpRequest& /*request*/,
                                                 const plat::http::HeaderMap& /*headers*/) {}
  // Answered (see respondsTo): the request waits until redirectToURL() is called.
  virtual void request_willRedirectToURL(HttpRequest& /*request*/, const plat::http::Url& /*url*/) {
  }
  virtual void requestRedirected(HttpRequest& /*request*/) {}
  virtual void requestFinished(HttpRequest& /*request*/) {}
  virtual void requestFailed(HttpRequest& /*request*/) {}
  // Answered: every chunk of the body comes here and the request keeps none of it.
  virtual void request_didReceiveData(HttpRequest& /*request*/,
                                      const std::vector<uint8_t>& /*data*/) {}
  virtual void authenticationNeededForRequest(HttpRequest& /*request*/) {}
  virtual void proxyAuthenticationNeededForRequest(HttpRequest& /*request*/) {}

  virtual bool respondsTo(HttpDelegateCallback /*callback*/) const { return false; }
};

// A receiver's respondsTo() answers, asked once where the receiver is set (the owner's thread), so
// that the network thread never calls into a receiver its owner may be destroying meanwhile.
class DelegateAnswers {
 public:
  DelegateAnswers() = default;
  explicit DelegateAnswers(const HttpRequestDelegate* receiver) {
    if (!receiver) return;
    for (auto callback : {HttpDelegateCallback::WillRedirect, HttpDelegateCallback::ReceiveData,
                          HttpDelegateCallback::AuthenticationNeeded,
                          HttpDelegateCallback::ProxyAuthenticationNeeded})
      if (receiver->respondsTo(callback)) bits_ |= bit(callback);
  }
  bool has(HttpDelegateCallback callback) const { return (bits_ & bit(callback)) != 0; }

 private:
  static uint8_t bit(HttpDelegateCallback callback) {
    return static_cast<uint8_t>(1u << static_cast<unsigned>(callback));
  }
  uint8_t bits_ = 0;
};

class HttpProgressDelegate {
 public:
  virtual ~HttpProgressDelegate() = default;

  virtual void setProgress(double /*fraction*/) {}
  virtual void request_didReceiveBytes(HttpRequest& /*request*/, int64_t /*bytes*/) {}
  virtual void request_didSendBytes(HttpRequest& /*request*/, int64_t /*bytes*/) {}
  virtual void request_incrementDownloadSizeBy(HttpRequest& /*request*/, int64_t /*bytes*/) {}
  virtual void request_incrementUploadSizeBy(HttpRequest& /*request*/, int64_t /*bytes*/) {}
};
