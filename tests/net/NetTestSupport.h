// Helpers of the HTTP client tests: a delegate that records what it hears, and running the main
// run loop until a request has reported its end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "net/HttpRequest.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Patience.h"

namespace nettest {

using testsupport::LoopbackHttpServer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

class Recorder : public HttpRequestDelegate, public HttpProgressDelegate {
 public:
  void requestStarted(HttpRequest&) override { record("started"); }
  void request_didReceiveResponseHeaders(HttpRequest&, const plat::http::HeaderMap&) override {
    record("headers");
  }
  void requestRedirected(HttpRequest&) override { record("redirected"); }
  void requestFinished(HttpRequest&) override {
    record("finished");
    ++finished;
  }
  void requestFailed(HttpRequest& request) override {
    record("failed");
    ++failed;
    lastError = request.error();
  }
  void setProgress(double fraction) override { progress.push_back(fraction); }
  void request_didReceiveBytes(HttpRequest&, int64_t bytes) override { received += bytes; }
  void request_didSendBytes(HttpRequest&, int64_t bytes) override { sent += bytes; }
  void request_incrementDownloadSizeBy(HttpRequest&, int64_t bytes) override {
    downloadSize += bytes;
  }

  void record(const std::string& event) {
    events.push_back(event);
    if (std::this_thread::get_id() != plat::RunLoop::main().thread()) offMainThread = true;
  }
  bool done() const { return finished + failed > 0; }
  // The code of the one failure reported; -1 when the request did not fail exactly once.
  int failureCode() const { return failed == 1 && lastError ? lastError->code() : -1; }

  std::vector<std::string> events;
  int finished = 0, failed = 0;
  HttpErrorPtr lastError;
  std::vector<double> progress;
  int64_t received = 0, sent = 0, downloadSize = 0;
  bool offMainThread = false;
};

// Runs the main loop until `done` or the time-out; true when done.
inline bool runUntil(const std::function<bool()>& done, double timeout = testsupport::kPatience) {
  return plat::RunLoop::main().runUntil(done, timeout);
}

// A request and the delegate it reports to: start() starts it, run() waits for its end as well.
// The delegate is cleared when the exchange goes.
template <class Delegate>
struct ExchangeWith : Delegate {
  explicit ExchangeWith(const std::string& url) : request(HttpRequest::requestWithURL(url)) {}
  explicit ExchangeWith(std::shared_ptr<HttpRequest> made) : request(std::move(made)) {}
  ExchangeWith(const ExchangeWith&) = delete;
  ~ExchangeWith() override { request->clearDelegatesAndCancel(); }
  HttpRequest* operator->() const { return request.get(); }
  ExchangeWith& start() {
    request->setDelegate(this);
    request->startAsynchronous();
    return *this;
  }
  ExchangeWith& run(double timeout = testsupport::kPatience) {
    start();
    EXPECT_TRUE(runUntil([this] { return this->done(); }, timeout));
    return *this;
  }
  std::shared_ptr<HttpRequest> request;
};
using Exchange = ExchangeWith<Recorder>;

// Gives the request `user`'s login: for the proxy on 127.0.0.1 at `proxyPort`, with no login
// dialog, or for the server itself when `proxyPort` is 0.
inline void giveLogin(HttpRequest& request, int proxyPort, const std::string& user,
                      const std::string& password) {
  if (proxyPort == 0) {
    request.setUsername(user);
    request.setPassword(password);
    return;
  }
  request.setProxyHost("127.0.0.1");
  request.setProxyPort(proxyPort);
  request.setShouldPresentProxyAuthenticationDialog(false);
  request.setProxyUsername(user);
  request.setProxyPassword(password);
}

inline std::string text(const std::optional<std::vector<uint8_t>>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
}

// Makes the test thread the main thread before each test.
class NetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::RunLoop::setMainThread();
    testsupport::clearProxyEnvironment();
  }
  void TearDown() override {
    // Let reports still on their way reach nobody before the recorders go.
    runUntil([] { return false; }, 0.05);
  }
};

// For logins: the process-wide session credentials start and end empty.
class LoginTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    HttpRequest::clearSessionCredentials();
  }
  void TearDown() override {
    HttpRequest::clearSessionCredentials();
    NetTest::TearDown();
  }
};

}  // namespace nettest
